// Forms driven by key scripts: the range screen of a report, masks, choice
// fields, callbacks and grids.
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "oemtext.h"
#include "test_support.h"

namespace {

TagFormField Field(int number, int row, int col, const char* mask, const char* label = nullptr,
                   const char* choices = nullptr) {
  TagFormField f;
  f.number = static_cast<std::uint8_t>(number);
  f.row = static_cast<std::uint8_t>(row);
  f.column = static_cast<std::uint8_t>(col);
  std::strncpy(f.mask, mask, sizeof f.mask - 1);
  f.label = label;
  f.choices = choices;
  return f;
}

// --- The customer range screen ---------------------------------------------------
// Sort by code (fields 2/3) or name (4/5), each a From/To pair of which only
// the chosen one is in use; an aging date; two choices.

struct AgingParams {
  int sort = 1;
  std::string from, to;
  bool fromOpen = true, toOpen = true;
  int agingDate = 0;
  int type = 1;
  int paid = 1;
};

struct Screen {
  AgingParams* params = nullptr;
  int messages = 0;
};

Screen* Ctx(Form* f) { return static_cast<Screen*>(f->context); }

int OpenPairBySort(Form* f, int) {
  int sort = FieldGetChoice(f, 1);
  for (int n = 2; n <= 5; ++n) FieldSetAccess(f, n, 2);
  int first = sort == 1 ? 2 : 4;
  FieldSetAccess(f, first, 0);
  FieldSetAccess(f, first + 1, 0);
  return 0x40;
}

// The base library's range exits: an empty end shows FIRST / LAST.
int FromExit(Form* f, int field) {
  if (FieldText(f, field).empty()) FieldSetText(f, field, "FIRST");
  return 0;
}
int ToExit(Form* f, int field) {
  if (FieldText(f, field).empty()) FieldSetText(f, field, "LAST ");
  return 0;
}

int DateExit(Form* f, int field) {
  if (DateIsValid(FieldText(f, field).c_str())) return 0;
  ++Ctx(f)->messages;
  MsgBoxShow("The date is not valid.\nType it as mm/dd/yy.", "Customer Aging", nullptr);
  return 0x20;
}

int Defaults(Form* f, int start) {
  char date[16];
  FieldSetChoice(f, 1, 1);
  OpenPairBySort(f, 1);
  for (int n = 2; n <= 5; ++n) FieldSetText(f, n, n % 2 ? "LAST " : "FIRST");
  FieldSetText(f, 6, DateToText(date, DateToday()));
  FieldSetChoice(f, 7, 1);
  FieldSetChoice(f, 8, 1);
  for (int n = 2; n <= 5; n += 2) {
    WinWriteFromLabel(FormWindow(f), 0, n);
    WinWriteToLabel(FormWindow(f), 0, n + 1);
  }
  if (!start) FieldSetFocus(f, 1);
  return start ? 0 : 0x80;
}

int RestoreDefaults(Form* f, KeyCode) { return Defaults(f, 0); }

int Accept(Form* f, KeyCode) {
  AgingParams& p = *Ctx(f)->params;
  p.sort = FieldGetChoice(f, 1);
  int first = p.sort == 1 ? 2 : 4;
  char from[256], to[256];
  p.fromOpen = FieldGetTyped(f, first, 0, from) != 0;
  p.toOpen = FieldGetTyped(f, first + 1, 0, to) != 0;
  p.from = from;
  p.to = to;
  if (!p.fromOpen && !p.toOpen && oem::CompareText(p.from, p.to) > 0) {
    ++Ctx(f)->messages;
    MsgBoxShow("The \"From\" value lies after the \"To\" value.", "Customer Aging", nullptr);
    FieldSetFocus(f, first);
    return 0x80;
  }
  p.agingDate = DateFromText(FieldText(f, 6).c_str());
  p.type = FieldGetChoice(f, 7);
  p.paid = FieldGetChoice(f, 8);
  return 1;
}

std::vector<TagFormField> AgingTable() {
  std::vector<TagFormField> t = {
      Field(1, 1, 17, "%-16sm", "Sort by", "\x01" "Customer Code,Customer Name"),
      Field(2, 3, 17, "%-10sC", "Code"),
      Field(3, 4, 17, "%-10sC"),
      Field(4, 3, 17, "%-30s", "Name"),
      Field(5, 4, 17, "%-30s"),
      Field(6, 6, 17, "nn/nn/nn", "Aging date"),
      Field(7, 7, 17, "%-10sm", "Report", "\x01" "Detail,Summary"),
      Field(8, 8, 17, "%-5sm", "Paid items", "\x01" "No,Yes"),
      TagFormField{},
  };
  t[0].exitCallback = OpenPairBySort;
  t[1].exitCallback = t[3].exitCallback = FromExit;
  t[2].exitCallback = t[4].exitCallback = ToExit;
  t[5].exitCallback = DateExit;
  return t;
}

// Runs the screen once as a report entry would; returns FormRun's result.
int RunAgingScreen(AgingParams* params, Screen* screen) {
  std::vector<TagFormField> table = AgingTable();
  Form form{};
  Window window{};
  FormBegin(&form);
  EXPECT_EQ(1, FormFieldsCreate(&form, table.data(), 1));
  EXPECT_EQ(0, WinOpen(&window, 5, 8, 12, 64, 1, 1, 32, "Customer Aging"));
  std::strcpy(form.reportId, "RSCVAging");
  FormAttachWindow(&window, &form, 1);
  screen->params = params;
  form.context = screen;
  form.startHook = Defaults;
  FormOnKey(&form, kKeyShiftF9, RestoreDefaults);
  FormOnKey(&form, kKeyF10, Accept, "Run");
  int result = FormRun(&form, 0);
  EXPECT_EQ(result == 27 ? 1 : 0, FormWasCancelled(&form));
  WinClose(&window, 1);
  FormEnd(&form);
  return result;
}

class RangeScreenTest : public rvtest::ScriptedTest {};

TEST_F(RangeScreenTest, FilledByScriptThenDefaultsThenEsc) {
  Start(R"(
    # First run: sort by name, a bad date, the range the wrong way round.
    Space Enter          # Sort by: Customer Name; the name pair opens
    "Baker" Enter        # From
    "Adams" Enter        # To
    "02/30/25" Enter     # no such date: the cursor stays
    Enter                # Ok
    "3/31/25" Enter      # typed short, shown 03/31/25
    "S" Enter            # Report: Summary
    Space                # Paid items: Yes
    F10                  # From after To: the cursor goes back to From
    Enter
    "Abbot" F10          # accepted
    # Second run: change things, take the defaults back, leave with Esc.
    Space Enter "Zed" Enter
    Shift+F9
    Esc
  )");
  AgingParams p;
  Screen s;
  EXPECT_EQ(0, RunAgingScreen(&p, &s));
  EXPECT_EQ(2, s.messages);
  EXPECT_EQ(2, p.sort);
  EXPECT_EQ("Abbot", p.from);
  EXPECT_EQ("Adams", p.to);
  EXPECT_FALSE(p.fromOpen);
  EXPECT_EQ(DateMake(2025, 3, 31), p.agingDate);
  EXPECT_EQ(2, p.type);
  EXPECT_EQ(2, p.paid);

  AgingParams q;
  Screen t;
  EXPECT_EQ(27, RunAgingScreen(&q, &t));
  EXPECT_EQ(0, t.messages);
  ExpectGolden(Transcript(), "range_screen.txt");
}

TEST_F(RangeScreenTest, OpenEndsReadAsEmpty) {
  Start("F10");
  AgingParams p;
  Screen s;
  EXPECT_EQ(0, RunAgingScreen(&p, &s));
  EXPECT_EQ(1, p.sort);
  EXPECT_TRUE(p.fromOpen);
  EXPECT_TRUE(p.toOpen);
  EXPECT_EQ("", p.from);
  EXPECT_EQ("", p.to);
  EXPECT_EQ(DateToday(), p.agingDate);
}

// --- Single behaviours ------------------------------------------------------------------

class FormTest : public rvtest::ScriptedTest {
 protected:
  // Runs a one-window form over `table` with the script.
  int Run(const std::string& keys, std::vector<TagFormField>& table, void (*setup)(Form*) = nullptr) {
    Start(keys);
    table.push_back(TagFormField{});
    FormBegin(&form_);
    EXPECT_EQ(1, FormFieldsCreate(&form_, table.data(), 1));
    EXPECT_EQ(0, WinOpen(&window_, 3, 5, 12, 70, 1, 1, 32, "Test"));
    if (setup) setup(&form_);
    return FormRun(&form_, 0);
  }
  void TearDown() override {
    WinClose(&window_, 1);
    FormEnd(&form_);
  }
  Form form_{};
  Window window_{};
};

TEST_F(FormTest, MasksShapeWhatIsTyped) {
  std::vector<TagFormField> t = {
      Field(1, 1, 20, "%12.2f", "Amount"),     Field(2, 2, 20, "%-14sC", "Product"),
      Field(3, 3, 20, "(nnn) nnnnnnnn", "Phone"), Field(4, 4, 20, "nn/nn/nn", "Date"),
      Field(5, 5, 20, "%3d", "Days"),          Field(6, 6, 20, "ccccc-cccc", "Zip"),
      Field(7, 7, 20, "%11.4fF", "Quantity"),
  };
  int r = Run(R"("1000" Enter "widget-7" Enter "5551234567" Enter "3/5/25" Enter "-12x" Enter "12345" Enter "2 6/12" F10)", t);
  EXPECT_EQ(0, r);
  EXPECT_EQ("1000.00", FieldText(&form_, 1));
  EXPECT_EQ("WIDGET-7", FieldText(&form_, 2));
  EXPECT_EQ("(555) 1234567 ", FieldText(&form_, 3));
  EXPECT_EQ("03/05/25", FieldText(&form_, 4));
  EXPECT_EQ("-12", FieldText(&form_, 5));  // letters are refused by a number field
  EXPECT_EQ("12345-    ", FieldText(&form_, 6));
  EXPECT_EQ("2 6/12", FieldText(&form_, 7));
  double v = 0;
  EXPECT_EQ(1, FieldGetTyped(&form_, 1, 1, &v));
  EXPECT_EQ(1000.0, v);
  int day = 0;
  EXPECT_EQ(1, FieldGetTyped(&form_, 4, 2, &day));
  EXPECT_EQ(DateMake(2025, 3, 5), day);
  std::string screen = ScreenSnapshot();
  EXPECT_NE(std::string::npos, screen.find("Amount      1000.00")) << screen;
}

TEST_F(FormTest, DatesTypedWithTheirSeparators) {
  struct Case {
    const char* typed;
    const char* shown;
  } cases[] = {
      {"04/30/25", "04/30/25"}, {"12/31/25", "12/31/25"}, {"4/30/25", "04/30/25"},
      {"043025", "04/30/25"},   {"1/2/25", "01/02/25"},
  };
  for (const auto& c : cases) {
    std::vector<TagFormField> t = {Field(1, 1, 20, "nn/nn/nn", "Date")};
    std::string script = std::string("\"") + c.typed + "\" F10";
    EXPECT_EQ(0, Run(script.c_str(), t)) << c.typed;
    EXPECT_EQ(c.shown, FieldText(&form_, 1)) << c.typed;
    TearDown();
  }
}

TEST_F(FormTest, EditingKeysChangeTextInPlace) {
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-20s", "Name"), Field(2, 2, 20, "%-20s", "City")};
  int r = Run(R"(Enter End "ville" Home Del "N" Up Right Right Backspace F10)", t, [](Form* f) {
    FieldSetText(f, 1, "Smith");
    FieldSetText(f, 2, "Boston");
  });
  EXPECT_EQ(0, r);
  EXPECT_EQ("Sith", FieldText(&form_, 1));
  EXPECT_EQ("Noston" "ville", FieldText(&form_, 2));
}

TEST_F(FormTest, AFieldWiderThanTheScreenScrollsInTheWindowAsItIs) {
  // 150 characters from column 20 of a window of 70: the window keeps its
  // width, and the whole text typed is kept.
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-150s", "Note"), Field(2, 2, 20, "%-10s", "Code")};
  const std::string typed(120, 'a');
  std::string seen;
  int r = Run("\"" + typed + "bcd\" F10", t);
  EXPECT_EQ(0, r);
  EXPECT_EQ(typed + "bcd", FieldText(&form_, 1));
  const std::string screen = ScreenSnapshot();
  std::istringstream lines(screen);
  for (std::string line; std::getline(lines, line);)
    if (line.find("Note") != std::string::npos) seen = line;
  EXPECT_NE(std::string::npos, seen.find("Note")) << screen;
  // The frame still stands at the window's right edge, column 5 + 70 - 1.
  EXPECT_EQ(std::string::npos, seen.find("bcd")) << "the value shows from its start once left\n" << screen;
  EXPECT_EQ(70u + 5u, oem::FromUtf8(seen).find_last_not_of(' ') + 1) << screen;
}

TEST_F(FormTest, ANumberStandsAsShownUntilTheUserTypesOrMovesInIt) {
  // A price the program put in the field reads like its column when the
  // cursor comes to it; editing it shows the text from the field's start.
  static std::vector<std::string> lines;
  lines.clear();
  std::vector<TagFormField> t = {Field(1, 1, 20, "%10.3f", "Price"), Field(2, 2, 20, "%-10s", "Note")};
  int r = Run(R"(F5 Right F5 F10)", t, [](Form* f) {
    FieldSetText(f, 1, "7.333");
    FormOnKey(f, kKeyF5, [](Form*, KeyCode) {
      std::istringstream screen(ScreenSnapshot());
      for (std::string line; std::getline(screen, line);)
        if (line.find("Price") != std::string::npos) lines.push_back(oem::FromUtf8(line).substr(25, 10));
      return 0;
    });
  });
  EXPECT_EQ(0, r);
  EXPECT_EQ((std::vector<std::string>{"     7.333", "7.333     "}), lines);
  EXPECT_EQ("7.333", FieldText(&form_, 1));
}

TEST_F(FormTest, ChoiceFieldsByKeyAndLetter) {
  std::vector<TagFormField> t = {
      Field(1, 1, 20, "%-26sm", "Aged by", "\x01" "Due Date,Invoice Date"),
      Field(2, 2, 20, "%-23sm", "Type", "\x01" "Detail,Summary,Audit"),
      Field(3, 3, 20, "%-20sm", "Sort", "\x01" "Previous\xFF" "Year,Trend"),
  };
  int r = Run(R"("i" Enter Left Left Enter Right F10)", t);
  EXPECT_EQ(0, r);
  EXPECT_EQ(2, FieldGetChoice(&form_, 1));
  EXPECT_EQ("Invoice Date", FieldText(&form_, 1));  // its first byte tells the entry
  EXPECT_EQ(2, FieldGetChoice(&form_, 2));           // Detail -> Audit -> Summary
  char text[32];
  FieldGetChoiceText(&form_, 3, text, sizeof text);
  EXPECT_STREQ("Trend", text);
  EXPECT_EQ(0, FieldSetText(&form_, 3, "previous year"));
  EXPECT_EQ(1, FieldGetChoice(&form_, 3));
  FieldGetChoiceText(&form_, 3, text, sizeof text);
  EXPECT_STREQ("Previous Year", text);  // the hard blank shows as a blank
  EXPECT_EQ(0, FieldSetText(&form_, 2, "A"));
  EXPECT_EQ(3, FieldGetChoice(&form_, 2));
  EXPECT_EQ(0, FieldSetText(&form_, 2, "\x02"));
  EXPECT_EQ(2, FieldGetChoice(&form_, 2));
  EXPECT_EQ(-1, FieldSetChoice(&form_, 2, 4));
}

TEST_F(FormTest, KeyLettersHandedOverThroughTheWindow) {
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-20sm", "Sort by", "\x01" "Customer Code,Customer Name,Zip Code")};
  int r = Run(R"("N" F10)", t, [](Form* f) {
    FormAttachWindow(FormWindow(f), f, 1);
    WinWriteRow(FormWindow(f), 0, 1, "\x03" "CNZ");
  });
  EXPECT_EQ(0, r);
  EXPECT_EQ(2, FieldGetChoice(&form_, 1));
}

TEST_F(FormTest, FieldsOutOfUseOrProtectedAreSkipped) {
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-5s", "A"), Field(2, 2, 20, "%-5s", "B"), Field(3, 3, 20, "%-5s", "C"),
                                 Field(4, 4, 20, "%-5s", "D")};
  int r = Run(R"("a" Enter "d" F10)", t, [](Form* f) {
    FieldSetAccess(f, 2, 2);
    FieldSetProtect(f, 3, 1);
  });
  EXPECT_EQ(0, r);
  EXPECT_EQ("a", FieldText(&form_, 1));
  EXPECT_EQ("d", FieldText(&form_, 4));
  std::string screen = ScreenSnapshot();
  EXPECT_EQ(std::string::npos, screen.find(" B ")) << "a field out of use hides its label\n" << screen;
}

