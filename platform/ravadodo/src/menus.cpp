// The main window: menu bar, drop-down menus, toolbar, status line and the
// event wait of the main loop.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <set>
#include <sstream>
#include <strings.h>

#include "internal.h"
#include "qxsys/user_folders.h"

namespace rv {
namespace {

struct MenuEntry {
  const TagMenuItem* item = nullptr;
  const TagMenuItem* sub = nullptr;  // attached sub-menu list
  char hot = 0;                      // the letter that chooses it in its list (AssignHotLetters)
};

struct MenuTitle {
  std::string caption;
  char hot = 0;
  KeyCode altKey = 0;
  int col = 0;
  std::vector<MenuEntry> entries;
};

struct ToolbarSpot {
  int from = 0, to = 0;  // screen columns of a shown button
};

struct MenuState {
  std::vector<MenuTitle> titles;
  const TagMenuItem* topTable = nullptr;
  bool enabled = true;
  int userLevel = 6;
  int pick = -1;
  std::deque<int> posted;
  std::set<int> disabledIds;
  bool toolbarShown = false;
  Toolbar toolbar{};
  std::vector<ToolbarSpot> spots;
  int openTitle = -1;  // highlighted while a menu is open
};

MenuState& Menus() {
  static MenuState m;
  return m;
}

bool IsEnd(const TagMenuItem& e) { return e.commandId == -1 || (e.commandId == 0 && e.caption == nullptr); }
bool IsSeparator(const TagMenuItem& e) {
  return e.commandId == 0 && e.caption && static_cast<unsigned char>(Trimmed(e.caption).c_str()[0]) == 0xC4;
}

char HotOf(const TagMenuItem& e) {
  if (e.hotLetter && static_cast<unsigned char>(e.hotLetter) != 0xC4) return e.hotLetter;
  return MenuHotLetter(e.caption);
}

bool InCaption(const char* caption, char letter) {
  if (!caption || !letter) return false;
  const unsigned char up = oem::ToUpper(static_cast<unsigned char>(letter));
  for (const char* p = caption; *p; ++p)
    if (oem::ToUpper(static_cast<unsigned char>(*p)) == up) return true;
  return false;
}

// The hot letters of a list's entries.  Each entry keeps its own letter
// where its caption shows it (a letter the caption lacks could be pressed
// but never seen), else takes the capital inside a word, else its first
// letter; a letter another entry of the list took first gives way to the
// next letter of the caption that is free.  So every entry has a letter
// that is shown and that works.
void AssignHotLetters(std::vector<MenuEntry>& entries) {
  std::set<unsigned char> taken;
  const auto take = [&](MenuEntry& e, char hot) {
    e.hot = hot;
    taken.insert(oem::ToUpper(static_cast<unsigned char>(hot)));
  };
  const auto free = [&](char c) { return c && !taken.count(oem::ToUpper(static_cast<unsigned char>(c))); };
  // First every entry whose own letter its caption shows and no entry
  // before it took, so that those keep theirs; then the others.
  std::vector<MenuEntry*> rest;
  for (MenuEntry& e : entries) {
    if (IsSeparator(*e.item) || !e.item->caption) continue;
    char hot = HotOf(*e.item);
    if (!InCaption(e.item->caption, hot)) hot = MenuHotLetter(e.item->caption);
    if (free(hot)) take(e, hot);
    else rest.push_back(&e);
  }
  for (MenuEntry* e : rest) {
    for (const char* p = e->item->caption; *p; ++p) {
      if (std::isalnum(static_cast<unsigned char>(*p)) && free(*p)) {
        take(*e, *p);
        break;
      }
    }
  }
}

std::vector<MenuEntry> EntriesOf(const TagMenuItem* list) {
  std::vector<MenuEntry> out;
  for (const TagMenuItem* e = list; e && !IsEnd(*e); ++e) out.push_back({e, nullptr, 0});
  AssignHotLetters(out);
  return out;
}

bool EntryEnabled(const MenuEntry& e) {
  const MenuState& m = Menus();
  if (IsSeparator(*e.item) || (e.item->commandId <= 0 && !e.sub)) return false;
  if (static_cast<int>(e.item->level) > m.userLevel) return false;
  return !m.disabledIds.count(e.item->commandId);
}

// Where the hot letter stands in a caption: the capital inside a word first.
int HotPosition(const std::string& caption, char hot) {
  if (!hot) return -1;
  for (std::size_t i = 1; i < caption.size(); ++i)
    if (caption[i] == hot && caption[i - 1] != ' ') return static_cast<int>(i);
  for (std::size_t i = 0; i < caption.size(); ++i)
    if (caption[i] == hot) return static_cast<int>(i);
  for (std::size_t i = 0; i < caption.size(); ++i)
    if (oem::ToUpper(static_cast<unsigned char>(caption[i])) == oem::ToUpper(static_cast<unsigned char>(hot)))
      return static_cast<int>(i);
  return -1;
}

void PutCaption(CellGrid& g, int row, int col, const std::string& caption, char hot, CellAttr attr, CellAttr hotAttr,
                int maxCol) {
  g.Put(row, col, caption, attr, maxCol);
  int p = HotPosition(caption, hot);
  if (p >= 0 && col + p <= maxCol && g.Inside(row, col + p)) g.At(row, col + p).attr = hotAttr;
}

void DrawMain(CellGrid& s) {
  Ui& ui = State();
  MenuState& m = Menus();
  bool active = m.enabled && ui.inputEnabled;
  s.Fill(0, 0, s.cols, ' ', CellAttr::kMenuBar);
  for (std::size_t i = 0; i < m.titles.size(); ++i) {
    const MenuTitle& t = m.titles[i];
    bool open = static_cast<int>(i) == m.openTitle;
    CellAttr attr = open ? CellAttr::kMenuSelected : (active ? CellAttr::kMenuBar : CellAttr::kMenuDisabled);
    std::string cap = " " + t.caption + " ";
    PutCaption(s, 0, t.col - 1, cap, t.hot, attr, active || open ? (open ? CellAttr::kMenuSelected : CellAttr::kMenuHot) : attr,
               s.cols - 1);
  }
  // Toolbar row.  Each button shows the key that presses it: "[Alt+4
  // Aging]" when every button fits so, else "Alt+" once before "[4 Aging]".
  m.spots.clear();
  if (m.toolbarShown && m.toolbar.count > 0) {
    s.Fill(1, 0, s.cols, ' ', CellAttr::kDesktop);
    // Alt+1 .. Alt+9, Alt+0 press the first ten; the others only a click.
    const int shown = m.toolbar.count;
    int full = 1;
    for (int i = 0; i < shown; ++i) full += static_cast<int>(std::strlen(m.toolbar.buttons[i].text)) + (i < 10 ? 9 : 3);
    const bool each = full <= s.cols;
    int col = 1;
    if (!each) {
      s.Put(1, col, "Alt+", CellAttr::kMenuHot);
      col += 5;
    }
    for (int i = 0; i < shown; ++i) {
      const std::string key = i >= 10 ? std::string() : (each ? "Alt+" : "") + std::to_string((i + 1) % 10);
      const std::string label = "[" + key + (key.empty() ? "" : " ") + m.toolbar.buttons[i].text + "]";
      if (col + static_cast<int>(label.size()) > s.cols - 1) break;
      s.Put(1, col, label, CellAttr::kButton);
      for (std::size_t k = 1; k <= key.size(); ++k) s.At(1, col + static_cast<int>(k)).attr = CellAttr::kMenuHot;
      m.spots.push_back({col, col + static_cast<int>(label.size()) - 1});
      col += static_cast<int>(label.size()) + 1;
    }
  }
  // Status line.
  int last = s.rows - 1;
  s.Fill(last, 0, s.cols, ' ', CellAttr::kStatus);
  // The menu hint only while the menus can be reached.
  std::string left;
  if (m.openTitle >= 0)
    left = "Enter Choose  Esc Close  Left/Right Other menus";
  else if (ui.formsRunning == 0)
    left = ui.statusText.empty() ? (m.titles.empty() ? std::string() : "F10 or Alt+letter: menus") : ui.statusText;
  s.Put(last, 1, left, CellAttr::kStatus);
  std::string right = ui.title + " ";
  if (static_cast<int>(right.size() + left.size()) + 3 < s.cols)
    s.Put(last, s.cols - static_cast<int>(right.size()), right, CellAttr::kStatus);
}

// --- Running the menus ---------------------------------------------------------------

struct OpenList {
  Window box{};
  std::vector<MenuEntry> entries;
  int current = 0;
  int width = 0;
};

void DrawList(OpenList& l) {
  WindowImpl* w = l.box.impl;
  if (!w) return;
  for (std::size_t i = 0; i < l.entries.size(); ++i) {
    const MenuEntry& e = l.entries[i];
    int r = static_cast<int>(i) + 1;
    if (IsSeparator(*e.item)) {
      w->grid.Fill(r, 1, l.width, 0xC4, CellAttr::kMenuBar);
      w->grid.At(r, 0) = {0xC3, CellAttr::kFrame};
      w->grid.At(r, l.width + 1) = {0xB4, CellAttr::kFrame};
      continue;
    }
    bool enabled = EntryEnabled(e);
    bool selected = static_cast<int>(i) == l.current;
    CellAttr attr = selected ? CellAttr::kMenuSelected : (enabled ? CellAttr::kMenuBar : CellAttr::kMenuDisabled);
    std::string cap = e.item->caption ? e.item->caption : "";
    while (!cap.empty() && cap.back() == ' ') cap.pop_back();
    if (e.sub) cap += " \x10";  // a sub-menu opens from this entry
    w->grid.Fill(r, 1, l.width, ' ', attr);
    PutCaption(w->grid, r, 1, cap, e.hot, attr, enabled && !selected ? CellAttr::kMenuHot : attr, l.width);
  }
}

void OpenListAt(OpenList& l, const std::vector<MenuEntry>& entries, int top, int left) {
  l.entries = entries;
  l.width = 8;
  for (const MenuEntry& e : entries) {
    std::string cap = e.item->caption ? e.item->caption : "";
    while (!cap.empty() && cap.back() == ' ') cap.pop_back();
    l.width = std::max(l.width, static_cast<int>(cap.size()) + (e.sub ? 3 : 1));
  }
  Ui& ui = State();
  int rows = std::min(static_cast<int>(entries.size()) + 2, ui.screen.rows - 1);
  OpenPopup(&l.box, top, left, rows, l.width + 2, "");
  l.box.impl->fill = ' ';
  l.box.impl->grid.Resize(rows, l.width + 2, Cell{' ', CellAttr::kMenuBar});
  l.box.impl->frame = 1;
  DrawFrame(*l.box.impl);
  l.current = 0;
  while (l.current < static_cast<int>(entries.size()) && !EntryEnabled(entries[l.current])) ++l.current;
  if (l.current >= static_cast<int>(entries.size())) l.current = 0;
}

void Step(OpenList& l, int dir) {
  int n = static_cast<int>(l.entries.size());
  for (int i = 1; i <= n; ++i) {
    int k = ((l.current + dir * i) % n + n) % n;
    if (EntryEnabled(l.entries[k])) {
      l.current = k;
      return;
    }
  }
}

int TitleByKey(KeyCode key) {
  MenuState& m = Menus();
  for (std::size_t i = 0; i < m.titles.size(); ++i)
    if (m.titles[i].altKey == key) return static_cast<int>(i);
  return -1;
}

int TitleAtColumn(int col) {
  MenuState& m = Menus();
  for (std::size_t i = 0; i < m.titles.size(); ++i) {
    int from = m.titles[i].col - 1, to = from + static_cast<int>(m.titles[i].caption.size()) + 1;
    if (col >= from && col <= to) return static_cast<int>(i);
  }
  return -1;
}

enum { kMenuNone = -1, kMenuClosed = -2 };

// Runs one open sub-menu; returns a command id, kMenuNone (back to the
// parent), or kMenuClosed (the window is closing).  *switchTitle gets -1/+1
// when Left/Right asks for the neighbouring title.
int RunList(OpenList& l, int* switchTitle, int* jumpTitle, bool nested) {
  for (;;) {
    DrawList(l);
    SetCursor(-1, -1);
    KeyCode key = KeyRead();
    if (key == kKeyClose) return kMenuClosed;
    MenuEntry* chosen = nullptr;
    switch (key) {
      case kKeyUp: Step(l, -1); continue;
      case kKeyDown: Step(l, 1); continue;
      case kKeyHome: l.current = 0; if (!EntryEnabled(l.entries[0])) Step(l, 1); continue;
      case kKeyEnd: l.current = static_cast<int>(l.entries.size()) - 1; if (!EntryEnabled(l.entries[l.current])) Step(l, -1); continue;
      case kKeyEsc: return kMenuNone;
      case kKeyLeft:
        if (nested) return kMenuNone;
        *switchTitle = -1;
        return kMenuNone;
      case kKeyRight:
        if (l.entries[l.current].sub && EntryEnabled(l.entries[l.current])) {
          chosen = &l.entries[l.current];
          break;
        }
        if (!nested) *switchTitle = 1;
        return kMenuNone;
      case kKeyEnter:
        chosen = &l.entries[l.current];
        break;
      case kKeyMouse: {
        int r = 0, c = 0;
        KeyLastClick(&r, &c);
        WindowImpl* w = l.box.impl;
        int idx = r - w->top - 1;
        if (c > w->left && c < w->left + w->grid.cols - 1 && idx >= 0 && idx < static_cast<int>(l.entries.size())) {
          l.current = idx;
          chosen = &l.entries[idx];
          break;
        }
        if (r == 0 && TitleAtColumn(c) >= 0) {
          *jumpTitle = TitleAtColumn(c);
          return kMenuNone;
        }
        return kMenuNone;
      }
      default:
        if (int t = TitleByKey(key); t >= 0) {
          *jumpTitle = t;
          return kMenuNone;
        }
        if (key > 32 && key < 256) {
          for (std::size_t i = 0; i < l.entries.size(); ++i) {
            char hot = l.entries[i].hot;
            if (hot && oem::ToUpper(static_cast<unsigned char>(hot)) == oem::ToUpper(static_cast<unsigned char>(key)) &&
                EntryEnabled(l.entries[i])) {
              l.current = static_cast<int>(i);
              chosen = &l.entries[i];
              break;
            }
          }
        }
        if (!chosen) continue;
    }
    if (!chosen || !EntryEnabled(*chosen)) continue;
    if (!chosen->sub) return chosen->item->commandId;
    OpenList sub;
    WindowImpl* w = l.box.impl;
    OpenListAt(sub, EntriesOf(chosen->sub), w->top + l.current + 1, w->left + w->grid.cols - 1);
    int dummy = 0, jump = -1;
    int r = RunList(sub, &dummy, &jump, true);
    ClosePopup(&sub.box);
    if (r == kMenuClosed || r > 0) return r;
    if (jump >= 0) {
      *jumpTitle = jump;
      return kMenuNone;
    }
  }
}

// Opens the bar at `title` and runs it; a command id, or kMenuNone when the
// user left the menus, or kMenuClosed.
int RunMenuBar(int title) {
  MenuState& m = Menus();
  int result = kMenuNone;
  while (title >= 0 && title < static_cast<int>(m.titles.size())) {
    m.openTitle = title;
    MenuTitle& t = m.titles[title];
    OpenList l;
    OpenListAt(l, t.entries, 1, std::max(0, t.col - 1));
    int sw = 0, jump = -1;
    int r = RunList(l, &sw, &jump, false);
    ClosePopup(&l.box);
    if (r == kMenuClosed || r > 0) {
      result = r;
      break;
    }
    int n = static_cast<int>(m.titles.size());
    if (jump >= 0) title = jump;
    else if (sw) title = (title + sw + n) % n;
    else break;
  }
  m.openTitle = -1;
  return result;
}

std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& file, const std::string& section,
                                                             bool* found) {
  std::vector<std::pair<std::string, std::string>> out;
  *found = false;
  std::ifstream in(file);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    std::string t = Trimmed(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') continue;
    if (t[0] == '[') {
      std::size_t close = t.find(']');
      std::string name = Trimmed(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      inside = strcasecmp(name.c_str(), section.c_str()) == 0;
      *found |= inside;
      continue;
    }
    if (!inside) continue;
    std::size_t eq = t.find('=');
    if (eq == std::string::npos) continue;
    out.emplace_back(Trimmed(t.substr(0, eq)), Trimmed(t.substr(eq + 1)));
  }
  return out;
}

}  // namespace

void ResetMenus() {
  MenuState& m = Menus();
  m = MenuState{};
  State().drawMainWindow = nullptr;
}

}  // namespace rv

