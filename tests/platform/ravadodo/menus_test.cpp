// Menu bar, drop-down menus, toolbar and the main window's event wait.
#include <string>

#include "test_support.h"

namespace {

// A small menu in the shape of the main program's tables.
const TagMenuItem kFileList[] = {
    {1, 1, 110, 0, 0, 'O', " Open            ", nullptr},
    {2, 1, 111, 0, 0, 'E', " Express Setup   ", nullptr},
    {3, 1, 0, 0, 0, '\xC4', " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4?", nullptr},
    {4, 1, 117, 5, 0, 'N', " CoNsolidate     ", nullptr},
    {5, 1, 118, 1, 0, 'X', " EXit            ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};
const TagMenuItem kEditList[] = {
    {1, 1, 120, 3, 0, 'A', " Accounts          ", nullptr},
    {2, 1, 131, 1, 0, 'T', " Tables            ", nullptr},
    {1, 7, -1, 0, 0, 0, nullptr, nullptr},
};
// A list whose letters clash or hide: "Z" is nowhere in its caption, and
// two entries claim "B".
const TagMenuItem kPrintList[] = {
    {1, 1, 602, 0, 0, 'B', " Backup/Restore  ", nullptr},
    {2, 1, 115, 0, 0, 'B', " Export Billing  ", nullptr},
    {3, 1, 236, 0, 0, 'Z', " BiLling Print   ", nullptr},
    {1, 12, -1, 0, 0, 0, nullptr, nullptr},
};
const TagMenuItem kTop[] = {
    {0, 2, 0, 0, 0x2100, 'F', "File", kFileList},
    {0, 7, 0, 0, 0x1200, 'E', "Edit", kEditList},
    {0, 12, 0, 0, 0x1900, 'P', "Print", kPrintList},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};
const TagMenuItem kTablesList[] = {
    {1, 1, 131, 3, 0, 'M', " Messages         ", nullptr},
    {2, 1, 134, 3, 0, 'X', " TaX              ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};
const TagMenuItem kPopup131[] = {
    {0, 2, 131, 0, 0x1400, 'T', "Tables", kTablesList},
    {0, 0, 0, 0, 0, 0, nullptr, nullptr},  // ends like -1
};

class MenuTest : public rvtest::ScriptedTest {
 protected:
  void Build() {
    AppSetTitle("Quarlex Accounting (Single-User)");
    ASSERT_EQ(1, AppCreateMainWindow());
    ASSERT_EQ(0, MenuBuild(kTop));
    EXPECT_EQ(1, MenuAttachPopup(kPopup131, 131));
  }
  // The next event of the main window: a pick's id, or the key.
  int Next() {
    KeyCode key = 0;
    AppGetKey(&key, 0, 0);
    return key == kKeyMenuPick ? MenuGetPick() : -key;
  }
};

TEST_F(MenuTest, HotLetters) {
  struct Case {
    const char* caption;
    char hot;
  } cases[] = {{" TaX ", 'X'},   {" CoNsolidate ", 'N'}, {" EXit ", 'X'}, {" Open ", 'O'},
               {" PurcHasing Codes ", 'H'}, {"Qurl Access", 'Q'}, {" 1099's ", '1'}, {" ", 0}};
  for (const Case& c : cases) EXPECT_EQ(c.hot, MenuHotLetter(c.caption)) << c.caption;
}

TEST_F(MenuTest, EveryEntryHasALetterItShowsAndThatWorks) {
  // The caption's own capital for "BiLling Print"; the next free letter
  // of "Export Billing" ("E"), whose "B" the entry before it has.
  Start(R"(Alt+P "l" Alt+P "e" Alt+P "b")");
  Build();
  EXPECT_EQ(236, Next());
  EXPECT_EQ(115, Next());
  EXPECT_EQ(602, Next());
}

TEST_F(MenuTest, PicksByHotKeysArrowsAndSubMenus) {
  Start(R"(
    Alt+F "x"            # EXit
    F10 Down Down Enter  # Open, Express Setup, (separator skipped) CoNsolidate
    Alt+E Down Enter "x" # Tables opens its sub-menu: TaX
    Alt+E Down Enter Enter  # Tables' own first item, Messages, is 131 too
    Alt+F Right Down Right Down Enter  # Edit via Right, into the sub-menu by Right
    Alt+F Esc F4         # Esc closes the menus; the key after it reaches the loop
  )");
  Build();
  EXPECT_EQ(118, Next());
  EXPECT_EQ(117, Next());
  EXPECT_EQ(134, Next());
  EXPECT_EQ(131, Next());
  EXPECT_EQ(134, Next());
  EXPECT_EQ(-kKeyF4, Next());
  std::string screen = ScreenSnapshot();
  EXPECT_EQ(0u, screen.find("  File Edit")) << screen;  // captions start at their columns 2 and 7
  EXPECT_NE(std::string::npos, screen.find("Quarlex Accounting (Single-User)")) << screen;
}

TEST_F(MenuTest, LevelsAndDisabledItemsCannotBePicked) {
  Start(R"(Alt+F "n" Down Down Enter Alt+F "o" Esc Enter Alt+F)");
  Build();
  MenuSetUserLevel(4);  // CoNsolidate needs level 5
  EXPECT_EQ(118, Next());  // "n" does nothing; Down, Down reach EXit
  MenuItemEnable(110, 0);
  EXPECT_EQ(-kKeyEnter, Next());  // Open is disabled: "o" does nothing
  MenuDisable(kTop);
  EXPECT_EQ(-0x2100, Next());  // a disabled bar lets Alt+F through as a key
}

TEST_F(MenuTest, ClickOpensTheMenu) {
  Start("Click(0,8) Down Enter Enter");
  Build();
  EXPECT_EQ(131, Next());  // Edit, then Tables' sub-menu, Messages
}

TEST_F(MenuTest, ToolbarFromIniFileByKeyAndClick) {
  std::string ini = dir_.File("qxastb.ini");
  rvtest::WriteAll(ini,
                   "; toolbar\n[Default]\nButton1=320,Post\nButton2=337,Aging\nButton3=bad\nButton4=350,Products\n"
                   "Button5=99999999999,Big\nButton6=-301,Minus\nButton7=301x,Trailing\nButton8=4294967633,Wraps\n"
                   "[OTHER]\nButton1=101,Open\n");
  Start("Alt+2 Click(1,16) Enter");
  Build();
  Toolbar tb{};
  std::snprintf(tb.section, sizeof tb.section, "Default");
  // The malformed entries are skipped: no command, a number the button
  // cannot hold (never taken cut down to 1215752191 or 337), a negative
  // one, one with text after it.
  ASSERT_EQ(3, ToolbarLoad(&tb, ini.c_str()));
  EXPECT_EQ(350, tb.buttons[2].command);
  ToolbarShow(&tb);
  // Each button shows the key that presses it.
  EXPECT_NE(std::string::npos, ScreenSnapshot().find("[Alt+1 Post] [Alt+2 Aging] [Alt+3 Products]"))
      << ScreenSnapshot();

  KeyCode key = 0;
  int button = 0;
  AppGetKey(&key, 0, 0);
  ASSERT_EQ(1, ToolbarHitTest(&tb, &key, &button));
  EXPECT_EQ(2, button);
  ToolbarPostCommand(&tb, tb.buttons[button - 1].command, AppGetMainWindow());
  EXPECT_EQ(337, Next());  // the posted command comes back as a pick
  AppGetKey(&key, 0, 0);
  ASSERT_EQ(1, ToolbarHitTest(&tb, &key, &button));
  EXPECT_EQ(2, button);
  key = kKeyEnter;
  EXPECT_EQ(0, ToolbarHitTest(&tb, &key, &button));

  // Buttons that do not fit so on the row share one "Alt+" before them.
  Toolbar wide{};
  for (int i = 0; i < 8; ++i) {
    wide.buttons[i].command = 300 + i;
    std::snprintf(wide.buttons[i].text, sizeof wide.buttons[i].text, "Command %d", i + 1);
  }
  wide.count = 8;
  ToolbarShow(&wide);
  EXPECT_NE(std::string::npos, ScreenSnapshot().find(" Alt+ [1 Command 1] [2 Command 2] [3 Command 3]"))
      << ScreenSnapshot();
  ToolbarShow(&tb);

  // Saved under the user's own section; the other sections stay.
  std::snprintf(tb.section, sizeof tb.section, "JANE");
  ASSERT_EQ(0, ToolbarSave(&tb));
  Toolbar back{};
  std::snprintf(back.section, sizeof back.section, "jane");
  EXPECT_EQ(3, ToolbarLoad(&back, ini.c_str()));
  EXPECT_EQ(std::string::npos, rvtest::ReadAll(ini).find("1215752191"));
  std::snprintf(back.section, sizeof back.section, "OTHER");
  EXPECT_EQ(1, ToolbarLoad(&back, ini.c_str()));
  std::snprintf(back.section, sizeof back.section, "Missing");
  EXPECT_EQ(0, ToolbarLoad(&back, ini.c_str()));
  EXPECT_EQ(0, ToolbarLoad(&back, dir_.File("none.ini").c_str()));
}

TEST_F(MenuTest, ExitQuestion) {
  Start("Enter Right Enter");
  AppSetTitle("Quarlex Accounting (Single-User)");
  EXPECT_EQ(1, AppConfirmExit());
  EXPECT_EQ(0, AppConfirmExit());
  EXPECT_NE(std::string::npos, Transcript().find("Do you want to leave Quarlex Accounting (Single-User)?"));
}

}  // namespace
