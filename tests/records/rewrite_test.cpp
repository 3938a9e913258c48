// A command reads a record whole, changes the fields it names and writes it
// back whole: every other byte must reach the file exactly as it was read.
// The records here start with every byte set to a pattern, so that any byte
// the rewrite loses or moves shows in the comparison of the byte images.
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/record_image.h"
#include "records/settings.h"

namespace records {
namespace {

namespace fs = std::filesystem;

class Company {
 public:
  Company() {
    folder_ = fs::temp_directory_path() / ("qx-rewrite-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  ~Company() {
    for (BtrvHandle h : handles_) BtrvClose(h);
    fs::remove_all(folder_);
  }
  BtrvHandle Open(int number) {
    const FileDef& f = *FindFile(number);
    const std::string path = (folder_ / f.name).string();
    const std::vector<std::uint8_t> spec = CreateSpecification(f);
    EXPECT_EQ(BtrvCreate(path.c_str(), spec.data(), spec.data() + kFileSpecSize), kStatusOk);
    BtrvHandle h = 0;
    EXPECT_EQ(BtrvOpen(&h, path.c_str(), kOpenNormal, 0), kStatusOk);
    handles_.push_back(h);
    return h;
  }

 private:
  fs::path folder_;
  std::vector<BtrvHandle> handles_;
};

template <class Record>
void FillWithPattern(Record* r) {
  auto image = ImageOf(*r);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
}

// The offsets where two images differ.
std::set<std::size_t> Differences(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  std::set<std::size_t> out;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
    if (a[i] != b[i]) out.insert(i);
  }
  return out;
}

// The offsets of the named fields, with `count` elements from `first`.
std::set<std::size_t> BytesOf(const Layout& layout, const char* name, std::size_t first = 0,
                              std::size_t count = 1) {
  const FieldDef* f = FindField(layout, name);
  std::set<std::size_t> out;
  for (std::size_t i = f->offset + first * f->size; i < f->offset + (first + count) * f->size; ++i) out.insert(i);
  return out;
}

std::set<std::size_t> operator+(std::set<std::size_t> a, const std::set<std::size_t>& b) {
  a.insert(b.begin(), b.end());
  return a;
}

// Receivables posting updates a customer from an open invoice: only the
// fields it names change.
TEST(Rewrite, CustomerUpdateChangesOnlyTheNamedFields) {
  Company company;
  const BtrvHandle customers = company.Open(kFileCustomers);
  CustVendRecord stored;
  FillWithPattern(&stored);
  SetText(stored.code, "ACME");
  SetText(stored.department, "AB");
  stored.balance = 100;
  std::uint8_t key[255] = {};
  ASSERT_EQ(BtrvWriteOp(kOpInsert, customers, key, &stored), kStatusOk);

  CustVendRecord r{};
  char code[255] = "ACME";
  ASSERT_EQ(BtrvGetOp(kOpGetEqual, customers, code, &r), kStatusOk);
  const auto read = ImageOf(r);
  const std::vector<std::uint8_t> before(read.begin(), read.end());
  const auto original = ImageOf(stored);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), original.begin()));
  // Reading the segment widens it in memory only.
  const auto segment = r.AccountSegment();
  EXPECT_EQ(std::string(segment.data(), 6), "AB    ");

  r.invoiceCounts[2] += 1;
  r.grossAmounts[2] += 250;
  r.periodDebits += 250;
  r.balance += 250;
  r.lastInvoiceDate = 45700;
  r.lastInvoiceAmount = 250;
  ASSERT_EQ(BtrvWriteOp(kOpUpdate, customers, code, &r), kStatusOk);

  CustVendRecord after{};
  char again[255] = "ACME";
  ASSERT_EQ(BtrvGetOp(kOpGetEqual, customers, again, &after), kStatusOk);
  const Layout& l = kCustVendLayout;
  const std::set<std::size_t> named = BytesOf(l, "invoiceCounts", 2) + BytesOf(l, "grossAmounts", 2) +
                                      BytesOf(l, "periodDebits") + BytesOf(l, "balance") +
                                      BytesOf(l, "lastInvoiceDate") + BytesOf(l, "lastInvoiceAmount");
  const std::set<std::size_t> changed = Differences(before, ImageOf(after));
  EXPECT_FALSE(changed.empty());
  for (std::size_t at : changed) EXPECT_TRUE(named.count(at)) << "byte " << at << " changed";
  EXPECT_EQ(after.balance, 350);
  EXPECT_EQ(after.department[2], '\0');  // the stored segment keeps its terminator
}

// The G/L end of period closes periods in "0Periods": status and the next
// open period change; the labels, kinds, dates and the unnamed bytes stay.
TEST(Rewrite, ClosingPeriodsChangesOnlyStatusAndNextOpenPeriod) {
  Company company;
  const BtrvHandle settings = company.Open(kFileSettings);
  PeriodsRecord stored;
  FillWithPattern(&stored);
  SetPadded(stored.key, "0Periods");
  std::uint8_t key[255] = {};
  ASSERT_EQ(BtrvWriteOp(kOpInsert, settings, key, &stored, sizeof stored), kStatusOk);

  PeriodsRecord r{};
  const SettingsKey k = MakeSettingsKey("Periods");
  char keyBuffer[255] = {};
  std::memcpy(keyBuffer, k.text, sizeof k.text);
  unsigned length = 0;
  ASSERT_EQ(BtrvGetOp(kOpGetEqual + kLockBias, settings, keyBuffer, &r, sizeof r, &length), kStatusOk);
  ASSERT_EQ(length, sizeof r);
  const auto read = ImageOf(r);
  const std::vector<std::uint8_t> before(read.begin(), read.end());
  for (int i = 0; i <= 2; ++i) r.entries[i].status = 'C';
  r.nextOpenPeriod = 4;
  ASSERT_EQ(BtrvWriteOp(kOpUpdate, settings, keyBuffer, &r, sizeof r), kStatusOk);
  ASSERT_EQ(BtrvUnlock(-2, settings), kStatusOk);

  PeriodsRecord after{};
  std::memcpy(keyBuffer, k.text, sizeof k.text);
  ASSERT_EQ(BtrvGetOp(kOpGetEqual, settings, keyBuffer, &after, sizeof after, &length), kStatusOk);
  EXPECT_EQ(length, 462u);
  std::set<std::size_t> named = BytesOf(kPeriodsLayout, "nextOpenPeriod");
  for (int i = 0; i <= 2; ++i) named.insert(offsetof(PeriodsRecord, entries) + i * sizeof(PeriodEntry));
  const std::set<std::size_t> changed = Differences(before, ImageOf(after));
  EXPECT_FALSE(changed.empty());
  for (std::size_t at : changed) EXPECT_TRUE(named.count(at)) << "byte " << at << " changed";
}

}  // namespace
}  // namespace records
