// Message boxes, wait windows, choice lists and search lists.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "internal.h"

namespace rv {
namespace {

struct Button {
  std::string text;  // as shown, blanks trimmed
  KeyCode key = 0;   // "F1 Help" is also pressed by F1
};

std::vector<Button> ParseButtons(const char* list) {
  std::vector<Button> out;
  const char* p = list ? list : " Ok ";
  if (*p == 1) ++p;
  std::string cur;
  auto flush = [&] {
    Button b;
    b.text = Trimmed(cur);
    for (char& c : b.text)
      if (static_cast<unsigned char>(c) == 0xFF) c = ' ';
    std::size_t blank = b.text.find(' ');
    if (blank != std::string::npos) {
      KeyCode k = KeyFromName(b.text.substr(0, blank));
      if (k > 255) b.key = k;
    }
    if (!b.text.empty()) out.push_back(b);
    cur.clear();
  };
  for (; *p; ++p) {
    if (*p == ',')
      flush();
    else
      cur += *p;
  }
  flush();
  if (out.empty()) out.push_back({"Ok", 0});
  return out;
}

std::vector<std::string> WrapText(const std::string& text, int width) {
  std::vector<std::string> lines;
  std::string para;
  auto wrap = [&](std::string s) {
    while (static_cast<int>(s.size()) > width) {
      int cut = width;
      while (cut > 0 && s[cut] != ' ') --cut;
      if (cut == 0) cut = width;
      lines.push_back(Trimmed(s.substr(0, cut)));
      s = s.substr(static_cast<std::size_t>(cut));
      while (!s.empty() && s[0] == ' ') s.erase(0, 1);
    }
    lines.push_back(s);
  };
  for (char c : text) {
    if (c == '\n') {
      wrap(para);
      para.clear();
    } else if (c != '\r') {
      para += c;
    }
  }
  wrap(para);
  while (lines.size() > 1 && Trimmed(lines.back()).empty()) lines.pop_back();
  return lines;
}

std::string ButtonRow(const std::vector<Button>& buttons) {
  std::string row;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (i) row += "  ";
    row += "[ " + buttons[i].text + " ]";
  }
  return row;
}

std::string U(const std::string& cp437) { return oem::ToUtf8(cp437); }

}  // namespace
}  // namespace rv

int MsgBoxAsk(const char* text, const char* caption, const char* buttons, int defaultButton) {
  using namespace rv;
  std::vector<Button> bs = ParseButtons(buttons);
  const int n = static_cast<int>(bs.size());
  int cancel = n;
  for (int i = n; i >= 1; --i)
    if (bs[i - 1].key == 0) {
      cancel = i;
      break;
    }
  std::string cap = caption ? caption : AppGetCaption();
  Ui& ui = State();
  int maxText = std::min(70, ui.screen.cols - 8);
  std::vector<std::string> lines = WrapText(text ? text : "", maxText);
  std::string row = ButtonRow(bs);
  int inner = static_cast<int>(row.size());
  for (const std::string& l : lines) inner = std::max(inner, static_cast<int>(l.size()));
  inner = std::max(inner, static_cast<int>(cap.size()) + 2);
  int cols = std::min(inner + 4, ui.screen.cols);
  int rows = std::min(static_cast<int>(lines.size()) + 4, ui.screen.rows);
  Window box{};
  WindowImpl* w = OpenPopup(&box, (ui.screen.rows - rows) / 2, (ui.screen.cols - cols) / 2, rows, cols, cap);
  for (std::size_t i = 0; i < lines.size(); ++i) w->grid.Put(static_cast<int>(i) + 1, 2, lines[i], CellAttr::kNormal, cols - 2);

  if (Transcribing()) {
    TranscriptLine("--- message box: " + U(cap) + " ---");
    for (const std::string& l : lines) TranscriptLine(U(l));
    std::string b = "buttons:";
    for (const Button& x : bs) b += " [" + U(x.text) + "]";
    TranscriptLine(b);
  }
  if (ui.device->Closed()) {
    // Nobody sees the screen: the text goes to standard error as it was
    // written, its own line breaks kept (not the box's wrapping), and a
    // question (more than one button) was asked of nobody.
    std::string said = U(text ? text : "");
    while (!said.empty() && (said.back() == '\n' || said.back() == ' ')) said.pop_back();
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, said.c_str());
    if (n > 1) ui.inputMissing = true;
  }
  int focus = defaultButton >= 1 && defaultButton <= n ? defaultButton : 1;
  int chosen = 0;
  KeyCode how = 0;
  const int buttonRow = rows - 2;
  const int rowStart = (cols - static_cast<int>(row.size())) / 2;
  while (!chosen) {
    int col = rowStart;
    for (int i = 1; i <= n; ++i) {
      std::string t = "[ " + bs[i - 1].text + " ]";
      w->grid.Put(buttonRow, col, t, i == focus ? CellAttr::kButtonFocus : CellAttr::kButton, cols - 2);
      col += static_cast<int>(t.size()) + 2;
    }
    SetCursor(-1, -1);
    ++ui.boxDepth;
    KeyCode key = KeyRead();
    --ui.boxDepth;
    how = key;
    if (key == kKeyEnter) chosen = focus;
    else if (key == kKeyEsc || key == kKeyClose) chosen = cancel;
    else if (key == kKeyLeft || key == kKeyShiftTab || key == kKeyUp) focus = focus > 1 ? focus - 1 : n;
    else if (key == kKeyRight || key == kKeyTab || key == kKeyDown) focus = focus < n ? focus + 1 : 1;
    else if (key == kKeyMouse) {
      int r = 0, c = 0;
      KeyLastClick(&r, &c);
      int x = w->left + rowStart;
      for (int i = 1; i <= n && r == w->top + buttonRow; ++i) {
        int len = static_cast<int>(bs[i - 1].text.size()) + 4;
        if (c >= x && c < x + len) chosen = i;
        x += len + 2;
      }
    } else {
      for (int i = 1; i <= n && !chosen; ++i)
        if (bs[i - 1].key && bs[i - 1].key == key) chosen = i;
      if (!chosen && key > 32 && key < 256)
        for (int i = 1; i <= n && !chosen; ++i)
          if (!bs[i - 1].text.empty() &&
              oem::ToUpper(static_cast<unsigned char>(bs[i - 1].text[0])) == oem::ToUpper(static_cast<unsigned char>(key)))
            chosen = i;
    }
  }
  ClosePopup(&box);
  if (Transcribing()) {
    std::string by = how == kKeyClose ? "window closed" : KeyName(how);
    TranscriptLine("answer: [" + U(bs[chosen - 1].text) + "] by " + by);
    TranscriptLine("--- end of message box ---");
  }
  return chosen;
}