TEST_F(FormTest, FieldLeftBeforeAHotKeyOnlyWhenChanged) {
  static std::vector<KeyCode> exits;
  static int handled = 0;
  exits.clear();
  handled = 0;
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-5s", "Code")};
  t[0].exitCallback = [](Form* f, int) {
    exits.push_back(FormLastKey(f));
    return FieldText(f, 1) == "bad" ? 0x20 : 0;
  };
  int r = Run(R"(F5 "bad" F5 Del Del Del "ok" F5 F10)", t, [](Form* f) {
    FormOnKey(f, kKeyF5, [](Form*, KeyCode) {
      ++handled;
      return 0;
    });
  });
  EXPECT_EQ(0, r);
  // F5 on an unchanged field runs at once; after "bad" the exit keeps the
  // cursor and drops the key; after "ok" it lets F5 through; F10 always leaves.
  EXPECT_EQ(2, handled);
  EXPECT_EQ((std::vector<KeyCode>{kKeyF5, kKeyF5, kKeyF10}), exits);
}

TEST_F(FormTest, EntryCallbackSeesTheKeyThatBroughtTheCursor) {
  static std::vector<KeyCode> entries;
  entries.clear();
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-5s", "A"), Field(2, 2, 20, "%-5s", "B"), Field(3, 3, 20, "%-5s", "C")};
  t[1].entryCallback = [](Form* f, int) {
    entries.push_back(FormLastKey(f));
    if (FormLastKey(f) == kKeyUp) FieldSetFocus(f, 1);  // like a column pick going back
    return 0;
  };
  int r = Run("Enter Enter Up Esc", t);
  EXPECT_EQ(27, r);
  EXPECT_EQ((std::vector<KeyCode>{kKeyEnter, kKeyUp}), entries);
  EXPECT_EQ(1, FormCurrentField(&form_));
}

