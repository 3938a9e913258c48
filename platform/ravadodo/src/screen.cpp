// The virtual screen: composition of the main window and the windows, the key
// source and the transcript.
#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "internal.h"

namespace rv {

void CellGrid::Resize(int r, int c, Cell fill) {
  rows = std::max(r, 0);
  cols = std::max(c, 0);
  cells.assign(static_cast<std::size_t>(rows) * cols, fill);
}

void CellGrid::Put(int r, int c, std::string_view text, CellAttr attr, int maxCol) {
  if (r < 0 || r >= rows) return;
  int limit = maxCol < 0 ? cols - 1 : std::min(maxCol, cols - 1);
  for (unsigned char ch : text) {
    if (c > limit) break;
    if (c >= 0) At(r, c) = Cell{ch ? ch : static_cast<unsigned char>(' '), attr};
    ++c;
  }
}

void CellGrid::Fill(int r, int c, int n, unsigned char ch, CellAttr attr) {
  for (int i = 0; i < n; ++i)
    if (Inside(r, c + i)) At(r, c + i) = Cell{ch, attr};
}

namespace {

Ui* gUi = nullptr;

std::unique_ptr<Device> ChooseDevice() {
  if (std::getenv("QX_KEYS")) return MakeScriptDeviceFromEnv();
  if (auto term = MakeTerminalDevice()) return term;
  return MakeClosedDevice();
}

void SizeScreen(Ui& ui) {
  int r = 25, c = 80;
  ui.device->Size(&r, &c);
  r = std::max(r, 25);
  c = std::max(c, 80);
  if (r != ui.screen.rows || c != ui.screen.cols) ui.screen.Resize(r, c);
}

}  // namespace

Ui& State() {
  if (!gUi) {
    gUi = new Ui;
    gUi->device = ChooseDevice();
    SizeScreen(*gUi);
    std::atexit([] { ScreenShutdown(); });
  }
  return *gUi;
}

Device& Dev() { return *State().device; }

void FollowResize() {
  Ui& ui = State();
  SizeScreen(ui);
}

void SetCursor(int row, int col) {
  Ui& ui = State();
  ui.cursorRow = row;
  ui.cursorCol = col;
}

void Compose() {
  Ui& ui = State();
  CellGrid& s = ui.screen;
  std::fill(s.cells.begin(), s.cells.end(), Cell{' ', CellAttr::kDesktop});
  if (ui.mainCreated && ui.drawMainWindow) ui.drawMainWindow(s);
  for (WindowImpl* w : ui.windows) {
    if (!w->visible) continue;
    for (int r = 0; r < w->grid.rows; ++r)
      for (int c = 0; c < w->grid.cols; ++c)
        if (s.Inside(w->top + r, w->left + c)) s.At(w->top + r, w->left + c) = w->grid.At(r, c);
    if (w->shadow) {
      // A shadow: the cells right of and below the window keep their
      // characters on the desktop colour.
      for (int r = 1; r <= w->grid.rows; ++r)
        for (int c = w->grid.cols; c < w->grid.cols + 2; ++c)
          if (s.Inside(w->top + r, w->left + c)) s.At(w->top + r, w->left + c).attr = CellAttr::kDesktop;
      for (int c = 2; c < w->grid.cols + 2; ++c)
        if (s.Inside(w->top + w->grid.rows, w->left + c)) s.At(w->top + w->grid.rows, w->left + c).attr = CellAttr::kDesktop;
    }
  }
  if (!ui.bottomLegend.empty()) {
    int r = s.rows - 1;
    s.Fill(r, 0, s.cols, ' ', CellAttr::kStatus);
    s.Put(r, 1, ui.bottomLegend, CellAttr::kStatus);
  }
}

void Present() {
  Ui& ui = State();
  if (ui.device->Scripted()) return;
  Compose();
  Frame f;
  f.screen = &ui.screen;
  f.cursorRow = ui.cursorRow;
  f.cursorCol = ui.cursorCol;
  ui.device->Present(f);
}

bool Transcribing() { return State().device->Scripted(); }

void TranscriptLine(const std::string& line) {
  Ui& ui = State();
  if (!ui.device->Scripted()) return;
  ui.device->Transcript(line + "\n");
}

std::string ToScreen(std::string_view utf8) { return oem::FromUtf8(utf8); }

std::string Trimmed(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return std::string(s.substr(b, e - b));
}

}  // namespace rv

using rv::State;

int ScreenInit() {
  State();
  return 0;
}

void ScreenShutdown() {
  if (rv::gUi && rv::gUi->device) rv::gUi->device->Shutdown();
}

int ScreenRows() { return State().screen.rows; }
int ScreenCols() { return State().screen.cols; }
bool ScreenIsScripted() { return State().device->Scripted(); }

bool ScreenIsClosed() { return State().device->Closed(); }

namespace {
void (*gWaitHook)() = nullptr;
}  // namespace

