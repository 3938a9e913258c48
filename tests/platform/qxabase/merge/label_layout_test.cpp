// The label stocks: their published sizes laid out in lines and print
// columns by font, the company's corrections, a layout that cannot be
// printed, and the form settings over the installation's defaults.
#include <cstring>
#include <string>
#include <vector>

#include "qxabase.h"
#include "qxtest/company_test.h"

namespace {

using fixture::Json;

class LabelLayoutTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    qxtest::CompanyTest::SetUp();
    Start("");
  }
  void TearDown() override {
    Finish();
    qxtest::CompanyTest::TearDown();
  }
  LabelStockEntry Entry(int stock, bool small, LabelLayoutBlock* block) {
    if (!written_) WriteCompany();
    EXPECT_EQ(0, LettersLayoutStep(0, block));
    LabelStockEntry e{};
    e.smallFonts = small ? 1 : 0;
    EXPECT_EQ(0, CustVendOptionsStep(&e, stock, block));
    return e;
  }
  // The print column of each label across.
  static std::vector<int> Columns(LabelStockEntry e) {
    std::vector<int> x;
    for (int p = 1; p <= e.across; ++p) {
      e.position = static_cast<std::int16_t>(p);
      x.push_back(LetterLineStart(&e));
    }
    return x;
  }
};

TEST_F(LabelLayoutTest, PublishedSizesInLinesAndColumns) {
  struct Case {
    int stock;
    bool small;
    int across, width, top, height, lines, rows;
    std::vector<int> columns;
  };
  const Case cases[] = {
      {0, false, 1, 35, 0, 6, 5, 11, {0}},             // 3 1/2 x 15/16, continuous
      {3, false, 3, 25, 0, 6, 5, 11, {0, 28, 55}},     // 4144, three across
      {4, false, 3, 26, 3, 6, 6, 10, {2, 29, 57}},     // 5160 at 10 an inch
      {4, true, 3, 44, 3, 6, 6, 10, {3, 50, 97}},      // 5160 condensed
      {6, false, 2, 40, 5, 8, 8, 7, {2, 44}},          // 5162
  };
  for (const Case& c : cases) {
    LabelLayoutBlock block;
    const LabelStockEntry e = Entry(c.stock, c.small, &block);
    EXPECT_EQ(c.across, e.across) << c.stock;
    EXPECT_EQ(c.width, e.width) << c.stock;
    EXPECT_EQ(c.top, e.top) << c.stock;
    EXPECT_EQ(c.height, e.height) << c.stock;
    EXPECT_EQ(c.lines, e.lines) << c.stock;
    EXPECT_EQ(c.rows, e.rows) << c.stock;
    EXPECT_EQ(c.columns, Columns(e)) << c.stock;
    EXPECT_NE(0, LettersLayoutTest(&e)) << c.stock;
  }
  LabelLayoutBlock block;
  Entry(0, false, &block);
  EXPECT_STREQ("\x01Standard Label,Avery 4010 Dot Matrix,Avery 4011 Dot Matrix,Avery 4144 Dot Matrix,"
               "Avery 5160 Laser,Avery 5161 Laser,Avery 5162 Laser",
               block.choices);
  EXPECT_STREQ("5160", block.titles[4]);
}

TEST_F(LabelLayoutTest, TheCompanysCorrectionReplacesThePublishedLayout) {
  Add("settings", Json{{"key", "0LabelLayouts"},
                       {"stocks", Json::array({Json{{"across", 2}, {"width", 300}, {"height", 100},
                                                    {"pitchAcross", 320}, {"pitchDown", 150}}})}});
  LabelLayoutBlock block;
  const LabelStockEntry e = Entry(0, false, &block);
  EXPECT_EQ(2, e.across);
  EXPECT_EQ(9, e.height) << "1.5 inches from row to row";
  EXPECT_EQ(7, e.rows) << "continuous forms: as many rows as a page holds";
  EXPECT_EQ((std::vector<int>{0, 32}), Columns(e));
  EXPECT_EQ(350, block.published[0].width) << "the published size is kept beside it";
}

records::LabelLayout Layout(int across, int rows, int width, int height, int pitchAcross, int pitchDown, int top,
                           int left) {
  records::LabelLayout l{};
  l.across = static_cast<std::int16_t>(across);
  l.rows = static_cast<std::int16_t>(rows);
  l.width = static_cast<std::int16_t>(width);
  l.height = static_cast<std::int16_t>(height);
  l.pitchAcross = static_cast<std::int16_t>(pitchAcross);
  l.pitchDown = static_cast<std::int16_t>(pitchDown);
  l.top = static_cast<std::int16_t>(top);
  l.left = static_cast<std::int16_t>(left);
  return l;
}

