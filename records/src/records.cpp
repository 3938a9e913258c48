// The small operations of the record layouts: settings keys, the period
// numbering of "0Periods", field look-up and the header conventions.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "records/amounts.h"
#include "records/dictionary.h"
#include "records/field.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace records {

namespace detail {
void FieldOffsetDiffersFromStatedOffset() {}
void FieldTypeDoesNotMatchMember() {}
}  // namespace detail

const FieldDef* FindField(const Layout& layout, const char* name) {
  for (const FieldDef& f : layout.fields) {
    if (std::strcmp(f.name, name) == 0) return &f;
  }
  return nullptr;
}

// ---- Amounts ---------------------------------------------------------------------

namespace {

// Where a field lies among the groups that hold it: its name is made only
// for a number found unsound, as every record read is checked.
struct FieldPlace {
  const FieldPlace* outer;  // the group element holding it, or null
  const FieldDef* field;
  std::size_t index;
  std::string Name() const {
    std::string name = outer != nullptr ? outer->Name() + "." : std::string();
    name += field->name;
    if (field->count > 1) name += "[" + std::to_string(index) + "]";
    return name;
  }
};

bool FindUnsoundIn(const Layout& layout, std::span<const std::uint8_t> image, std::size_t base,
                   const FieldPlace* outer, UnsoundNumber* out) {
  for (const FieldDef& f : layout.fields) {
    for (std::size_t i = 0; i < f.count; ++i) {
      const std::size_t at = base + f.offset + i * f.size;
      if (at + f.size > image.size()) return false;  // a short record ends here
      const FieldPlace place{outer, &f, i};
      double value = 0;
      if (f.type == FieldType::kFloat64) {
        std::memcpy(&value, image.data() + at, sizeof value);
      } else if (f.type == FieldType::kFloat32) {
        float v = 0;
        std::memcpy(&v, image.data() + at, sizeof v);
        value = v;
      } else if (f.type == FieldType::kGroup) {
        if (FindUnsoundIn(*f.group, image, at, &place, out)) return true;
        continue;
      } else {
        continue;
      }
      if (!IsSoundAmount(value)) {
        *out = {place.Name(), value};
        return true;
      }
    }
  }
  return false;
}

// Where a layout's numbers lie, flattened (sub-records and arrays unrolled):
// every record read is checked, and most are sound, so the check reads
// these places and walks the layout only to name a number found unsound.
struct NumberPlace {
  std::uint32_t offset;
  bool wide;  // 8 bytes, else a 4-byte float
};

void FlattenNumbers(const Layout& layout, std::size_t base, std::vector<NumberPlace>& out) {
  for (const FieldDef& f : layout.fields) {
    for (std::size_t i = 0; i < f.count; ++i) {
      const std::size_t at = base + f.offset + i * f.size;
      if (f.type == FieldType::kFloat64 || f.type == FieldType::kFloat32)
        out.push_back({static_cast<std::uint32_t>(at), f.type == FieldType::kFloat64});
      else if (f.type == FieldType::kGroup)
        FlattenNumbers(*f.group, at, out);
    }
  }
}

const std::vector<NumberPlace>& NumbersOf(const Layout& layout) {
  static std::mutex mutex;
  static std::unordered_map<const Layout*, std::vector<NumberPlace>> flattened;
  const std::lock_guard<std::mutex> guard(mutex);
  auto [it, made] = flattened.try_emplace(&layout);
  if (made) FlattenNumbers(layout, 0, it->second);
  return it->second;
}

}  // namespace

bool FindUnsoundNumber(const FileDef& file, std::span<const std::uint8_t> image, UnsoundNumber* out) {
  const Layout* layout = LayoutOf(file, image);
  if (layout == nullptr) return false;
  bool sound = true;
  for (const NumberPlace& p : NumbersOf(*layout)) {
    // The places come in field order: a short record ends the look.
    if (p.offset + (p.wide ? 8u : 4u) > image.size()) break;
    double value = 0;
    if (p.wide) {
      std::memcpy(&value, image.data() + p.offset, sizeof value);
    } else {
      float v = 0;
      std::memcpy(&v, image.data() + p.offset, sizeof v);
      value = v;
    }
    if (!IsSoundAmount(value)) {
      sound = false;
      break;
    }
  }
  return !sound && FindUnsoundIn(*layout, image, 0, nullptr, out);
}

// ---- Settings -------------------------------------------------------------------

SettingsKey MakeSettingsKey(std::string_view name) {
  SettingsKey key;
  std::memset(key.text, ' ', sizeof key.text);
  std::size_t at = 0;
  if (name.empty() || name.front() != '0') key.text[at++] = '0';
  const std::size_t n = std::min(name.size(), sizeof key.text - at);
  std::memcpy(key.text + at, name.data(), n);
  return key;
}