using rv::Menus;

char MenuHotLetter(const char* caption) {
  if (!caption) return 0;
  std::size_t n = std::strlen(caption);
  for (std::size_t i = 1; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(caption[i]);
    unsigned char prev = static_cast<unsigned char>(caption[i - 1]);
    if (c >= 'A' && c <= 'Z' && prev != ' ' && std::isalpha(prev)) return static_cast<char>(c);
  }
  for (std::size_t i = 0; i < n; ++i)
    if (std::isalnum(static_cast<unsigned char>(caption[i]))) return caption[i];
  return 0;
}

int MenuBuild(const TagMenuItem* topLevel) {
  rv::MenuState& m = Menus();
  m.titles.clear();
  m.topTable = topLevel;
  if (!topLevel || rv::IsEnd(*topLevel)) return -1;
  int nextCol = 2;
  for (const TagMenuItem* t = topLevel; !rv::IsEnd(*t); ++t) {
    rv::MenuTitle title;
    title.caption = rv::Trimmed(t->caption ? t->caption : "");
    title.hot = rv::HotOf(*t);
    title.altKey = t->keyCode ? static_cast<KeyCode>(t->keyCode) : KeyAltOf(title.hot);
    title.col = t->column ? static_cast<int>(t->column) : nextCol;
    nextCol = title.col + static_cast<int>(title.caption.size()) + 2;
    title.entries = rv::EntriesOf(t->children);
    m.titles.push_back(std::move(title));
  }
  rv::State().drawMainWindow = rv::DrawMain;
  return 0;
}

