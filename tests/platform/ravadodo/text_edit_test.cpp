// The text-editing window driven by key scripts: typing, splitting and
// joining lines, the limits of a line and of the text, F10 and Esc.
#include <string>
#include <vector>

#include "ravadodo.h"
#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;

class TextEditTest : public rvtest::ScriptedTest {
 protected:
  // Edits `lines` on `keys`; the result, with the text it left.
  int Edit(const std::string& keys, Lines lines, Lines* out, int maxLine = 255, int maxLines = 500) {
    Start(keys);
    TextEdit edit;
    edit.title = "Text labels.txt";
    edit.lines = std::move(lines);
    edit.maxLineLength = maxLine;
    edit.maxLines = maxLines;
    const int result = TextEditRun(&edit);
    transcript_ = Transcript();
    *out = edit.lines;
    changed_ = edit.changed;
    return result;
  }
  std::string transcript_;
  bool changed_ = false;
};

TEST_F(TextEditTest, KeysEditTheLinesAndF10KeepsThem) {
  struct Case {
    const char* name;
    const char* keys;
    Lines in, out;
  };
  const Case cases[] = {
      {"typing inserts at the cursor", R"(End " {ZIP}" F10)", {"{NAME}"}, {"{NAME} {ZIP}"}},
      {"Enter splits a line", R"(Right Right Enter F10)", {"ABCD"}, {"AB", "CD"}},
      {"Backspace at a line's start joins it to the line above", "Down Backspace F10", {"AB", "CD"}, {"ABCD"}},
      {"Del at a line's end joins the line below", "End Del F10", {"AB", "CD"}, {"ABCD"}},
      {"Ctrl+Y removes the line", "Down Ctrl+Y F10", {"one", "two", "three"}, {"one", "three"}},
      {"Ins overwrites", R"(Ins "XY" F10)", {"ABCD"}, {"XYCD"}},
      {"empty lines are kept, also at the end", "F10", {"a", "", ""}, {"a", "", ""}},
      {"an empty text gets its first line", R"("x" F10)", {}, {"x"}},
  };
  for (const Case& c : cases) {
    Lines out;
    EXPECT_EQ(0, Edit(c.keys, c.in, &out)) << c.name;
    EXPECT_EQ(c.out, out) << c.name;
  }
  EXPECT_NE(std::string::npos, transcript_.find("text window: saved"));
}

TEST_F(TextEditTest, EscDropsTheEdit) {
  Lines out;
  EXPECT_EQ(27, Edit(R"("changed" Enter Esc)", {"{NAME}"}, &out));
  EXPECT_EQ(Lines{"{NAME}"}, out);
  EXPECT_FALSE(changed_);
  EXPECT_NE(std::string::npos, transcript_.find("text window: cancelled"));
}

TEST_F(TextEditTest, ALineAndTheTextKeepTheirLimits) {
  Lines out;
  EXPECT_EQ(0, Edit(R"("ABCDEFG" F10)", {""}, &out, 5));
  EXPECT_EQ(Lines{"ABCDE"}, out) << "a line stops at its longest";
  EXPECT_EQ(0, Edit("Enter Enter Enter F10", {"a"}, &out, 255, 2));
  EXPECT_EQ((Lines{"", "a"}), out) << "no more lines than the text may hold";
  EXPECT_EQ(0, Edit("End Del F10", {"abc", "def"}, &out, 4));
  EXPECT_EQ((Lines{"abc", "def"}), out) << "a join that would be too long is refused";
}

}  // namespace
