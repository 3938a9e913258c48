// Form definitions and screen texts read from the base-data folder.
#include <algorithm>
#include <filesystem>
#include <string>

#include "test_support.h"

namespace {

class DataTest : public rvtest::ScriptedTest {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.File("base/forms"));
    std::filesystem::create_directories(dir_.File("base/texts"));
    AppPathsSet(nullptr, nullptr, dir_.File("base").c_str());
  }
  void Put(const std::string& name, const std::string& text) { rvtest::WriteAll(dir_.File("base/" + name), text); }
};

TEST_F(DataTest, FormDefinitionRunsWithTitleLabelsAndLegend) {
  Put("forms/form-086.txt",
      "# General-ledger posting options\n"
      "title \"General Ledger Posting\"\n"
      "legend \"F10 Post  F9 Backup  Esc Cancel\"\n"
      "size 10 60\n"
      "field 1 row=2 col=24 mask=\"nn/nn/nn\" label=\"Posting date\"\n"
      "field 2 row=3 col=24 mask=\"%2u\" label=\"Period\" attr=293 flags=16\n"
      "field 3 row=4 col=24 mask=\"%-10sm\" choices=\"No,Yes\" label=\"Delete when posted\"\n"
      "field 4 row=5 col=24 mask=\"%-20sm\" choices=\"Previous\u00a0Year,Trend\" label=\"Method\"\n"
      "text row=7 col=3 \"Posts every unposted transaction of the period \u00e9.\"\n");
  Start("\"031625\" Enter Enter \"y\" F10");
  FormDef def;
  ASSERT_EQ(0, FormDefLoad(&def, 86));
  EXPECT_EQ("General Ledger Posting", def.title);
  EXPECT_EQ(10, def.rows);
  ASSERT_EQ(5u, def.fields.size());
  EXPECT_EQ(0, def.fields[4].number);
  EXPECT_EQ(293, def.fields[1].attributes);
  EXPECT_STREQ("\x01No,Yes", def.fields[2].choices);
  EXPECT_STREQ("\x01Previous\xFFYear,Trend", def.fields[3].choices);

  std::vector<TagFormField> copy = def.fields;  // the caller's patched copy
  Form form{};
  Window window{};
  FormBegin(&form);
  ASSERT_EQ(1, FormFieldsCreate(&form, copy.data(), 1));
  FormDefUse(&form, &def);
  ASSERT_EQ(0, WinOpen(&window, 5, 10, def.rows, def.cols, 1, 1, 32, nullptr));
  FormAttachWindow(&window, &form, 1);
  FormOnKey(&form, kKeyF10, [](Form*, KeyCode) { return 1; });
  EXPECT_EQ(0, FormRun(&form, 0));
  EXPECT_EQ("03/16/25", FieldText(&form, 1));
  EXPECT_EQ(2, FieldGetChoice(&form, 3));
  WinClose(&window);
  FormEnd(&form);
  std::string t = Transcript();
  EXPECT_NE(std::string::npos, t.find("General Ledger Posting ─")) << t;
  EXPECT_NE(std::string::npos, t.find("Delete when posted Yes")) << t;
  EXPECT_NE(std::string::npos, t.find("F10 Post  F9 Backup  Esc Cancel")) << t;
  EXPECT_NE(std::string::npos, t.find("of the period é.")) << t;
}

TEST_F(DataTest, DamagedOrMissingDefinitionsAreReported) {
  struct Case {
    const char* text;
    const char* says;
  } cases[] = {
      {"title \"T\"\nfield 1 row=1 col=5 mask=\"%-5s\"\nfeild 2 row=2 col=5 mask=\"%-5s\"\n",
       "line 3: unknown word \"feild\""},
      {"field 1 row=1 col=5 mask=\"%-5s\"\nfield 1 row=2 col=5 mask=\"%-5s\"\n", "line 2: field 1 is defined twice"},
      {"field 1 row=1 mask=\"%-5s\"\n", "line 1: a field needs row=, col= and mask="},
      {"field 300 row=1 col=5 mask=\"%-5s\"\n", "line 1: a field line begins with the field's number"},
      {"title \"Unclosed\n", "line 1: a quoted text is not closed"},
      {"title \"Only a title\"\n", "the form has no fields"},
  };
  for (const Case& c : cases) {
    Put("forms/form-087.txt", c.text);
    Start("Enter");
    FormDef def;
    EXPECT_NE(0, FormDefLoad(&def, 87));
    EXPECT_TRUE(def.fields.empty());
    std::string t = Transcript();
    std::replace(t.begin(), t.end(), '\n', ' ');  // the box wraps long lines
    EXPECT_NE(std::string::npos, t.find("form-087.txt is damaged: " + std::string(c.says))) << t;
  }
  Start("Enter");
  FormDef def;
  EXPECT_NE(0, FormDefLoad(&def, 999));
  EXPECT_NE(std::string::npos, Transcript().find("The form definition 999 cannot be found"));
}

TEST_F(DataTest, ScreenTextsByNumber) {
  Put("texts/text-188.txt", "# vendor payments\n0 \"Vendor Payments Report\"\n1 \"Vendor Total\"\n3 \"Grand Total \u00e9\"\n40 \"beyond\"\n");
  Start("");
  const char* texts[5] = {};
  ASSERT_EQ(0, ScreenTextLoad(188, texts, 5));
  EXPECT_STREQ("Vendor Payments Report", texts[0]);
  EXPECT_STREQ("", texts[2]);
  EXPECT_STREQ("Grand Total \x82", texts[3]);
  ScreenTextFree(texts);
  EXPECT_EQ(nullptr, texts[0]);
  ScreenTextFree(texts);  // a second free does nothing

  Put("texts/text-189.txt", "0 \"ok\"\nx \"bad\"\n");
  Start("Enter Enter");
  EXPECT_NE(0, ScreenTextLoad(189, texts, 5));
  EXPECT_NE(0, ScreenTextLoad(190, texts, 5));
  std::string t = Transcript();
  std::replace(t.begin(), t.end(), '\n', ' ');
  EXPECT_NE(std::string::npos, t.find("text-189.txt are damaged: line 2")) << t;
  EXPECT_NE(std::string::npos, t.find("The screen texts 190 cannot be found")) << t;
}

TEST_F(DataTest, ScreensFolderMustExist) {
  Start("Enter");
  EXPECT_EQ(0, AppLoadScreens("QXASCRNS.DLL"));
  AppPathsSet(nullptr, nullptr, dir_.File("nowhere").c_str());
  EXPECT_NE(0, AppLoadScreens("QXASCRNS.DLL"));
  EXPECT_NE(std::string::npos, Transcript().find("The screens (QXASCRNS.DLL) cannot be found"));
}

}  // namespace