TEST_F(FormTest, F10WithoutHandlerAcceptsAfterTheExitCallback) {
  static int exitsSeen = 0;
  exitsSeen = 0;
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-5s", "A")};
  t[0].exitCallback = [](Form* f, int) {
    ++exitsSeen;
    return FormLastKey(f) == kKeyF10 ? 0 : 0x20;
  };
  EXPECT_EQ(0, Run("F10", t));
  EXPECT_EQ(1, exitsSeen);
}

TEST_F(FormTest, FirstAndLastReadBackAsEmpty) {
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-10sC", "From"), Field(2, 2, 20, "%-10sC", "To")};
  int r = Run("F10", t, [](Form* f) {
    FieldSetText(f, 1, "FIRST");
    FieldSetText(f, 2, "LAST ");
  });
  EXPECT_EQ(0, r);
  char text[256] = "x";
  EXPECT_EQ(0, FieldGetText(&form_, 1, text, sizeof text));
  EXPECT_STREQ("", text);
  EXPECT_EQ(1, FieldGetTyped(&form_, 2, 0, text));
  EXPECT_NE(std::string::npos, ScreenSnapshot().find("FIRST"));
  FieldSetText(&form_, 1, "FIRSTS");
  EXPECT_EQ("FIRSTS", FieldText(&form_, 1));
  EXPECT_EQ(0, FieldGetTyped(&form_, 1, 0, nullptr));
}

