// The merge fields of a text: the table of names, the fields of a line, the
// placements of the invoice number and the item date, and the message of a
// field that cannot be merged.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "merge_internal.h"
#include "oemtext.h"
#include "qxabase/messages.h"
#include "qxabase/text_merge.h"

namespace {

constexpr int kMsgFieldUnknown = 2621;    // %1 text, %2 line, %3 the field as written
constexpr int kMsgFieldNotHere = 2622;
constexpr int kMsgFieldMalformed = 2623;
constexpr int kMsgFieldTableBad = 2624;   // %1 the file, %2 its line, %3 the reason

constexpr int kMaxWidth = kMergeMaxWidth;

struct FieldName {
  std::string name;  // upper case
  int kind = 0;
  int id = 0;
  int width = 0;
  char align = 'L';
  int format = 2;
  bool placed = false;
};

struct FieldTable {
  bool loaded = false;
  std::vector<FieldName> fields;
};

FieldTable& Table() {
  static FieldTable table;
  return table;
}

bool IsKnownKind(int kind) {
  return kind == kMergeRecord || kind == kMergeStatement || kind == kMergeComputed || kind == kMergeItem ||
         kind == kMergeAmount;
}

bool ToNumber(const std::string& text, int* out) {
  if (text.empty() || text.size() > 6) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  *out = std::atoi(text.c_str());
  return true;
}

// Loads merge/fields.txt; false after a message naming the file and line.
bool LoadTable() {
  FieldTable& table = Table();
  if (table.loaded) return true;
  std::vector<FieldName> fields;
  const bool read = qxmerge::ReadDataFile("merge", "fields.txt", kMsgFieldTableBad, [&](int, const auto& tokens) {
    if (tokens[0].value != "field" || tokens.size() < 2 || !tokens[1].key.empty())
      return std::string("a line must be: field NAME kind=K id=N width=W align=A format=F");
    FieldName f;
    for (char c : tokens[1].value) f.name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    bool hasKind = false, hasId = false;
    for (std::size_t i = 2; i < tokens.size(); ++i) {
      const qxb::Token& t = tokens[i];
      bool good = true;
      if (t.key == "kind") {
        good = ToNumber(t.value, &f.kind) && IsKnownKind(f.kind);
        hasKind = true;
      } else if (t.key == "id") {
        good = ToNumber(t.value, &f.id);
        hasId = true;
      } else if (t.key == "width") {
        good = ToNumber(t.value, &f.width) && f.width <= kMaxWidth;
      } else if (t.key == "align") {
        good = t.value.size() == 1 && std::strchr("LRCN", t.value[0]) != nullptr;
        if (good) f.align = t.value[0];
      } else if (t.key == "format") {
        good = ToNumber(t.value, &f.format);
      } else if (t.key == "placed") {
        f.placed = t.value == "1";
      } else {
        good = false;
      }
      if (!good) return "the value of " + (t.key.empty() ? t.value : t.key) + " is not valid";
    }
    if (!hasKind || !hasId) return std::string("a field needs its kind and id");
    fields.push_back(std::move(f));
    return std::string();
  });
  if (!read) return false;
  table.fields = std::move(fields);
  table.loaded = true;
  return true;
}

const FieldName* FindName(const std::string& upper) {
  for (const FieldName& f : Table().fields)
    if (f.name == upper) return &f;
  return nullptr;
}

bool IsNameChar(unsigned char c) { return std::isalnum(c) || c == '_'; }

bool Placed(const MergeRun* run, int column) {
  return std::find(run->placed.begin(), run->placed.end(), column) != run->placed.end();
}

}  // namespace

void MergeFieldTableReset() { Table() = FieldTable{}; }

