// Internal state of the screen library: the cell screen, the devices, the
// window stack and the hooks the parts use to talk to each other.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "oemtext.h"
#include "ravadodo.h"

namespace rv {

// A device tells the screen that its size changed (never reaches callers).
inline constexpr KeyCode kKeyResize = 0x9E00;

struct Cell {
  unsigned char ch = ' ';
  CellAttr attr = CellAttr::kDesktop;
  bool operator==(const Cell&) const = default;
};

// A rectangle of cells.
struct CellGrid {
  int rows = 0, cols = 0;
  std::vector<Cell> cells;
  void Resize(int r, int c, Cell fill = {});
  Cell& At(int r, int c) { return cells[static_cast<std::size_t>(r) * cols + c]; }
  const Cell& At(int r, int c) const { return cells[static_cast<std::size_t>(r) * cols + c]; }
  bool Inside(int r, int c) const { return r >= 0 && c >= 0 && r < rows && c < cols; }
  // Writes text (CP437) from (r, c), cut at the grid's edge (or at maxCol).
  void Put(int r, int c, std::string_view text, CellAttr attr, int maxCol = -1);
  void Fill(int r, int c, int n, unsigned char ch, CellAttr attr);
};

// What a device shows and where the cursor is.
struct Frame {
  const CellGrid* screen = nullptr;
  int cursorRow = -1, cursorCol = -1;  // -1: hidden
};

class Device {
 public:
  virtual ~Device() = default;
  virtual bool Scripted() const = 0;
  // True when no key will ever come (neither a terminal nor a key script,
  // or a key script that cannot be read).
  virtual bool Closed() const { return false; }
  // Why no key comes, for the message of a screen that waits (Closed);
  // null when the device has told the user already.
  virtual const char* NoKeysReason() const { return "there is no terminal"; }
  // Screen size the device wants (the virtual screen is at least 80 x 25).
  virtual void Size(int* rows, int* cols) = 0;
  virtual void Present(const Frame& frame) = 0;
  // Blocking read; kKeyClose when no key will come.
  virtual KeyCode Read() = 0;
  // Non-blocking; 0 when nothing is waiting.
  virtual KeyCode Poll() = 0;
  // True when the device's size changed since the last call.
  virtual bool Resized() { return false; }
  virtual void Shutdown() {}
  // Transcript (script device).
  virtual void Transcript(const std::string&) {}
};

std::unique_ptr<Device> MakeScriptDevice(const std::string& keysText, const char* transcriptPath);
// QX_KEYS / QX_TRANSCRIPT; a relative path is taken from the user's folder
// (QX_START_FOLDER, which the launcher sets, else the current folder).
std::unique_ptr<Device> MakeScriptDeviceFromEnv();
std::unique_ptr<Device> MakeTerminalDevice();           // null when there is no terminal
// The locale the terminal device runs under: the user's, with C.UTF-8's
// characters and the C locale's numbers.
void ChooseTerminalLocale();
std::unique_ptr<Device> MakeClosedDevice();             // no keys, no screen; QX_TRANSCRIPT

// Key script parsing (shared with tests through the device).
struct ScriptToken {
  enum Kind { kKey, kBreak, kClick } kind = kKey;
  KeyCode key = 0;
  int row = 0, col = 0;
  int line = 0;
};
// Parses a key script; on an error returns false with a message naming the line.
bool ParseKeyScript(const std::string& text, std::vector<ScriptToken>* out, std::string* error);

enum class WinKind { kNormal, kPopup };


}  // namespace rv

struct WindowImpl {
  Window* owner = nullptr;
  rv::WinKind kind = rv::WinKind::kNormal;
  int top = 0, left = 0;
  rv::CellGrid grid;
  int frame = 1, shadow = 0;
  unsigned char fill = ' ';
  bool visible = true;
  std::string title;
  std::string status;
  // Where DrawFrameBottom put the status text on the bottom line (its first
  // column and length), -1 when it put none: a status of the same length
  // replaces it there.
  int statusColumn = -1, statusLength = 0;
  std::string legend;         // the running form's key legend
  bool legendInFrame = true;  // false: shown on the screen's last row instead
  Form* form = nullptr;       // the form attached to the window
  std::uint64_t serial = 0;   // opening order
};

namespace rv {

struct Ui {
  std::unique_ptr<Device> device;
  CellGrid screen;
  std::vector<WindowImpl*> windows;  // in opening order (back = front)
  std::uint64_t nextSerial = 1;
  std::deque<KeyCode> pushed;
  bool closing = false;
  // Without a terminal or key script: a screen waited for keys (a form, a
  // menu, a list or a question), so what it asks for was never given.
  bool inputMissing = false;
  int boxDepth = 0;  // message boxes open (their text also goes to stderr)
  int clickRow = 0, clickCol = 0;
  int cursorRow = -1, cursorCol = -1;
  // Main window.
  bool mainCreated = false;
  std::string title = "Quarlex Accounting";
  std::string statusText;
  bool inputEnabled = true;
  Window mainWindow{};
  // Hooks of other parts, drawn during composition.
  void (*drawMainWindow)(CellGrid&) = nullptr;
  // Text on the screen's last row over everything (a legend that did not fit).
  std::string bottomLegend;
  int formsRunning = 0;  // FormRun loops in progress (nested ones included)
};

Ui& State();
Device& Dev();

// Composes the screen from the main window and the windows, and presents it.
void Compose();
void Present();
// Called when the screen size may have changed.
void FollowResize();

// Windows.
WindowImpl* OpenPopup(Window* block, int top, int left, int rows, int cols, const std::string& title);
void ClosePopup(Window* block);
void DrawFrame(WindowImpl& w);
void SetCursor(int row, int col);  // screen coordinates; -1 hides

// Transcript helpers.
void TranscriptLine(const std::string& line);
bool Transcribing();

// Form support used by windows (defined in forms.cpp).
bool FormHandlesWindowRow(Form* form, int row, const char* text);
bool FormSetFieldPrompt(Form* form, int field, const char* prompt);
void FormDetachWindow(Form* form, Window* window);

// Menus/toolbar state reset (menus.cpp), forms reset (forms.cpp).
void ResetMenus();
void ResetData();

// Text helpers.
std::string ToScreen(std::string_view utf8);    // UTF-8 from data files -> CP437
std::string Trimmed(std::string_view s);

}  // namespace rv