TEST_F(FormTest, TheShownTextTellsAnOpenEndFromABlank) {
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-10sC", "From"), Field(2, 2, 20, "%-10sC", "To"),
                                 Field(3, 3, 20, "%-10sC", "Blank"), Field(4, 4, 20, "%5d", "Number"),
                                 Field(5, 5, 20, "nn/nn/nn", "Date"), Field(6, 6, 20, "nnnnnnnnnn", "Amount")};
  EXPECT_EQ(0, Run("F10", t, [](Form* f) {
    FieldSetText(f, 1, "FIRST");
    FieldSetText(f, 2, "LAST ");
    FieldSetText(f, 3, "");
    FieldSetText(f, 4, "LAST");
    FieldSetText(f, 5, "031525");
    FieldSetText(f, 6, "FIRST");
  }));
  const struct {
    int field;
    const char* text;   // FieldGetText
    const char* shown;  // FieldGetShownText
  } cases[] = {
      {1, "", "FIRST"}, {2, "", "LAST"}, {3, "", ""}, {4, "", "LAST"}, {5, "03/15/25", "03/15/25"},
      // A picture of digits shows an open end too (amount ranges).
      {6, "", "FIRST"},
  };
  for (const auto& c : cases) {
    char text[64] = "x", shown[64] = "x";
    EXPECT_EQ(static_cast<int>(std::strlen(c.text)), FieldGetText(&form_, c.field, text, sizeof text));
    EXPECT_EQ(static_cast<int>(std::strlen(c.shown)), FieldGetShownText(&form_, c.field, shown, sizeof shown));
    EXPECT_STREQ(c.text, text) << "field " << c.field;
    EXPECT_STREQ(c.shown, shown) << "field " << c.field;
  }
  char small[3];
  EXPECT_EQ(2, FieldGetShownText(&form_, 1, small, sizeof small)) << "cut to the buffer";
  EXPECT_STREQ("FI", small);
  EXPECT_EQ(-1, FieldGetShownText(&form_, 9, small, sizeof small)) << "no such field";
  // The shown word, set again, is the same open end.
  FieldSetText(&form_, 3, "FIRST");
  EXPECT_EQ(1, FieldGetTyped(&form_, 3, 0, nullptr));
}

