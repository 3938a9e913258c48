// Windows: framed rectangles stacked over the main window.
#include <algorithm>
#include <cstring>

#include "internal.h"

namespace rv {

namespace {

struct FrameChars {
  unsigned char tl, tr, bl, br, h, v;
};
constexpr FrameChars kSingle{0xDA, 0xBF, 0xC0, 0xD9, 0xC4, 0xB3};
constexpr FrameChars kDouble{0xC9, 0xBB, 0xC8, 0xBC, 0xCD, 0xBA};

void CopyText(char* dst, std::size_t size, const char* src) {
  if (!dst || size == 0) return;
  std::size_t n = src ? std::min(std::strlen(src), size - 1) : 0;
  if (n) std::memcpy(dst, src, n);
  dst[n] = 0;
}

WindowImpl* Make(Window* block, WinKind kind, int top, int left, int rows, int cols, int frame,
                 int shadow, int fill) {
  Ui& ui = State();
  rows = std::min(rows, ui.screen.rows);
  cols = std::min(cols, ui.screen.cols);
  top = std::clamp(top, 0, ui.screen.rows - rows);
  left = std::clamp(left, 0, ui.screen.cols - cols);
  auto* w = new WindowImpl;
  w->owner = block;
  w->kind = kind;
  w->top = top;
  w->left = left;
  w->frame = frame;
  w->shadow = shadow;
  w->fill = static_cast<unsigned char>(fill > 0 && fill < 256 ? fill : ' ');
  w->serial = ui.nextSerial++;
  w->grid.Resize(rows, cols, Cell{w->fill, CellAttr::kNormal});
  ui.windows.push_back(w);
  if (block) block->impl = w;
  return w;
}

void Destroy(WindowImpl* w) {
  Ui& ui = State();
  ui.windows.erase(std::remove(ui.windows.begin(), ui.windows.end(), w), ui.windows.end());
  if (w->form) FormDetachWindow(w->form, w->owner);
  if (w->owner) w->owner->impl = nullptr;
  delete w;
}

}  // namespace

namespace {

// The frame's bottom line: its corners, the legend and the status text.
void DrawFrameBottom(WindowImpl& w) {
  CellGrid& g = w.grid;
  if (g.rows < 2 || g.cols < 2) return;
  if (w.frame == 0) return;
  const FrameChars& f = w.frame == 2 ? kDouble : kSingle;
  const int last = g.rows - 1, right = g.cols - 1;
  g.At(last, 0) = {f.bl, CellAttr::kFrame};
  g.At(last, right) = {f.br, CellAttr::kFrame};
  g.Fill(last, 1, g.cols - 2, f.h, CellAttr::kFrame);
  int used = 1;
  if (!w.legend.empty() && w.legendInFrame) {
    std::string t = " " + w.legend + " ";
    g.Put(last, 1, t, CellAttr::kLegend, right - 1);
    used += static_cast<int>(t.size());
  }
  w.statusColumn = -1;
  if (!w.status.empty()) {
    std::string t = " " + w.status + " ";
    int space = right - 1 - used;
    if (space > 2) {
      if (static_cast<int>(t.size()) > space) t = t.substr(0, space);
      w.statusColumn = right - static_cast<int>(t.size());
      w.statusLength = static_cast<int>(t.size());
      g.Put(last, w.statusColumn, t, CellAttr::kLegend);
    }
  }
}

}  // namespace

void DrawFrame(WindowImpl& w) {
  CellGrid& g = w.grid;
  if (g.rows < 2 || g.cols < 2) return;
  if (w.frame == 0) return;
  const FrameChars& f = w.frame == 2 ? kDouble : kSingle;
  const int last = g.rows - 1, right = g.cols - 1;
  g.At(0, 0) = {f.tl, CellAttr::kFrame};
  g.At(0, right) = {f.tr, CellAttr::kFrame};
  g.Fill(0, 1, g.cols - 2, f.h, CellAttr::kFrame);
  for (int r = 1; r < last; ++r) {
    g.At(r, 0) = {f.v, CellAttr::kFrame};
    g.At(r, right) = {f.v, CellAttr::kFrame};
  }
  const int room = g.cols - 4;
  if (!w.title.empty() && room > 0) {
    std::string t = " " + w.title + " ";
    if (static_cast<int>(t.size()) > room) t = t.substr(0, room);
    g.Put(0, (g.cols - static_cast<int>(t.size())) / 2, t, CellAttr::kFrame);
  }
  DrawFrameBottom(w);
}

WindowImpl* OpenPopup(Window* block, int top, int left, int rows, int cols, const std::string& title) {
  if (block->impl) Destroy(block->impl);
  WindowImpl* w = Make(block, WinKind::kPopup, top, left, rows, cols, 1, 1, ' ');
  w->title = title;
  DrawFrame(*w);
  return w;
}

void ClosePopup(Window* block) {
  if (block && block->impl) Destroy(block->impl);
}

}  // namespace rv