int MsgBoxShow(const char* text, const char* caption, const char* buttons) {
  return MsgBoxAsk(text, caption, buttons, 1);
}

int MsgBoxShowStyle(int, const char* text, const char* caption, int style, int number) {
  const char* buttons = " Ok ";
  switch (style & 0x0F) {
    case 1: buttons = " Ok ,Cancel"; break;
    case 4: buttons = "Yes,No"; break;
    case 3: buttons = "Yes,No,Cancel"; break;
    default: break;
  }
  std::string cap = caption ? caption : AppGetCaption();
  if ((style & 0xF0) == kMsgStyleError && !caption) cap += " - Error";
  if (number && rv::Transcribing()) rv::TranscriptLine("message number: " + std::to_string(number));
  return MsgBoxAsk(text, cap.c_str(), buttons, 1);
}

// --- Wait windows -----------------------------------------------------------------

namespace rv {
namespace {
struct WaitBox {
  Window window{};
  int step = 0;
};
std::map<int, WaitBox>& Waits() {
  static std::map<int, WaitBox> waits;
  return waits;
}
int gNextWait = 1;
}  // namespace
}  // namespace rv

int WaitWindowOpen(const char* text) {
  using namespace rv;
  std::vector<std::string> lines = WrapText(text ? text : "", 60);
  int inner = 10;
  for (const std::string& l : lines) inner = std::max(inner, static_cast<int>(l.size()));
  Ui& ui = State();
  int cols = inner + 6, rows = static_cast<int>(lines.size()) + 2;
  int id = gNextWait++;
  WaitBox& box = Waits()[id];
  WindowImpl* w = OpenPopup(&box.window, (ui.screen.rows - rows) / 2, (ui.screen.cols - cols) / 2, rows, cols, "");
  for (std::size_t i = 0; i < lines.size(); ++i) w->grid.Put(static_cast<int>(i) + 1, 3, lines[i], CellAttr::kNormal);
  if (Transcribing()) TranscriptLine("wait: " + U(text ? text : ""));
  Present();
  return id;
}

void WaitWindowStep(int handle) {
  auto it = rv::Waits().find(handle);
  if (it == rv::Waits().end() || !it->second.window.impl) return;
  static const char kTurn[] = "|/-\\";
  WindowImpl* w = it->second.window.impl;
  w->grid.At(w->grid.rows - 1, w->grid.cols - 3) = {static_cast<unsigned char>(kTurn[it->second.step++ % 4]), CellAttr::kFrame};
  AppIdle();
}