bool MergeBegin(MergeRun* run, const char* textName) {
  if (run == nullptr) return false;
  try {
    *run = MergeRun{};
    if (!LoadTable()) return false;
    run->textName = textName ? textName : "";
    run->begun = true;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

int MergeSourcesOpenList(MergeRun* run, int /*mode*/, const int* kinds) {
  if (run == nullptr || !run->begun) return 1;
  for (const int* k = kinds; k && *k != -1; ++k) {
    if (!IsKnownKind(*k)) return 1;
    run->sources |= 1u << *k;
  }
  return 0;
}

void MergeEnd(MergeRun* run) {
  if (run == nullptr) return;
  run->begun = false;
  run->sources = 0;
  run->placed.clear();
}

int MergeFieldNext(MergeRun* run, int mode, char* line, MergeField* field) {
  if (run == nullptr || line == nullptr || field == nullptr) return 0;
  const int length = static_cast<int>(std::strlen(line));
  int at = std::max(field->place, 0);
  for (;;) {
    // The next "{" that is followed by a letter; any other "{" is text.
    while (at < length &&
           !(line[at] == '{' && at + 1 < length && std::isalpha(static_cast<unsigned char>(line[at + 1]))))
      ++at;
    if (at >= length) {
      field->place = length;
      return 0;
    }
    MergeField f;
    f.position = at;
    int i = at + 1;
    std::string name;
    while (i < length && IsNameChar(static_cast<unsigned char>(line[i])))
      name += static_cast<char>(std::toupper(static_cast<unsigned char>(line[i++])));
    int width = -1;
    char align = 0;
    bool good = true;
    if (i < length && line[i] == ':') {
      ++i;
      std::string digits;
      while (i < length && std::isdigit(static_cast<unsigned char>(line[i]))) digits += line[i++];
      if (!digits.empty()) {
        good = ToNumber(digits, &width) && width >= 1 && width <= kMaxWidth;
      }
      if (i < length && std::strchr("LRCNlrcn", line[i]) != nullptr && line[i] != '\0') {
        align = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
        ++i;
      }
      if (digits.empty() && align == 0) good = false;
    }
    const bool closed = i < length && line[i] == '}';
    f.tokenLength = (closed ? i + 1 : i) - at;
    std::snprintf(f.text, sizeof f.text, "%.*s", std::min(f.tokenLength, static_cast<int>(sizeof f.text) - 1),
                  line + at);
    f.place = at + f.tokenLength;
    if (!closed || !good) {
      f.error = kMergeErrorBadToken;
    } else if (const FieldName* known = FindName(name)) {
      f.kind = known->kind;
      f.id = known->id;
      f.length = width > 0 ? width : known->width;
      f.align = align ? align : known->align;
      f.format = known->format;
      f.placed = known->placed;
      if ((run->sources & (1u << known->kind)) == 0) f.error = kMergeErrorNotHere;
    } else {
      f.error = kMergeErrorUnknown;
    }
    if (mode == kMergeFill) std::memset(line + at, ' ', static_cast<std::size_t>(f.tokenLength));
    // A placed field off its placement is not part of this line.
    if (f.error == 0 && mode == kMergeFill && !MergeFieldShown(run, &f)) {
      at = f.place;
      continue;
    }
    *field = f;
    return 1;
  }
}

bool MergeFieldShown(const MergeRun* run, const MergeField* field) {
  return !field->placed || Placed(run, field->position);
}

int MergeLineEnd(MergeRun* run, int /*style*/, int error, int lineNumber, int /*place*/, const char* fieldText) {
  if (run != nullptr) {
    if (std::find(run->spoiltLines.begin(), run->spoiltLines.end(), lineNumber) != run->spoiltLines.end())
      return error;
    run->spoiltLines.push_back(lineNumber);
  }
  const int message = error == kMergeErrorUnknown  ? kMsgFieldUnknown
                      : error == kMergeErrorNotHere ? kMsgFieldNotHere
                                                    : kMsgFieldMalformed;
  const std::string name = run ? run->textName : std::string();
  MsgShowArgs(message, 0, 0, 1, name.c_str(), lineNumber, fieldText ? fieldText : "", 0);
  return error;
}

int FormLayoutTokenFind(const char* token, const char* line, int* place) {
  if (token == nullptr || line == nullptr || place == nullptr || *token == '\0') return 0;
  const std::size_t n = std::strlen(token), length = std::strlen(line);
  for (std::size_t at = static_cast<std::size_t>(std::max(*place, 0)); at + n <= length; ++at) {
    bool same = true;
    for (std::size_t k = 0; k < n && same; ++k)
      same = oem::ToUpper(static_cast<unsigned char>(line[at + k])) == oem::ToUpper(static_cast<unsigned char>(token[k]));
    if (same) {
      *place = static_cast<int>(at);
      return 1;
    }
  }
  return 0;
}

int FormLayoutTokenPos(MergeRun* run, int place, const char* /*line*/) {
  if (run != nullptr && !Placed(run, place)) run->placed.push_back(place);
  return 0;
}

void FormLayoutTokenClear(MergeRun* run) {
  if (run != nullptr) run->placed.clear();
}