using rv::State;

int WinOpen(Window* window, int top, int left, int rows, int cols, int frame, int shadow, int fill,
            const char* title) {
  if (!window || window->impl || rows < 3 || cols < 3) return -1;
  if (title) rv::CopyText(window->title, sizeof window->title, title);
  WindowImpl* w = rv::Make(window, rv::WinKind::kNormal, top, left, rows, cols, frame, shadow, fill);
  w->title = window->title;
  rv::DrawFrame(*w);
  return 0;
}

void WinClose(Window* window, int) {
  if (window && window->impl) rv::Destroy(window->impl);
}

void WinShow(Window* window, int show) {
  if (window && window->impl) window->impl->visible = show != 0;
}

int WinSetup(Window* window) {
  if (!window || !window->impl) return -1;
  WindowImpl& w = *window->impl;
  w.title = window->title;
  rv::DrawFrame(w);
  return 0;
}

void WinSetTitle(Window* window, const char* title) {
  if (!window) return;
  rv::CopyText(window->title, sizeof window->title, title);
  if (window->impl) {
    window->impl->title = window->title;
    rv::DrawFrame(*window->impl);
  }
}

void WinWriteAt(Window* window, int row, int col, const char* text) {
  if (!window || !window->impl || !text) return;
  rv::CellGrid& g = window->impl->grid;
  if (row <= 0 || row >= g.rows - 1) return;
  g.Put(row, col, text, CellAttr::kNormal, g.cols - 2);
}

void WinWriteRow(Window* window, int col, int row, const char* text) {
  if (!window || !window->impl || !text) return;
  if (window->impl->form && rv::FormHandlesWindowRow(window->impl->form, row, text)) return;
  WinWriteAt(window, row, col > 0 ? col : 1, text);
}

namespace {

void WriteRangePrompt(Window* window, int col, int fieldOrRow, const char* prompt) {
  if (!window || !window->impl) return;
  // A field of the attached form carries the prompt itself, so that it goes
  // out of use (and comes back) with the field.
  if (window->impl->form && rv::FormSetFieldPrompt(window->impl->form, fieldOrRow, prompt)) return;
  WinWriteAt(window, fieldOrRow, col > 0 ? col : 2, prompt);
}

}  // namespace

void WinWriteFromLabel(Window* window, int col, int fieldOrRow) {
  WriteRangePrompt(window, col, fieldOrRow, "From");
}

void WinWriteToLabel(Window* window, int col, int fieldOrRow) {
  WriteRangePrompt(window, col, fieldOrRow, "To");
}

void WinStatusText(Window* window, const char* text) {
  if (!window || !window->impl) return;
  WindowImpl& w = *window->impl;
  const std::string_view next = text ? text : "";
  // The status text stands in the frame's bottom line alone (a long run
  // sets it for each record): one of the length drawn replaces it in place,
  // as drawing the line again would; any other draws the line again.
  if (w.statusColumn >= 0 && !w.status.empty() && next.size() == w.status.size() &&
      static_cast<int>(next.size()) + 2 == w.statusLength) {
    w.status.assign(next);
    w.grid.Put(w.grid.rows - 1, w.statusColumn + 1, next, CellAttr::kLegend);
  } else {
    w.status.assign(next);
    rv::DrawFrameBottom(w);
  }
  AppIdle();
}

int WinRowRedraw(Window* window, int) {
  if (!window || !window->impl) return -1;
  rv::Present();
  return 0;
}

int WinRows(const Window* window) { return window && window->impl ? window->impl->grid.rows : 0; }
int WinCols(const Window* window) { return window && window->impl ? window->impl->grid.cols : 0; }

Window* WinTop() {
  auto& ws = State().windows;
  for (auto it = ws.rbegin(); it != ws.rend(); ++it)
    if ((*it)->kind == rv::WinKind::kNormal && (*it)->visible && (*it)->owner) return (*it)->owner;
  return nullptr;
}