TEST_F(FormTest, TypingOverFirstMakesTheEndClosed) {
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-10sC", "From")};
  EXPECT_EQ(0, Run(R"("c100" F10)", t, [](Form* f) { FieldSetText(f, 1, "FIRST"); }));
  EXPECT_EQ("C100", FieldText(&form_, 1));
  EXPECT_EQ(0, FieldGetTyped(&form_, 1, 0, nullptr));
}

TEST_F(FormTest, AFormDefinitionWiderThanItsWindowGrows) {
  std::vector<TagFormField> t = {Field(1, 1, 10, "%-10s", "A"), Field(2, 15, 10, "%-10s", "Far")};
  EXPECT_EQ(0, Run("F10", t));
  EXPECT_GE(WinRows(&window_), 17);
  EXPECT_NE(std::string::npos, ScreenSnapshot().find("Far"));
}

TEST_F(FormTest, AFieldOutOfUseBelowTheWindowLeavesItsFrame) {
  // The window is 12 rows high: row 11 is its bottom frame line.
  std::vector<TagFormField> t = {Field(1, 1, 10, "%-10s", "A"), Field(2, 11, 20, "%-40s", "Message")};
  EXPECT_EQ(0, Run("F10", t, [](Form* f) { FieldSetAccess(f, 2, 2); }));
  EXPECT_EQ(12, WinRows(&window_)) << "the window does not grow for a field out of use";
  const std::string screen = ScreenSnapshot();
  const std::size_t bottom = screen.find("\xe2\x94\x94");  // the frame's lower left corner
  ASSERT_NE(std::string::npos, bottom) << screen;
  const std::string line = screen.substr(bottom, screen.find('\n', bottom) - bottom);
  EXPECT_EQ(std::string::npos, line.find("     ")) << "the bottom frame line is whole: " << line;
}