int MenuAttachPopup(const TagMenuItem* popup, int) {
  int attached = 0;
  for (const TagMenuItem* e = popup; e && !rv::IsEnd(*e); ++e) {
    if (!e->children) continue;
    for (rv::MenuTitle& t : Menus().titles)
      for (rv::MenuEntry& entry : t.entries)
        if (entry.item->commandId == e->commandId && !entry.sub) {
          entry.sub = e->children;
          ++attached;
        }
  }
  return attached;
}

int MenuAppendTitle(const char* caption, const TagMenuItem* list) {
  rv::MenuState& m = Menus();
  rv::MenuTitle title;
  title.caption = rv::Trimmed(caption ? caption : "");
  title.hot = MenuHotLetter(title.caption.c_str());
  title.altKey = KeyAltOf(title.hot);
  title.col = 2;
  if (!m.titles.empty()) title.col = m.titles.back().col + static_cast<int>(m.titles.back().caption.size()) + 2;
  title.entries = rv::EntriesOf(list);
  m.titles.push_back(std::move(title));
  rv::State().drawMainWindow = rv::DrawMain;
  return 0;
}

void MenuEnable(const TagMenuItem*) { Menus().enabled = true; }
void MenuDisable(const TagMenuItem*) { Menus().enabled = false; }

