// The help menu: help texts in a scrolling window and the About box.
#include "qxhlpmnu.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "oemtext.h"
#include "qxabase/app_block.h"
#include "ravadodo.h"

namespace {

// The Help title's list: its ids lie outside the command groups, so the
// main loop hands them back here.
const TagMenuItem kHelpList[] = {
    {1, 1, kHelpContentsCommand, 0, 0, 'C', " Contents        F1", nullptr},
    {2, 1, kHelpKeysCommand, 0, 0, 'K', " Keys      Shift+F1", nullptr},
    {3, 1, 0, 0, 0, static_cast<char>(0xC4), " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4", nullptr},
    {4, 1, kHelpAboutCommand, 0, 0, 'A', " About Quarlex     ", nullptr},
    {1, 0, -1, 0, 0, 0, nullptr, nullptr},
};

std::string HelpFolder() {
  const SharedAppBlock* app = SharedAppBlockGet();
  if (app->helpBuffer[0]) return app->helpBuffer;
  if (app->baseDataFolder[0]) return std::string(app->baseDataFolder) + "/help";
  return AppBaseDataFolder() + "/help";
}

// The lines of a UTF-8 text file in code page 437, tabs expanded.
bool ReadLines(const std::string& path, std::vector<std::string>* lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string expanded;
    for (char c : line) {
      if (c == '\t')
        expanded.append(8 - expanded.size() % 8, ' ');
      else
        expanded += c;
    }
    lines->push_back(oem::FromUtf8(expanded));
  }
  while (!lines->empty() && lines->back().empty()) lines->pop_back();
  return !in.bad();
}

// Draws the lines from `top` into the window's inside.
void DrawPage(Window* win, const std::vector<std::string>& lines, int top) {
  const int rows = WinRows(win) - 2, cols = WinCols(win) - 2;
  for (int r = 0; r < rows; ++r) {
    std::string text = top + r < static_cast<int>(lines.size()) ? lines[top + r] : std::string();
    text = " " + text;
    text.resize(static_cast<std::size_t>(cols), ' ');
    WinWriteAt(win, r + 1, 1, text.c_str());
  }
  const int last = std::max(0, static_cast<int>(lines.size()) - rows);
  std::string legend = last > 0 ? "\x18\x19 PgUp PgDn Scroll  Esc Close" : "Esc Close";
  WinStatusText(win, legend.c_str());
}

void ShowAbout() {
  const SharedAppBlock* app = SharedAppBlockGet();
  std::string text = std::string(AppGetCaption()) + "\nVersion " QX_PROJECT_VERSION "\n\n" +
                     "The accounting core: general ledger, receivables, payables, cash and bank,\n"
                     "billing, purchasing, inventory, period-end and reports.";
  if (app->companyPath[0]) text += std::string("\n\nCompany folder: ") + app->companyPath;
  MsgBoxShow(text.c_str(), "About Quarlex Accounting");
}

}  // namespace

int HelpMenuAdd(Window*, const char*) { return MenuAppendTitle("Help", kHelpList); }

int HelpMenuRun(int commandId) {
  switch (commandId) {
    case kHelpContentsCommand:
    case 105:
      HelpShowText("contents.txt", "Help: Contents");
      return 1;
    case kHelpKeysCommand:
    case 106:
      HelpShowText("keys.txt", "Help: Keys");
      return 1;
    case kHelpAboutCommand:
      ShowAbout();
      return 1;
    default:
      return 0;
  }
}

int HelpShowText(const char* name, const char* title) {
  const std::string path = HelpFolder() + "/" + (name ? name : "");
  std::vector<std::string> lines;
  if (!ReadLines(path, &lines)) {
    std::string text = "The help text " + path + " cannot be found.\nPlease re-install the application.";
    MsgBoxShowStyle(0, oem::FromUtf8(text).c_str(), nullptr, kMsgStyleError, 0);
    return -1;
  }
  const int screenRows = ScreenRows(), screenCols = ScreenCols();
  const int rows = std::min(screenRows - 4, static_cast<int>(lines.size()) + 2);
  const int cols = std::min(screenCols - 4, 78);
  Window win{};
  if (WinOpen(&win, (screenRows - rows) / 2, (screenCols - cols) / 2, std::max(rows, 5), cols, 2, 1, 32,
              title)) {
    return -1;
  }
  const int page = WinRows(&win) - 2;
  const int last = std::max(0, static_cast<int>(lines.size()) - page);
  int top = 0;
  DrawPage(&win, lines, top);
  TranscriptScreen(title);
  for (;;) {
    const KeyCode key = KeyRead();
    if (key == kKeyEsc || key == kKeyEnter || key == kKeyClose) break;
    int next = top;
    switch (key) {
      case kKeyUp: next = top - 1; break;
      case kKeyDown: next = top + 1; break;
      case kKeyPgUp: next = top - page; break;
      case kKeyPgDn: next = top + page; break;
      case kKeyHome: next = 0; break;
      case kKeyEnd: next = last; break;
      default: continue;
    }
    next = std::clamp(next, 0, last);
    if (next != top) {
      top = next;
      DrawPage(&win, lines, top);
    }
  }
  WinClose(&win);
  return 0;
}

void HelpMenuClose() {}