void WaitWindowClose(int handle) {
  auto it = rv::Waits().find(handle);
  if (it == rv::Waits().end()) return;
  rv::ClosePopup(&it->second.window);
  rv::Waits().erase(it);
  rv::Present();
}

// --- Choice lists ------------------------------------------------------------------

int PickChoose(const char* title, const char* const* entries, int count, int initial, int top, int left, int rows,
               int cols) {
  using namespace rv;
  if (!entries || count <= 0) return 0;
  Ui& ui = State();
  int width = title ? static_cast<int>(std::strlen(title)) + 4 : 10;
  for (int i = 0; i < count; ++i) width = std::max(width, static_cast<int>(std::strlen(entries[i] ? entries[i] : "")) + 2);
  if (cols <= 0) cols = std::min(width + 2, ui.screen.cols);
  if (rows <= 0) rows = std::min(count + 2, ui.screen.rows - 2);
  if (top <= 0 && left <= 0) {
    top = (ui.screen.rows - rows) / 2;
    left = (ui.screen.cols - cols) / 2;
  }
  Window box{};
  WindowImpl* w = OpenPopup(&box, top, left, rows, cols, title ? title : "");
  w->legend = "Enter Choose  Esc Cancel";
  w->legendInFrame = static_cast<int>(w->legend.size()) + 4 <= cols;
  DrawFrame(*w);
  int visible = std::max(1, rows - 2);
  int cur = std::clamp(initial, 1, count) - 1, scroll = 0, chosen = -1;
  while (chosen < 0) {
    if (cur < scroll) scroll = cur;
    if (cur >= scroll + visible) scroll = cur - visible + 1;
    for (int i = 0; i < visible; ++i) {
      int idx = scroll + i;
      w->grid.Fill(i + 1, 1, cols - 2, ' ', CellAttr::kNormal);
      if (idx < count)
        w->grid.Put(i + 1, 2, entries[idx] ? entries[idx] : "", idx == cur ? CellAttr::kMenuSelected : CellAttr::kNormal,
                    cols - 2);
      if (idx == cur) w->grid.Fill(i + 1, 1, 1, ' ', CellAttr::kMenuSelected);
    }
    SetCursor(-1, -1);
    KeyCode key = KeyRead();
    switch (key) {
      case kKeyUp: cur = std::max(0, cur - 1); break;
      case kKeyDown: cur = std::min(count - 1, cur + 1); break;
      case kKeyPgUp: cur = std::max(0, cur - visible); break;
      case kKeyPgDn: cur = std::min(count - 1, cur + visible); break;
      case kKeyHome: case kKeyCtrlHome: cur = 0; break;
      case kKeyEnd: case kKeyCtrlEnd: cur = count - 1; break;
      case kKeyEnter: chosen = cur + 1; break;
      case kKeyEsc: case kKeyClose: chosen = 0; break;
      case kKeyMouse: {
        int r = 0, c = 0;
        KeyLastClick(&r, &c);
        int idx = scroll + r - w->top - 1;
        if (c > w->left && c < w->left + cols - 1 && idx >= scroll && idx < std::min(count, scroll + visible)) chosen = idx + 1;
        break;
      }
      default:
        if (key > 32 && key < 256) {
          unsigned char want = oem::ToUpper(static_cast<unsigned char>(key));
          for (int i = 1; i <= count; ++i) {
            int k = (cur + i) % count;
            const char* e = entries[k] ? entries[k] : "";
            while (*e == ' ') ++e;
            if (*e && oem::ToUpper(static_cast<unsigned char>(*e)) == want) {
              cur = k;
              break;
            }
          }
        }
    }
  }
  ClosePopup(&box);
  if (Transcribing())
    TranscriptLine("choice list \"" + U(title ? title : "") + "\": " +
                   (chosen ? "[" + U(entries[chosen - 1] ? entries[chosen - 1] : "") + "]" : std::string("cancelled")));
  return chosen;
}

// --- Search lists ----------------------------------------------------------------------

namespace rv {
namespace {

struct Row {
  std::int64_t bookmark = 0;
  std::string line;
};

class SearchRun {
 public:
  explicit SearchRun(SearchList* list) : l_(list) {}

  int Run();