TEST_F(FormTest, BadMaskIsRefusedWithAMessage) {
  Start("Enter");
  std::vector<TagFormField> t = {Field(1, 1, 20, "%-5q"), TagFormField{}};
  FormBegin(&form_);
  EXPECT_EQ(0, FormFieldsCreate(&form_, t.data(), 1));
  std::vector<TagFormField> twice = {Field(1, 1, 20, "%-5s"), Field(1, 2, 20, "%-5s"), TagFormField{}};
  EXPECT_EQ(0, FormFieldsCreate(&form_, twice.data(), 1));
  std::string transcript = Transcript();
  EXPECT_NE(std::string::npos, transcript.find("cannot be shown")) << transcript;
  EXPECT_NE(std::string::npos, transcript.find("twice")) << transcript;
}

// --- Grids ----------------------------------------------------------------------------------
// A count sheet: loaded rows are read-only; new rows are typed on the blank
// row at the end and kept when the cursor leaves them.

struct CountRow {
  char code[16];
  double quantity;
  bool loaded;
};

struct CountSheet {
  std::vector<CountRow> storage = std::vector<CountRow>(10);
  int used = 0;
  int leaves = 0;
};

CountSheet* Sheet(PickList* l) { return static_cast<CountSheet*>(l->context); }

int DisplayCount(PickList* l, void* row, int) {
  if (!row) return 0;
  auto* r = static_cast<CountRow*>(row);
  FieldSetText(&l->line, 1, r->code);
  char q[64];
  StrFormatQuantity(q, "%11.4fF", 0, 12, r->quantity);
  FieldSetText(&l->line, 2, q);
  return 0;
}