int MenuItemEnable(int commandId, int enable) {
  rv::MenuState& m = Menus();
  int n = 0;
  for (const rv::MenuTitle& t : m.titles)
    for (const rv::MenuEntry& e : t.entries) n += e.item->commandId == commandId;
  if (enable)
    m.disabledIds.erase(commandId);
  else
    m.disabledIds.insert(commandId);
  return n;
}

void MenuSetUserLevel(int level) { Menus().userLevel = level; }

int MenuGetPick() {
  int p = Menus().pick;
  Menus().pick = -1;
  return p;
}

void MenuBarDraw() { rv::Present(); }

// --- Toolbar ------------------------------------------------------------------------

int ToolbarLoad(Toolbar* toolbar, const char* file) {
  if (!toolbar || !file) return 0;
  std::snprintf(toolbar->file, sizeof toolbar->file, "%s", file);
  toolbar->count = 0;
  bool found = false;
  auto entries = rv::ReadSection(file, rv::Trimmed(toolbar->section), &found);
  for (int i = 1; i <= kToolbarMaxButtons; ++i) {
    std::string key = "Button" + std::to_string(i);
    auto it = std::find_if(entries.begin(), entries.end(),
                           [&](const auto& kv) { return strcasecmp(kv.first.c_str(), key.c_str()) == 0; });
    if (it == entries.end()) break;
    std::string v = it->second;
    std::size_t comma = v.find(',');
    if (comma == std::string::npos) continue;  // a malformed entry is skipped
    // The command must be a whole number the button can hold: a value too
    // large for it is as unreadable as text, and is skipped too (never taken
    // cut to what fits, and never saved back so).
    const std::string number = rv::Trimmed(v.substr(0, comma));
    int command = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), command);
    if (error != std::errc() || end != number.data() + number.size() || command <= 0) continue;
    ToolbarButton& b = toolbar->buttons[toolbar->count++];
    b.command = command;
    std::snprintf(b.text, sizeof b.text, "%s", oem::FromUtf8(rv::Trimmed(v.substr(comma + 1))).c_str());
  }
  return toolbar->count;
}