 private:
  bool Fetch(int op, std::int64_t* bm, const char* text, std::string* line) {
    char buf[512] = {};
    if (l_->fetch(l_, op, bm, text, buf, sizeof buf) != 0) return false;
    *line = buf;
    return true;
  }
  // Fills the page from a first row.
  void FillFrom(Row first) {
    page_.clear();
    page_.push_back(first);
    while (static_cast<int>(page_.size()) < visible_) {
      Row r;
      r.bookmark = page_.back().bookmark;
      if (!Fetch(kSearchNext, &r.bookmark, nullptr, &r.line)) break;
      page_.push_back(r);
    }
  }
  bool Home() {
    Row r;
    if (!Fetch(kSearchFirst, &r.bookmark, nullptr, &r.line)) return false;
    FillFrom(r);
    cur_ = 0;
    return true;
  }
  void End() {
    Row r;
    if (!Fetch(kSearchLast, &r.bookmark, nullptr, &r.line)) return;
    page_.assign(1, r);
    while (static_cast<int>(page_.size()) < visible_) {
      Row p;
      p.bookmark = page_.front().bookmark;
      if (!Fetch(kSearchPrev, &p.bookmark, nullptr, &p.line)) break;
      page_.insert(page_.begin(), p);
    }
    cur_ = static_cast<int>(page_.size()) - 1;
  }
  void Down() {
    if (cur_ + 1 < static_cast<int>(page_.size())) {
      ++cur_;
      return;
    }
    Row r;
    r.bookmark = page_.back().bookmark;
    if (!Fetch(kSearchNext, &r.bookmark, nullptr, &r.line)) return;
    page_.push_back(r);
    if (static_cast<int>(page_.size()) > visible_) page_.erase(page_.begin());
    cur_ = static_cast<int>(page_.size()) - 1;
  }
  void Up() {
    if (cur_ > 0) {
      --cur_;
      return;
    }
    Row r;
    r.bookmark = page_.front().bookmark;
    if (!Fetch(kSearchPrev, &r.bookmark, nullptr, &r.line)) return;
    page_.insert(page_.begin(), r);
    if (static_cast<int>(page_.size()) > visible_) page_.pop_back();
    cur_ = 0;
  }
  void Seek() {
    if (search_.empty()) {
      Home();
      return;
    }
    Row r;
    if (Fetch(kSearchSeek, &r.bookmark, search_.c_str(), &r.line)) {
      FillFrom(r);
      cur_ = 0;
    }
  }
  void Reload() {
    if (page_.empty()) {
      Home();
      return;
    }
    Row first = page_.front();
    if (!Fetch(kSearchFetch, &first.bookmark, nullptr, &first.line)) {
      Home();
      return;
    }
    int keep = cur_;
    FillFrom(first);
    cur_ = std::min(keep, static_cast<int>(page_.size()) - 1);
  }
  void Draw();
  // Left and Right move the view of rows wider than the window sideways.
  // False when every row fits (the key is then the caller's).
  bool Scroll(KeyCode key);
  // How many columns of the widest row (or the heading) a window of `cols`
  // columns leaves out; 0 or less when everything fits.
  int Hidden(int cols) const;