int EnterCount(PickList* l, void* row, int) {
  bool loaded = row && static_cast<CountRow*>(row)->loaded;
  FieldSetProtect(&l->line, 1, loaded);
  FieldSetProtect(&l->line, 2, loaded);
  return 0;
}

int LeaveCount(PickList* l, void* row, int) {
  CountSheet& s = *Sheet(l);
  ++s.leaves;
  if (row) return 0;
  std::string code = FieldText(&l->line, 1);
  if (code.empty()) return 0;
  double q = 0;
  if (TextToValue(FieldText(&l->line, 2).c_str(), 12, &q) != 0) return 0x20;
  CountRow& r = s.storage[static_cast<std::size_t>(s.used++)];
  std::snprintf(r.code, sizeof r.code, "%s", code.c_str());
  r.quantity = q;
  PickRowInsert(l, &r, -1, 0x200000);
  return 0;
}

class GridTest : public rvtest::ScriptedTest {};

TEST_F(GridTest, NewRowsAreAddedLoadedRowsStayReadOnly) {
  Start(R"(
    "12" Enter           # a new row on the blank row at the end
    "1 6/12" Enter       # leaving the row keeps it
    "B7" Enter "2//3" Up # a bad quantity keeps the cursor on the row
    "2" Enter            # typed over and kept
    Up Up Up "9"         # the loaded row is read-only
    F10
  )");
  CountSheet sheet;
  CountRow& loaded = sheet.storage[static_cast<std::size_t>(sheet.used++)];
  std::snprintf(loaded.code, sizeof loaded.code, "A100");
  loaded.quantity = 5;
  loaded.loaded = true;

  std::vector<TagFormField> line = {Field(1, 0, 2, "%-14sC"), Field(2, 0, 20, "%11.4fF"), TagFormField{}};
  Form form{};
  Window window{};
  PickList grid{};
  FormBegin(&form);
  ASSERT_EQ(0, WinOpen(&window, 1, 0, 12, 60, 1, 1, 32, "Physical Count"));
  FormAttachWindow(&window, &form, 1);
  WinWriteAt(&window, 1, 2, "Product code");
  WinWriteAt(&window, 1, 22, "Quantity");
  PickListInit(&grid, 2, 1, 8, 58);
  ASSERT_EQ(1, FormFieldsCreate(&grid.line, line.data(), 1));
  grid.display = DisplayCount;
  grid.enter = EnterCount;
  grid.leave = LeaveCount;
  grid.appendRow = true;
  grid.context = &sheet;
  PickRowInsert(&grid, &loaded, -1, 0x200000);
  PickListAttach(&form, &grid);
  PickListFocus(&grid, -1);
  EXPECT_EQ(0, FormRun(&form, 0));

  ASSERT_EQ(3, PickRowCount(&grid));
  auto* r1 = static_cast<CountRow*>(PickRowGet(&grid, 1));
  auto* r2 = static_cast<CountRow*>(PickRowGet(&grid, 2));
  EXPECT_STREQ("12", r1->code);
  EXPECT_EQ(1.5, r1->quantity);
  EXPECT_STREQ("B7", r2->code);
  EXPECT_EQ(2.0, r2->quantity);
  EXPECT_EQ("A100", FieldText(&grid.line, 1));
  EXPECT_EQ(3, sheet.leaves);  // changed rows only: "12", "B7" refused, "B7" kept
  std::string screen = ScreenSnapshot();
  EXPECT_NE(std::string::npos, screen.find("A100")) << screen;
  EXPECT_NE(std::string::npos, screen.find("1 6/12")) << screen;
  WinClose(&window, 1);
  FormEnd(&form);
}

