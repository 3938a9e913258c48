// The record layouts' own rules: settings keys, period numbering, the header
// conventions (posted, deleted, journal-printed) and the in-memory widening
// of short codes.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "btrvc.h"

#include "daynumber.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"
#include "records/transactions.h"

namespace records {
namespace {

TEST(SettingsKey, IsTheNameAfterAZeroBlankPaddedToFifteen) {
  struct Case {
    const char* name;
    const char* key;
  } cases[] = {
      {"Periods", "0Periods       "},
      {"0Periods", "0Periods       "},
      {"0Interface", "0Interface     "},
      {"0AVeryLongSettingsName", "0AVeryLongSetti"},
  };
  for (const Case& c : cases) {
    const SettingsKey key = MakeSettingsKey(c.name);
    EXPECT_EQ(std::string(key.text, sizeof key.text), c.key) << c.name;
  }
}

TEST(SettingsKey, PicksTheLayoutWhetherPaddedWithBlanksOrNuls) {
  EXPECT_EQ(SettingsLayoutOf("0Periods       "), &kPeriodsLayout);
  EXPECT_EQ(SettingsLayoutOf(std::string_view("0Periods\0\0\0\0\0\0\0", 15)), &kPeriodsLayout);
  EXPECT_EQ(SettingsLayoutOf("0Statements"), &kStatementsLayout);
  EXPECT_EQ(SettingsLayoutOf("0SysPrefs      "), &kSysPrefsLayout);
  EXPECT_EQ(SettingsLayoutOf("0PostOptions   "), &kPostOptionsLayout);
  EXPECT_EQ(SettingsLayoutOf("0Nothing"), nullptr);
  EXPECT_EQ(SettingsLayoutOf("0periods"), nullptr);  // keys are read as stored
}

PeriodsRecord YearOfMonths(int year, int periods) {
  PeriodsRecord r{};
  r.periodsPerYear = static_cast<std::int16_t>(periods);
  for (int y = 0; y < 2; ++y) {
    for (int m = 1; m <= periods && m <= 12; ++m) {
      PeriodEntry& e = r.entries[y * 13 + m - 1];
      e.startDate = daynum::FromCivil(year + y, m, 1);
      e.endDate = daynum::FromCivil(year + y, m, daynum::DaysInMonth(year + y, m));
    }
  }
  return r;
}

TEST(Periods, NumbersThisYearAndNextYear) {
  struct Case {
    int periodsPerYear;
    int period;
    int entry;  // -1: no such period
  } cases[] = {
      {12, 1, 0},   {12, 12, 11}, {12, 13, 13}, {12, 24, 24}, {12, 25, -1}, {12, 0, -1},
      {13, 13, 12}, {13, 14, 13}, {13, 26, 25}, {13, 27, -1}, {0, 1, -1},   {14, 1, -1},
  };
  for (const Case& c : cases) {
    PeriodsRecord r{};
    r.periodsPerYear = static_cast<std::int16_t>(c.periodsPerYear);
    EXPECT_EQ(r.EntryOfPeriod(c.period), c.entry) << c.periodsPerYear << "/" << c.period;
    if (c.entry >= 0) {
      EXPECT_EQ(r.PeriodOfEntry(c.entry), c.period);
    }
  }
  PeriodsRecord twelve{};
  twelve.periodsPerYear = 12;
  EXPECT_EQ(twelve.PeriodOfEntry(12), -1);  // the 13th slot of a 12-period year holds nothing
  EXPECT_EQ(twelve.PeriodOfEntry(25), -1);
}

TEST(Periods, PeriodKeyIsTheFirstDayOfTheDatesPeriod) {
  const PeriodsRecord r = YearOfMonths(2024, 12);
  struct Case {
    std::int32_t date;
    std::int32_t key;
  } cases[] = {
      {daynum::FromCivil(2024, 2, 29), daynum::FromCivil(2024, 2, 1)},
      {daynum::FromCivil(2024, 1, 1), daynum::FromCivil(2024, 1, 1)},
      {daynum::FromCivil(2024, 12, 31), daynum::FromCivil(2024, 12, 1)},
      {daynum::FromCivil(2025, 3, 15), daynum::FromCivil(2025, 3, 1)},  // next year
      {daynum::FromCivil(2023, 12, 31), 0},                              // before this year
      {daynum::FromCivil(2026, 1, 1), 0},                                // after next year
      {0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(PeriodKeyOf(r, c.date), c.key) << c.date;
  // Keys grow with the date, so a journal's walk by key can stop at the first greater one.
  EXPECT_LT(PeriodKeyOf(r, daynum::FromCivil(2024, 11, 30)), PeriodKeyOf(r, daynum::FromCivil(2025, 1, 2)));
}

TEST(PostedFlag, EachReadersRule) {
  struct Case {
    char flag;
    bool posting, purge;
  } cases[] = {
      {'N', true, false}, {'n', true, false}, {0, true, false}, {'Y', false, true},
      {'y', false, true}, {1, false, true},   {' ', false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(UnpostedForPosting(c.flag), c.posting) << int{c.flag};
    EXPECT_EQ(PostedForPurge(c.flag), c.purge) << int{c.flag};
  }
}

TEST(DeletedMarker, IsTheWholeTextDeleted) {
  struct Case {
    const char* bytes;
    std::size_t length;
    bool deleted;
  } cases[] = {
      {"DELETED", 7, true},     {"DELETED   ", 10, true}, {"DELETED\0xyz", 11, true},
      {"deleted", 7, false},    {"DELETEDX", 8, false},   {" DELETED", 8, false},
      {"", 0, false},
  };
  for (const Case& c : cases) {
    TagGLHeader h{};
    std::memcpy(h.reference, c.bytes, c.length);
    EXPECT_EQ(h.IsDeleted(), c.deleted) << c.bytes;
    HeaderView view{*HeaderTraitsOf(kFileGLHeaders), ImageOf(h)};
    EXPECT_EQ(view.IsDeleted(), c.deleted) << c.bytes;
  }
}

// The traits table, the layouts and the dictionary's date keys describe the
// same bytes.
TEST(HeaderTraits, AgreeWithTheLayoutsAndTheDateKeys) {
  for (const HeaderTraits& t : kHeaderTraits) {
    SCOPED_TRACE(t.file);
    const FileDef* file = FindFile(t.file);
    ASSERT_NE(file, nullptr);
    const Layout& layout = *file->layout;
    auto offsetOf = [&](const char* name) {
      const FieldDef* f = FindField(layout, name);
      return f ? static_cast<int>(f->offset) : -1;
    };
    EXPECT_EQ(offsetOf("postedFlag"), t.postedFlag);
    EXPECT_EQ(offsetOf(t.file == kFilePhysicalCounts ? "printedFlag" : "journalPrinted"), t.journalPrinted);
    if (t.deletedField >= 0) {
      EXPECT_EQ(offsetOf("reference"), t.deletedField);
      EXPECT_EQ(FindField(layout, "reference")->size, t.deletedWidth);
    }
    if (t.date >= 0) {
      EXPECT_EQ(offsetOf("date"), t.date);
    }
    if (t.periodKey >= 0) {
      EXPECT_EQ(offsetOf("periodKey"), t.periodKey);
    }
    if (t.dateKey >= 0) {
      const KeyDef& key = file->keys[static_cast<std::size_t>(t.dateKey)];
      EXPECT_EQ(key.segments[0].offset, t.date);
      EXPECT_EQ(key.segments[0].type, kKeyTypeInteger);
    }
  }
}

TEST(HeaderView, ReadsTheConventionsOfEachLedger) {
  TagRecPayHeader ar{};
  ar.postedFlag = 'N';
  ar.date = 45000;
  ar.periodKey = 44990;
  ar.journalPrinted = 0;
  HeaderView arView{*HeaderTraitsOf(kFileReceivablesHeaders), ImageOf(ar)};
  EXPECT_EQ(arView.PostedFlag(), 'N');
  EXPECT_EQ(arView.Date(), 45000);
  EXPECT_EQ(arView.PeriodKey(), 44990);
  EXPECT_FALSE(arView.IsJournalPrinted());
  ar.journalPrinted = 45001;
  EXPECT_TRUE((HeaderView{*HeaderTraitsOf(kFileReceivablesHeaders), ImageOf(ar)}.IsJournalPrinted()));

  TagBiPoHeader bill{};
  bill.journalPrinted = 'n';
  EXPECT_FALSE((HeaderView{*HeaderTraitsOf(kFileBillingHeaders), ImageOf(bill)}.IsJournalPrinted()));
  bill.journalPrinted = 'Y';
  EXPECT_TRUE((HeaderView{*HeaderTraitsOf(kFileBillingHeaders), ImageOf(bill)}.IsJournalPrinted()));
  // Billing has no "DELETED" reference; its closed flag keeps it from posting.
  EXPECT_FALSE((HeaderView{*HeaderTraitsOf(kFileBillingHeaders), ImageOf(bill)}.IsDeleted()));
  bill.postedFlag = 'N';
  bill.closedFlag = 'Y';
  EXPECT_FALSE(bill.IsUnposted());
  bill.closedFlag = 0;
  EXPECT_TRUE(bill.IsUnposted());

  InventoryTransaction it{};
  HeaderView itView{*HeaderTraitsOf(kFileInventoryTransactions), ImageOf(it)};
  EXPECT_FALSE(itView.IsJournalPrinted());  // no journal marks it
  EXPECT_EQ(HeaderTraitsOf(kFileGLAccounts), nullptr);
}

TEST(AccountSegment, IsWidenedInMemoryOnlyAndTheStoredRecordKeepsItsNul) {
  CustVendRecord customer{};
  SetText(customer.department, "AB");
  const auto segment = customer.AccountSegment();
  EXPECT_EQ(std::string(segment.data(), segment.size()), "AB    ");
  EXPECT_EQ(customer.department[2], '\0');
  EXPECT_EQ(customer.department[5], '\0');

  TagProduct product{};
  std::memcpy(product.department, "WSHOP", 5);  // five characters and the stored NUL
  const auto productSegment = product.AccountSegment();
  EXPECT_EQ(std::string(productSegment.data(), productSegment.size()), "WSHOP ");
  EXPECT_EQ(product.department[5], '\0');
}

TEST(Records, InterfaceAccountsStandElevenBytesApart) {
  InterfaceRecord r{};
  SetText(r.cashAccount, "1010");
  SetText(r.costOfGoodsAccount, "5100");
  SetText(r.salesAccount, "4100");
  SetText(r.salesReturnsAccount, "4200");
  SetText(r.freightAccount, "4400");
  EXPECT_STREQ(r.Account(0), "1010");
  EXPECT_STREQ(r.Account(InterfaceRecord::kCostOfGoodsIndex), "5100");
  EXPECT_STREQ(r.Account(InterfaceRecord::kSalesIndex), "4100");
  EXPECT_STREQ(r.Account(InterfaceRecord::kSalesReturnsIndex), "4200");
  EXPECT_STREQ(r.Account(InterfaceRecord::kAccountCount - 1), "4400");
}

TEST(Records, ACodeLineKeepsItsCodeTwoPlacesIntoTheItem) {
  BiPoLine line{};
  SetText(line.item, "  FRT");
  line.lineKind = BiPoLine::kCodeLine;
  EXPECT_EQ(line.CodeOfKindFour(), "FRT");
  std::memcpy(line.item + 2, "ABCDE", 5);
  EXPECT_EQ(line.CodeOfKindFour(), "ABCDE");
}

TEST(Records, CostingLetterChoosesTheCost) {
  TagProduct p{};
  p.lastCost = 1;
  p.standardCost = 2;
  p.averageCost = 3;
  EXPECT_EQ(p.CostByMethod('L'), 1);
  EXPECT_EQ(p.CostByMethod('S'), 2);
  EXPECT_EQ(p.CostByMethod('A'), 3);
  EXPECT_EQ(p.CostByMethod('X'), 3);  // any other letter: the average cost
}

TEST(Records, FiscalYearFlagMovesPostingToSlotFour) {
  FiscalPeriodInfo info{};
  EXPECT_EQ(info.StatisticsSlot(), 2);
  info.yearFlag = 1;
  EXPECT_EQ(info.StatisticsSlot(), 4);
}

}  // namespace
}  // namespace records