  SearchList* l_;
  Window box_{};
  WindowImpl* w_ = nullptr;
  std::vector<Row> page_;
  int cur_ = 0;
  int visible_ = 1;
  int firstRow_ = 1;
  int shift_ = 0;  // the first column of the rows shown
  std::string search_;
};

int SearchRun::Hidden(int cols) const {
  std::size_t widest = l_->heading ? std::strlen(l_->heading) + 1 : 0;
  for (const Row& r : page_) widest = std::max(widest, r.line.size() + 1);
  return static_cast<int>(widest) - (cols - 2);
}

bool SearchRun::Scroll(KeyCode key) {
  const int hidden = Hidden(w_->grid.cols);
  if (hidden <= 0) return false;
  constexpr int kStep = 10;
  shift_ = key == kKeyRight ? std::min(shift_ + kStep, hidden) : std::max(shift_ - kStep, 0);
  return true;
}

void SearchRun::Draw() {
  CellGrid& g = w_->grid;
  const auto shown = [&](const std::string& text) {
    return static_cast<int>(text.size()) > shift_ ? text.substr(static_cast<std::size_t>(shift_)) : std::string();
  };
  if (l_->heading) {
    g.Fill(1, 1, g.cols - 2, ' ', CellAttr::kNormal);
    g.Put(1, 2, shown(l_->heading), CellAttr::kLabel, g.cols - 2);
  }
  for (int i = 0; i < visible_; ++i) {
    int r = firstRow_ + i;
    g.Fill(r, 1, g.cols - 2, ' ', CellAttr::kNormal);
    if (i < static_cast<int>(page_.size()))
      g.Put(r, 1, " " + shown(page_[i].line), i == cur_ ? CellAttr::kMenuSelected : CellAttr::kNormal, g.cols - 2);
    if (i == cur_) g.Fill(r, 1, 1, ' ', CellAttr::kMenuSelected);
  }
  int sr = g.rows - 2;
  g.Fill(sr, 1, g.cols - 2, ' ', CellAttr::kNormal);
  std::string prompt = l_->prompt ? l_->prompt : "Search:";
  g.Put(sr, 2, prompt, CellAttr::kLabel);
  int col = 3 + static_cast<int>(prompt.size());
  g.Put(sr, col, search_, CellAttr::kFieldFocus, g.cols - 2);
  SetCursor(w_->top + sr, w_->left + col + static_cast<int>(search_.size()));
}

int SearchRun::Run() {
  if (!l_ || !l_->fetch) return 27;
  Ui& ui = State();
  int rows = std::clamp(l_->rows, 6, ui.screen.rows);
  int cols = std::clamp(l_->cols, 20, ui.screen.cols);
  if (!Home()) {
    MsgBoxShow("There is nothing to choose from.", l_->title ? l_->title : AppGetCaption(), nullptr);
    l_->lastKey = kKeyEsc;
    return 9;
  }
  w_ = OpenPopup(&box_, l_->top, l_->left, rows, cols, l_->title ? l_->title : "");
  firstRow_ = 1;
  if (l_->heading) firstRow_ = 2;
  visible_ = std::max(1, rows - 2 - firstRow_);
  w_->legend = std::string(l_->legend ? std::string(l_->legend) + "  " : "") +
               (Hidden(cols) > 0 ? "Left/Right Sideways  " : "") + "Enter Choose  Esc Cancel";
  w_->legendInFrame = static_cast<int>(w_->legend.size()) + 4 <= cols;
  DrawFrame(*w_);
  if (l_->initialText && *l_->initialText) {
    search_ = l_->initialText;
    Seek();
  } else {
    Home();
  }
  int result = -2;
  while (result == -2) {
    Draw();
    KeyCode key = KeyRead();
    l_->lastKey = key;
    switch (key) {
      case kKeyUp: Up(); continue;
      case kKeyDown: Down(); continue;
      case kKeyPgUp: for (int i = 0; i < visible_; ++i) Up(); continue;
      case kKeyPgDn: for (int i = 0; i < visible_; ++i) Down(); continue;
      case kKeyHome: case kKeyCtrlHome: search_.clear(); Home(); continue;
      case kKeyEnd: case kKeyCtrlEnd: search_.clear(); End(); continue;
      case kKeyEsc: case kKeyClose: result = 27; continue;
      case kKeyLeft:
      case kKeyRight:
        if (Scroll(key)) continue;
        break;
      case kKeyBackspace:
        if (!search_.empty()) search_.pop_back();
        Seek();
        continue;
      case kKeyEnter:
        if (!page_.empty()) {
          std::string line;
          l_->chosen = page_[cur_].bookmark;
          Fetch(kSearchFetch, &l_->chosen, nullptr, &line);
          result = 0;
        }
        continue;
      default: break;
    }
    if (key >= 32 && key < 256 && key != kKeyMouse) {
      if (static_cast<int>(search_.size()) < cols - 14) search_ += static_cast<char>(key);
      Seek();
      continue;
    }
    if (key == kKeyMouse) {
      int r = 0, c = 0;
      KeyLastClick(&r, &c);
      int idx = r - w_->top - firstRow_;
      if (c > w_->left && c < w_->left + cols - 1 && idx >= 0 && idx < static_cast<int>(page_.size())) cur_ = idx;
      continue;
    }
    if (l_->onKey && !page_.empty()) {
      std::int64_t bm = page_[cur_].bookmark;
      std::string line;
      Fetch(kSearchFetch, &bm, nullptr, &line);
      int r = l_->onKey(l_, key, bm);
      if (r == -1) result = -1;
      else if (r == 1) Reload();
      else if (r == 2) { search_.clear(); Home(); }
    }
  }
  if (Transcribing()) {
    std::string what = result == 0 ? "[" + oem::ToUtf8(Trimmed(page_[cur_].line)) + "]"
                                   : (result == 27 ? std::string("cancelled") : std::string("ended by ") + KeyName(l_->lastKey));
    TranscriptLine("search list \"" + oem::ToUtf8(l_->title ? l_->title : "") + "\": " + what);
  }
  ClosePopup(&box_);
  return result;
}

}  // namespace
}  // namespace rv

int SearchListRun(SearchList* list) {
  rv::SearchRun run(list);
  return run.Run();
}
