// Form helpers: the set-up after the window opens, yes/no fields, and the
// open ends of range fields as the selection screens use them.
#include <cstring>
#include <string>

#include "test_support.h"

namespace {

TagFormField Field(int number, int row, const char* mask, const char* choices = nullptr) {
  TagFormField f;
  f.number = static_cast<std::uint8_t>(number);
  f.row = static_cast<std::uint8_t>(row);
  f.column = 20;
  std::strncpy(f.mask, mask, sizeof f.mask - 1);
  f.choices = choices;
  return f;
}

class FormsTest : public qxtest::BaseTest {
 protected:
  void Open() {
    table_[0] = Field(1, 1, "%-14sC");   // from
    table_[1] = Field(2, 2, "%-14sC");   // to
    table_[2] = Field(3, 3, "nn/nn/nn"); // a date that may be open
    table_[3] = Field(4, 4, "%-10sm", "\x01No,Yes");
    table_[4] = Field(5, 5, "%-10sm", "\x01Yes,No");
    table_[5] = TagFormField{};
    FormBegin(&form_);
    ASSERT_EQ(1, FormFieldsCreate(&form_, table_, 1));
    ASSERT_EQ(0, WinOpen(&window_, 5, 12, 10, 60, 1, 1, 32, nullptr));
    FormAttachWindow(&window_, &form_, 1);
    std::strcpy(form_.reportId, "RSCVAging");
  }
  void TearDown() override {
    WinClose(&window_, 1);
    FormEnd(&form_);
    BaseTest::TearDown();
  }
  std::string Shown(int field) {
    char text[64] = {};
    FieldGetText(&form_, field, text, sizeof text);
    return text;
  }
  TagFormField table_[6];
  Form form_{};
  Window window_{};
};

TEST_F(FormsTest, SetupGivesTheWindowItsReportIdTitleAndHelp) {
  SharedAppBlockGet()->currentCommand = 337;
  Open();
  EXPECT_EQ(0, FormSetup(&form_, 1, 335));
  EXPECT_STREQ("RSCVAging", window_.reportId);
  EXPECT_STREQ("Customer Aging", window_.title);
  EXPECT_EQ(335, SharedAppBlockGet()->helpContext);
  FormSetup(&form_, 0, -1);
  EXPECT_EQ(335, SharedAppBlockGet()->helpContext) << "no topic keeps the last one";
}

// The help menu reads its texts from the help folder: a report screen set up
// and left never changes it, and gives its help topic back when it ends.
TEST_F(FormsTest, AFormGivesBackTheHelpItBorrowed) {
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->helpBuffer, sizeof app->helpBuffer, "/opt/q/program/QXA4BASE/help");
  app->helpContext = 7;
  Open();
  form_.eventHook = FormStandardHook;
  FormSetup(&form_, 1, 335);
  EXPECT_STREQ("/opt/q/program/QXA4BASE/help", app->helpBuffer);
  Start("Esc");
  FormRun(&form_);
  EXPECT_STREQ("/opt/q/program/QXA4BASE/help", app->helpBuffer);
  EXPECT_EQ(7, app->helpContext);
}

// The field's text on the status line is the form's own: once the screen
// is left, the menus' status line shows the company again.
TEST_F(FormsTest, TheStatusLineIsAsBeforeWhenTheFormEnds) {
  Open();
  form_.eventHook = FormStandardHook;
  for (const char* keys : {"Tab Tab Esc", "Tab F10"}) {
    SCOPED_TRACE(keys);
    Start(keys);
    AppStatusText("Company: Bramblewood Trading Co.");
    FormRun(&form_);
    EXPECT_STREQ("Company: Bramblewood Trading Co.", AppGetStatusText());
  }
}

TEST_F(FormsTest, EmptyRangeEndsShowFirstAndLast) {
  Open();
  ASSERT_EQ(0, FieldSetText(&form_, 2, "CEDAR"));
  EXPECT_EQ(0, RangeFieldEnter(&form_, 1));
  EXPECT_EQ(0, RangeFieldExit(&form_, 2));
  EXPECT_NE(std::string::npos, ScreenSnapshot().find("FIRST")) << ScreenSnapshot();
  EXPECT_EQ("", Shown(1)) << "an open end reads back as empty";
  EXPECT_EQ("CEDAR", Shown(2)) << "a value stays";
  EXPECT_NE(0, FieldFillDefault(&form_, "FIRST", 1)) << "an open end counts as empty";
  EXPECT_EQ(0, FieldFillDefault(&form_, "LAST ", 2));
  EXPECT_NE(0, FieldFillDefault(&form_, "", 3)) << "an empty date with an empty default";
  EXPECT_EQ("  /  /  ", Shown(3));

  EXPECT_EQ(0, RangeFieldFocus(&form_, 1));
  EXPECT_EQ(std::string::npos, ScreenSnapshot().find("FIRST")) << "entering an open end clears it for typing";
  EXPECT_EQ(0, FieldSetText(&form_, 3, "LAST "));
  EXPECT_EQ(0, FieldEntryDateHook(&form_, 3));
  EXPECT_EQ(std::string::npos, ScreenSnapshot().find("LAST")) << ScreenSnapshot();
}

TEST_F(FormsTest, YesNoFieldsWhicheverOrderTheirChoicesCome) {
  Open();
  for (int field : {4, 5}) {
    EXPECT_EQ(0, FormYesNoSet(&form_, field, 'y')) << field;
    EXPECT_EQ('Y', FormYesNoGet(&form_, field)) << field;
    EXPECT_EQ(0, FormYesNoSet(&form_, field, 'N')) << field;
    EXPECT_EQ('N', FormYesNoGet(&form_, field)) << field;
  }
  EXPECT_EQ(2, FieldGetChoice(&form_, 5));
  EXPECT_EQ(-1, FormYesNoSet(&form_, 4, 'X'));
  EXPECT_EQ('N', FormYesNoGet(&form_, 1)) << "a text field is not a yes";
}

// The choice lists of a selection screen from its option table.
TEST_F(FormsTest, OptionTablesGiveChoicesLettersAndValues) {
  const OptionTableEntry sort[] = {{'C', "Customer Code", 1}, {'N', "Customer Name", 53}, {'Z', "Zip Code", 60}, {}};
  char* choices = nullptr;
  ASSERT_EQ(0, OptionTableLoad(sort, &choices));
  EXPECT_STREQ("\x01" "Customer Code,Customer Name,Zip Code", choices);
  EXPECT_STREQ("\x03" "CNZ", OptionTableText(sort));
  const OptionTableEntry empty[] = {{}};
  char* none = nullptr;
  EXPECT_NE(0, OptionTableLoad(empty, &none));
  EXPECT_EQ(nullptr, none);

  table_[0] = Field(1, 1, "%-14sm", choices);
  table_[1] = TagFormField{};
  FormBegin(&form_);
  ASSERT_EQ(1, FormFieldsCreate(&form_, table_, 1));
  ASSERT_EQ(0, FieldSetChoice(&form_, 1, 3));
  EXPECT_EQ(60, OptionTableValue(&form_, sort, 1));
  ASSERT_EQ(0, FieldSetChoice(&form_, 1, 2));
  EXPECT_EQ(53, OptionTableValue(&form_, sort, 1));
  FormEnd(&form_);
  MemFree(choices);

  EXPECT_EQ(53, FieldIdByName(sort, "Customer Name"));
  EXPECT_EQ(-1, FieldIdByName(sort, "customer name")) << "captions compare with their letter case";
  EXPECT_EQ(-1, FieldIdByName(sort, nullptr));
}

}  // namespace