void KeySetWaitHook(void (*hook)()) { gWaitHook = hook; }

KeyCode KeyRead() {
  rv::Ui& ui = State();
  if (!ui.pushed.empty()) {
    KeyCode k = ui.pushed.front();
    ui.pushed.pop_front();
    return k;
  }
  if (ui.device->Closed() && ui.boxDepth == 0 && !ui.inputMissing) {
    ui.inputMissing = true;
    if (const char* reason = ui.device->NoKeysReason())
      std::fprintf(stderr, "%s: a screen waits for keys and %s: what it asks for is not done\n",
                   program_invocation_short_name, reason);
  }
  if (ui.closing) return kKeyClose;
  if (gWaitHook != nullptr) gWaitHook();
  for (;;) {
    rv::Present();
    KeyCode k = ui.device->Read();
    if (k == rv::kKeyResize) {
      rv::FollowResize();
      continue;
    }
    if (k == kKeyClose) ui.closing = true;
    return k;
  }
}

KeyCode KeyPoll() {
  rv::Ui& ui = State();
  if (!ui.pushed.empty()) {
    KeyCode k = ui.pushed.front();
    ui.pushed.pop_front();
    return k;
  }
  if (ui.closing) return kKeyClose;
  KeyCode k = ui.device->Poll();
  if (k == rv::kKeyResize) {
    rv::FollowResize();
    rv::Present();
    return 0;
  }
  if (k == kKeyClose) ui.closing = true;
  return k;
}

void KeyPush(KeyCode key) { State().pushed.push_back(key); }

bool ScreenInputMissing() { return State().inputMissing; }

void KeyLastClick(int* row, int* col) {
  if (row) *row = State().clickRow;
  if (col) *col = State().clickCol;
}

void AppIdle() {
  rv::Ui& ui = State();
  if (ui.device->Scripted() || ui.closing) return;
  // Redraw at most every 50 ms: a long run calls this once per record.
  static auto last = std::chrono::steady_clock::time_point{};
  auto now = std::chrono::steady_clock::now();
  KeyCode k = ui.device->Poll();
  if (k == rv::kKeyResize) {
    rv::FollowResize();
  } else if (k == kKeyClose) {
    ui.closing = true;
  } else if (k != 0) {
    ui.pushed.push_back(k);  // kept for the loop that reads keys next
  }
  if (now - last > std::chrono::milliseconds(50) || k == rv::kKeyResize) {
    last = now;
    rv::Present();
  }
}

void ScreenRefresh() { rv::Present(); }

std::string ScreenSnapshot() {
  rv::Compose();
  const rv::CellGrid& s = State().screen;
  std::string out;
  std::vector<std::string> lines;
  for (int r = 0; r < s.rows; ++r) {
    std::string row;
    for (int c = 0; c < s.cols; ++c) row += static_cast<char>(s.At(r, c).ch);
    while (!row.empty() && (row.back() == ' ' || row.back() == 0)) row.pop_back();
    lines.push_back(oem::ToUtf8(row, true));
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

void TranscriptNote(const char* kind, const char* text) {
  if (!rv::Transcribing()) return;
  rv::TranscriptLine(std::string(kind ? kind : "note") + ": " + oem::ToUtf8(text ? text : ""));
}

void TranscriptNoteBegin(const char* kind) {
  if (!rv::Transcribing()) return;
  State().device->Transcript(std::string(kind ? kind : "note") + ": ");
}

void TranscriptNoteMore(std::string_view text) {
  if (!rv::Transcribing() || text.empty()) return;
  State().device->Transcript(oem::ToUtf8(text));
}

void TranscriptNoteEnd() {
  if (!rv::Transcribing()) return;
  State().device->Transcript("\n");
}

void TranscriptScreen(const char* heading) {
  if (!rv::Transcribing()) return;
  std::string h = "--- ";
  h += heading ? heading : "screen";
  h += " ---";
  rv::TranscriptLine(h);
  State().device->Transcript(ScreenSnapshot());
  rv::TranscriptLine("--- end of screen ---");
}

void ScreenResetForTest(const std::string& keys, const char* transcriptPath) {
  rv::Ui& ui = State();
  for (WindowImpl* w : ui.windows) {
    if (w->owner) w->owner->impl = nullptr;
    delete w;
  }
  ui.windows.clear();
  rv::ResetMenus();
  rv::ResetData();
  if (ui.device) ui.device->Shutdown();
  ui.device = rv::MakeScriptDevice(keys, transcriptPath);
  ui.pushed.clear();
  ui.closing = false;
  ui.mainCreated = false;
  ui.bottomLegend.clear();
  ui.formsRunning = 0;
  ui.statusText.clear();
  ui.inputEnabled = true;
  ui.cursorRow = ui.cursorCol = -1;
  ui.screen.Resize(25, 80);
  DateSetToday(0);
}