const Layout* SettingsLayoutOf(std::string_view key) {
  while (!key.empty() && (key.back() == ' ' || key.back() == '\0')) key.remove_suffix(1);
  for (const RecordVariant& v : kSettingsVariants) {
    if (key == v.key) return v.layout;
  }
  return nullptr;
}

int PeriodsRecord::EntryOfPeriod(int periodNumber) const {
  const int n = periodsPerYear;
  if (n < 1 || n > kMaxPeriodsPerYear || periodNumber < 1 || periodNumber > 2 * n) return -1;
  return periodNumber <= n ? periodNumber - 1 : kNextYearFirstEntry + (periodNumber - n - 1);
}

int PeriodsRecord::PeriodOfEntry(int index) const {
  const int n = periodsPerYear;
  if (n < 1 || n > kMaxPeriodsPerYear) return -1;
  if (index >= 0 && index < n) return index + 1;
  if (index >= kNextYearFirstEntry && index < kNextYearFirstEntry + n) {
    return n + (index - kNextYearFirstEntry) + 1;
  }
  return -1;
}

int PeriodsRecord::EntryOfDate(std::int32_t date) const {
  for (int i = 0; i < 26; ++i) {
    if (PeriodOfEntry(i) < 0) continue;
    const PeriodEntry& e = entries[i];
    if (date >= e.startDate && date <= e.endDate && e.startDate > 0) return i;
  }
  return -1;
}

std::int32_t PeriodKeyOf(const PeriodsRecord& periods, std::int32_t date) {
  const int entry = periods.EntryOfDate(date);
  return entry < 0 ? 0 : periods.entries[entry].startDate;
}

// ---- Transactions -----------------------------------------------------------------

std::string_view BiPoLine::CodeOfKindFour() const {
  const char* code = reinterpret_cast<const char*>(this) + 30;
  const void* nul = std::memchr(code, 0, 5);
  return std::string_view(code, nul ? static_cast<const char*>(nul) - code : 5);
}

char TagBiPoHeader::LineTypeLetter(int headerFileNo) const {
  const bool billingOrPurchasing = headerFileNo == kFileBillingHeaders || headerFileNo == kFilePurchasingHeaders;
  return billingOrPurchasing && typeLetter == 'O' ? 'I' : typeLetter;
}

int BiPoLineFileOf(int headerFileNo) {
  switch (headerFileNo) {
    case kFileBillingHeaders: return kFileBillingLines;
    case kFilePurchasingHeaders: return kFilePurchasingLines;
    case kFileOrderHeaders: return kFileOrderLines;
    case kFileQuoteHeaders: return kFileQuoteLines;
    default: return 0;
  }
}

const HeaderTraits* HeaderTraitsOf(int file) {
  for (const HeaderTraits& t : kHeaderTraits) {
    if (t.file == file) return &t;
  }
  return nullptr;
}

namespace {

std::int32_t ReadInt32(std::span<const std::uint8_t> image, int offset) {
  std::int32_t v = 0;
  if (offset >= 0 && static_cast<std::size_t>(offset) + 4 <= image.size()) {
    std::memcpy(&v, image.data() + offset, 4);
  }
  return v;
}

char ReadChar(std::span<const std::uint8_t> image, int offset) {
  if (offset < 0 || static_cast<std::size_t>(offset) >= image.size()) return 0;
  return static_cast<char>(image[static_cast<std::size_t>(offset)]);
}

}  // namespace

char HeaderView::PostedFlag() const { return ReadChar(image, traits.postedFlag); }

bool HeaderView::IsDeleted() const {
  if (traits.deletedField < 0) return false;
  const std::size_t at = static_cast<std::size_t>(traits.deletedField);
  if (at + static_cast<std::size_t>(traits.deletedWidth) > image.size()) return false;
  std::string_view text(reinterpret_cast<const char*>(image.data()) + at,
                        static_cast<std::size_t>(traits.deletedWidth));
  text = text.substr(0, std::min(text.find('\0'), text.size()));
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text == kDeletedMarker;
}

std::int32_t HeaderView::Date() const { return ReadInt32(image, traits.date); }

std::optional<std::int32_t> HeaderView::PeriodKey() const {
  if (traits.periodKey < 0) return std::nullopt;
  return ReadInt32(image, traits.periodKey);
}

bool HeaderView::IsJournalPrinted() const {
  switch (traits.printedMark) {
    case PrintedMark::kDate: return ReadInt32(image, traits.journalPrinted) != 0;
    case PrintedMark::kCharYes: return !UnpostedForPosting(ReadChar(image, traits.journalPrinted));
    case PrintedMark::kNone: break;
  }
  return false;
}

}  // namespace records