TEST_F(LabelLayoutTest, LayoutsThatCannotBePrinted) {
  struct Case {
    const char* name;
    records::LabelLayout layout;
    bool small;
  };
  const Case cases[] = {
      {"wider than the page", Layout(4, 10, 263, 100, 275, 100, 50, 19), false},
      {"rows below the page", Layout(3, 12, 263, 100, 275, 100, 50, 19), false},
      {"labels across overlap", Layout(2, 10, 400, 100, 300, 100, 50, 19), false},
      {"no labels across", Layout(0, 10, 263, 100, 275, 100, 50, 19), false},
      {"higher than its pitch", Layout(1, 0, 350, 200, 350, 100, 0, 0), false},
  };
  for (const Case& c : cases) {
    LabelLayoutBlock block;
    Entry(0, c.small, &block);
    block.layouts[0] = c.layout;
    LabelStockEntry e{};
    ASSERT_EQ(0, CustVendOptionsStep(&e, 0, &block));
    EXPECT_EQ(0, LettersLayoutTest(&e)) << c.name;
    EXPECT_NE(0, CustVendOptionsStep2(0, 1, &e, &block)) << c.name;
  }
  EXPECT_EQ(std::vector<int>(5, 2601), qxtest::MessageNumbers(Finish()));
  Start("");
}

TEST_F(LabelLayoutTest, FormSettingsOverTheDefaults) {
  FormSettings s{};
  if (!written_) WriteCompany();
  ASSERT_EQ(0, LabelsPrintStep(0, &s));
  char name[33] = {};
  EXPECT_EQ(0, StatementOptionText(kTextLabels, name, &s));
  EXPECT_STREQ("labels.txt", name);
  EXPECT_EQ(0, s.closingLine);
  Add("settings", Json{{"key", "0MergeForms"},
                       {"closingLine", "Y"},
                       {"lettersSamePage", "Y"},
                       {"texts", Json::array({"own-statement.txt", "", "../bad"})}});
  WriteCompany();
  ASSERT_EQ(0, LabelsPrintStep(0, &s));
  EXPECT_EQ(1, s.closingLine);
  EXPECT_EQ(1, s.lettersSamePage);
  EXPECT_EQ(0, s.addressApart);
  StatementTextNames names;
  EXPECT_EQ(0, StatementOption140(kTextStatementPage, &names, &s));
  EXPECT_STREQ("own-statement.txt", names.page);
  EXPECT_STREQ("statement-invoice.txt", names.invoice) << "an empty name keeps the default";
  EXPECT_EQ(0, StatementOptionText(kTextCustomerLetter, name, &s));
  EXPECT_STREQ("customer-letter.txt", name) << "a name that is not a file name keeps the default";
}

TEST_F(LabelLayoutTest, ARewriteKeepsTheBytesItDoesNotChange) {
  Add("settings", Json{{"key", "0Statements"}, {"lines", Json::array({"zero", "one", "two"})}});
  WriteCompany();
  BtrvHandle h = 0;
  ASSERT_EQ(0, BtrvOpen(&h, FilePathGet(records::kFileSettings), kOpenNormal, 0));
  auto change = [](void* image, void*) {
    std::memcpy(static_cast<records::StatementsRecord*>(image)->lines[2], "TWO", 4);
  };
  ASSERT_EQ(0, SettingsRecordRewrite(h, "0Statements", sizeof(records::StatementsRecord), change, nullptr));
  // A record the company does not have yet is made.
  ASSERT_EQ(0, SettingsRecordRewrite(h, "0LabelLayouts", sizeof(records::LabelLayoutsRecord),
                                     [](void* image, void*) {
                                       static_cast<records::LabelLayoutsRecord*>(image)->stocks[1].across = 2;
                                     },
                                     nullptr));
  BtrvClose(h);
  records::StatementsRecord s{};
  ASSERT_EQ(0, SystemRecordGet(sizeof s, "0Statements", &s));
  EXPECT_STREQ("zero", s.lines[0]);
  EXPECT_STREQ("one", s.lines[1]);
  EXPECT_STREQ("TWO", s.lines[2]);
  records::LabelLayoutsRecord l{};
  ASSERT_EQ(0, SystemRecordGet(sizeof l, "0LabelLayouts", &l));
  EXPECT_EQ(2, l.stocks[1].across);
  EXPECT_EQ(0, std::memcmp(l.key, "0LabelLayouts  ", 15));
}

}  // namespace