int ToolbarSave(const Toolbar* toolbar) {
  if (!toolbar || !toolbar->file[0]) return -1;
  std::string section = rv::Trimmed(toolbar->section);
  std::vector<std::string> lines;
  {
    std::ifstream in(toolbar->file);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
  }
  std::vector<std::string> mine;
  mine.push_back("[" + section + "]");
  for (int i = 0; i < toolbar->count; ++i)
    mine.push_back("Button" + std::to_string(i + 1) + "=" + std::to_string(toolbar->buttons[i].command) + "," +
                   oem::ToUtf8(toolbar->buttons[i].text));
  std::vector<std::string> out;
  bool replaced = false, skipping = false;
  for (const std::string& line : lines) {
    std::string t = rv::Trimmed(line);
    if (!t.empty() && t[0] == '[') {
      std::size_t close = t.find(']');
      std::string name = rv::Trimmed(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      skipping = strcasecmp(name.c_str(), section.c_str()) == 0;
      if (skipping && !replaced) {
        out.insert(out.end(), mine.begin(), mine.end());
        replaced = true;
      }
      if (skipping) continue;
    }
    if (!skipping) out.push_back(line);
  }
  if (!replaced) {
    if (!out.empty() && !rv::Trimmed(out.back()).empty()) out.push_back("");
    out.insert(out.end(), mine.begin(), mine.end());
  }
  // Written beside and moved into place: a failed write leaves the old file.
  const std::string file = toolbar->file;
  if (const std::size_t slash = file.rfind('/'); slash != std::string::npos && slash > 0 &&
                                                  !qxsys::MakeFolders(file.substr(0, slash)).empty()) {
    return -1;
  }
  std::string temp = file + ".new";
  {
    std::ofstream o(temp, std::ios::trunc);
    for (const std::string& line : out) o << line << "\n";
    o.flush();
    if (!o) {
      std::remove(temp.c_str());
      return -1;
    }
  }
  if (std::rename(temp.c_str(), toolbar->file) != 0) {
    std::remove(temp.c_str());
    return -1;
  }
  return 0;
}

void ToolbarShow(const Toolbar* toolbar) {
  if (!toolbar) return;
  Menus().toolbar = *toolbar;
  Menus().toolbarShown = true;
}

void ToolbarDestroy() {
  Menus().toolbarShown = false;
  Menus().spots.clear();
}

int ToolbarHitTest(const Toolbar* toolbar, KeyCode* key, int* button) {
  if (!toolbar || !key || toolbar->count <= 0) return 0;
  int hit = 0;
  if (*key == kKeyMouse && Menus().toolbarShown) {
    int r = 0, c = 0;
    KeyLastClick(&r, &c);
    if (r == 1)
      for (std::size_t i = 0; i < Menus().spots.size(); ++i)
        if (c >= Menus().spots[i].from && c <= Menus().spots[i].to) hit = static_cast<int>(i) + 1;
  } else {
    for (int i = 0; i < toolbar->count && i < 10; ++i)
      if (*key == KeyAltOf(static_cast<char>('0' + (i + 1) % 10))) hit = i + 1;
  }
  if (hit < 1 || hit > toolbar->count) return 0;
  if (button) *button = hit;
  return 1;
}

int ToolbarPostCommand(const Toolbar*, int command, Window*) {
  Menus().posted.push_back(command);
  return 0;
}

// --- Main window -----------------------------------------------------------------------

int AppCreateMainWindow() {
  rv::Ui& ui = rv::State();
  ui.mainCreated = true;
  if (!ui.drawMainWindow) ui.drawMainWindow = rv::DrawMain;
  std::snprintf(ui.mainWindow.title, sizeof ui.mainWindow.title, "%s", ui.title.c_str());
  rv::Present();
  return 1;
}

void AppDestroyMainWindow() {
  rv::Ui& ui = rv::State();
  ui.mainCreated = false;
  rv::Present();
}

Window* AppGetMainWindow() {
  rv::Ui& ui = rv::State();
  return ui.mainCreated ? &ui.mainWindow : nullptr;
}

Window* AppGetActiveWindow() {
  Window* top = WinTop();
  return top ? top : AppGetMainWindow();
}

void AppSetTitle(const char* title) {
  rv::Ui& ui = rv::State();
  ui.title = title ? title : "";
  std::snprintf(ui.mainWindow.title, sizeof ui.mainWindow.title, "%s", ui.title.c_str());
}

const char* AppGetCaption() { return rv::State().title.c_str(); }

void AppStatusText(const char* text) { rv::State().statusText = text ? text : ""; }
const char* AppGetStatusText() { return rv::State().statusText.c_str(); }

void AppEnableInput(int enable) { rv::State().inputEnabled = enable != 0; }

int AppGetKey(KeyCode* key, int, int) {
  rv::MenuState& m = Menus();
  rv::Ui& ui = rv::State();
  for (;;) {
    if (!m.posted.empty()) {
      m.pick = m.posted.front();
      m.posted.pop_front();
      *key = kKeyMenuPick;
      return 0;
    }
    rv::SetCursor(-1, -1);
    KeyCode k = KeyRead();
    if (k == kKeyClose) {
      m.pick = 118;
      *key = kKeyMenuPick;
      return 0;
    }
    bool menusUsable = m.enabled && ui.inputEnabled && !m.titles.empty();
    int title = -1;
    if (menusUsable) {
      if (k == kKeyF10) title = 0;
      else if (int t = rv::TitleByKey(k); t >= 0) title = t;
      else if (k == kKeyMouse) {
        int r = 0, c = 0;
        KeyLastClick(&r, &c);
        if (r == 0) title = rv::TitleAtColumn(c);
      }
    }
    if (title >= 0) {
      int id = rv::RunMenuBar(title);
      if (id == rv::kMenuClosed) id = 118;
      if (id > 0) {
        m.pick = id;
        *key = kKeyMenuPick;
        return 0;
      }
      continue;
    }
    *key = k;
    return 0;
  }
}

int AppConfirmExit() {
  if (AppIsClosing()) return 1;
  std::string text = "Do you want to leave " + rv::State().title + "?";
  return MsgBoxAsk(text.c_str(), AppGetCaption(), "Yes,No", 1) == 1 ? 1 : 0;
}

bool AppIsClosing() { return rv::State().closing; }
