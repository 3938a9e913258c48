// The menu bar tables: their shape, and the bar they build.
#include <set>
#include <string>
#include <vector>

#include "ravadodo.h"
#include "shell/menu_tables.h"
#include "shell_test_support.h"

namespace {

bool IsEnd(const TagMenuItem& e) { return e.commandId == -1 || (e.commandId == 0 && !e.caption); }
bool IsSeparator(const TagMenuItem& e) { return e.commandId == 0 && e.caption; }

std::vector<const TagMenuItem*> Entries(const TagMenuItem* table) {
  std::vector<const TagMenuItem*> out;
  for (const TagMenuItem* e = table; !IsEnd(*e); ++e) out.push_back(e);
  return out;
}
const TagMenuItem& EndOf(const TagMenuItem* table) {
  const TagMenuItem* e = table;
  while (!IsEnd(*e)) ++e;
  return *e;
}

TEST(MenuTables, EightTitlesWithTheirAltKeysAndColumns) {
  struct Title {
    const char* caption;
    unsigned key;
    char hot;
    unsigned column;
    std::size_t items;  // entries of the drop-down list, separators included
  } expected[] = {
      {"File", 0x2100, 'F', 2, 14},    {"Edit", 0x1200, 'E', 7, 17},
      {"Transactions", 0x1400, 'T', 12, 17}, {"Journals", 0x2400, 'J', 25, 10},
      {"Posting", 0x1900, 'P', 34, 10}, {"Reports", 0x1300, 'R', 42, 9},
      {"Qurl Access", 0x1E00, 'A', 50, 4}, {"PerioDic", 0x2000, 'D', 60, 6},
  };
  const auto titles = Entries(qxa::TopLevelMenu());
  ASSERT_EQ(std::size(expected), titles.size());
  for (std::size_t i = 0; i < titles.size(); ++i) {
    const TagMenuItem& t = *titles[i];
    EXPECT_STREQ(expected[i].caption, t.caption);
    EXPECT_EQ(expected[i].key, t.keyCode) << t.caption;
    EXPECT_EQ(expected[i].hot, t.hotLetter) << t.caption;
    EXPECT_EQ(expected[i].column, t.column) << t.caption;
    EXPECT_EQ(0u, t.row);
    const auto items = Entries(t.children);
    EXPECT_EQ(expected[i].items, items.size()) << t.caption;
    // A list's end entry carries row 1 and its title's column.
    EXPECT_EQ(1u, EndOf(t.children).row) << t.caption;
    EXPECT_EQ(t.column, EndOf(t.children).column) << t.caption;
  }
}

TEST(MenuTables, ListEntriesAndSeparators) {
  std::vector<const TagMenuItem*> lists;
  for (const TagMenuItem* t : Entries(qxa::TopLevelMenu())) lists.push_back(t->children);
  for (int id : qxa::kPopupIds) {
    const TagMenuItem* popup = nullptr;
    ASSERT_TRUE(qxa::FindPopupTable(id, &popup)) << id;
    for (const TagMenuItem* e : Entries(popup)) lists.push_back(e->children);
  }
  EXPECT_EQ(28u, lists.size());
  for (const TagMenuItem* list : lists) {
    for (const TagMenuItem* e : Entries(list)) {
      const std::string caption = e->caption;
      EXPECT_EQ(1u, e->column) << caption;
      EXPECT_EQ(0u, e->keyCode) << caption;
      EXPECT_EQ(nullptr, e->children) << caption;
      EXPECT_EQ(' ', caption[0]) << caption;
      if (IsSeparator(*e)) {
        EXPECT_EQ(0u, e->level);
        EXPECT_EQ('\xC4', e->hotLetter);
        EXPECT_EQ('\xC4', caption[1]) << "a separator is a run of 0xC4";
      } else {
        EXPECT_LE(e->level, 6u) << caption;
        EXPECT_GT(e->commandId, 100) << caption;
      }
    }
  }
  // Rows as stored: two entries may share a row, and rows need not rise.
  const auto reports = Entries(Entries(qxa::TopLevelMenu())[5]->children);
  EXPECT_EQ(350, reports[3]->commandId);
  EXPECT_EQ(357, reports[4]->commandId);
  EXPECT_EQ(reports[3]->row, reports[4]->row);
  const auto transactions = Entries(Entries(qxa::TopLevelMenu())[2]->children);
  EXPECT_EQ(205, transactions[13]->commandId);
  EXPECT_EQ(17u, transactions[13]->row);
  EXPECT_EQ(14u, transactions[14]->row);
  EXPECT_STREQ(" InventorY Adjustments ", transactions[13]->caption);
  EXPECT_STREQ(" CoNsolidate     ", Entries(Entries(qxa::TopLevelMenu())[0]->children)[8]->caption);
}

TEST(MenuTables, PopupsAttachToItemsOfTheLists) {
  // Each pop-up entry names an item of a drop-down list that owns a sub-menu.
  std::set<int> listIds;
  for (const TagMenuItem* t : Entries(qxa::TopLevelMenu()))
    for (const TagMenuItem* e : Entries(t->children)) listIds.insert(e->commandId);
  int entries = 0;
  for (int id : qxa::kPopupIds) {
    const TagMenuItem* popup = nullptr;
    ASSERT_TRUE(qxa::FindPopupTable(id, &popup));
    EXPECT_EQ(id, popup->commandId);
    for (const TagMenuItem* e : Entries(popup)) {
      ++entries;
      EXPECT_TRUE(listIds.count(e->commandId)) << e->commandId;
      EXPECT_NE(0u, e->keyCode);
      ASSERT_NE(nullptr, e->children);
      // The sub-menu's end entry carries the pop-up entry's column.
      EXPECT_EQ(e->column, EndOf(e->children).column) << e->commandId;
    }
  }
  EXPECT_EQ(20, entries);
  const TagMenuItem* none = nullptr;
  for (int id : {0, 100, 118, 130, 314, 999}) EXPECT_FALSE(qxa::FindPopupTable(id, &none)) << id;
  EXPECT_EQ(nullptr, none);
}

TEST(MenuTables, TheBarShowsEveryTitleAndTheHelpMenu) {
  shelltest::TempDir dir;
  ScreenResetForTest("", (dir / "t.txt").c_str());
  AppSetCommandOnly(false);
  AppSetTitle("Quarlex Accounting (Single-User)");
  AppCreateMainWindow();
  qxa::BuildMenuBar();
  const std::string screen = ScreenSnapshot();
  const std::string bar = screen.substr(0, screen.find('\n'));
  EXPECT_EQ("  File Edit Transactions Journals Posting Reports Qurl Access PerioDic  Help", bar);
  ScreenResetForTest("", nullptr);
}

TEST(MenuTables, ACommandOnlyStartBuildsOnlyTheHelpMenu) {
  shelltest::TempDir dir;
  ScreenResetForTest("", nullptr);
  AppSetCommandOnly(true);
  AppCreateMainWindow();
  qxa::BuildMenuBar();
  const std::string screen = ScreenSnapshot();
  EXPECT_EQ("  Help", screen.substr(0, screen.find('\n')));
  AppSetCommandOnly(false);
}

}  // namespace