// A look-up key fills the row being typed; a key that empties the sheet
// starts again on a blank row.
TEST_F(GridTest, KeysFillTheRowOrEmptyTheGrid) {
  Start(R"(
    "A" Enter "1" Enter   # a first row
    F5 Enter "3" Enter    # F5 puts P500 into the blank row's code
    F6                    # empties the sheet: the cursor is on a blank row again
    F5 Enter "4" Enter
    F10
  )");
  CountSheet sheet;
  std::vector<TagFormField> line = {Field(1, 0, 2, "%-14sC"), Field(2, 0, 20, "%11.4fF"), TagFormField{}};
  std::vector<TagFormField> top = {Field(1, 1, 20, "%-10s", "Counted by"), TagFormField{}};
  Form form{};
  Window window{};
  PickList grid{};
  FormBegin(&form);
  ASSERT_EQ(1, FormFieldsCreate(&form, top.data(), 1));
  ASSERT_EQ(0, WinOpen(&window, 1, 0, 14, 60, 1, 1, 32, "Physical Count"));
  FormAttachWindow(&window, &form, 1);
  PickListInit(&grid, 3, 1, 8, 58);
  ASSERT_EQ(1, FormFieldsCreate(&grid.line, line.data(), 1));
  grid.display = DisplayCount;
  grid.enter = EnterCount;
  grid.leave = LeaveCount;
  grid.appendRow = true;
  grid.context = &sheet;
  form.context = &grid;
  PickListAttach(&form, &grid);
  PickListFocus(&grid, -1);  // the cursor starts in the grid, not on "Counted by"
  FormOnKey(&form, kKeyF5, [](Form* f, KeyCode) {
    FieldSetText(&static_cast<PickList*>(f->context)->line, 1, "p500");
    return 0;
  }, "Look up");
  FormOnKey(&form, kKeyF6, [](Form* f, KeyCode) {
    PickListClear(static_cast<PickList*>(f->context));
    return 0;
  }, "Clear");
  EXPECT_EQ(0, FormRun(&form, 0));
  ASSERT_EQ(1, PickRowCount(&grid));
  auto* r = static_cast<CountRow*>(PickRowGet(&grid, 0));
  EXPECT_STREQ("P500", r->code);
  EXPECT_EQ(4.0, r->quantity);
  EXPECT_EQ(3, sheet.used);
  EXPECT_EQ("", FieldText(&form, 1));
  WinClose(&window, 1);
  FormEnd(&form);
}

}  // namespace
