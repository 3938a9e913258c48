// The terminal device: ncursesw in UTF-8, keys mapped to PC key codes.
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include <curses.h>

#include "internal.h"

namespace rv {

namespace {

volatile std::sig_atomic_t gCloseRequested = 0;
bool gActive = false;  // curses is running and must be ended on every way out

void EndCurses() {
  if (gActive) {
    gActive = false;
    endwin();
  }
}

// A crash must not leave the user's terminal in raw mode: end curses, then let
// the signal do what it would have done.
void OnCrash(int sig) {
  EndCurses();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

// Hang-up and termination close the window: every waiting loop then ends and
// the program shuts down cleanly.
void OnClose(int) { gCloseRequested = 1; }

void InstallSignals() {
  for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) std::signal(sig, OnCrash);
  struct sigaction sa {};
  sa.sa_handler = OnClose;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: the key read returns so that the close is seen
  sigaction(SIGHUP, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
}

// Colour pair per cell attribute (1-based pair numbers).
struct Look {
  short fg, bg;
  attr_t extra;
  attr_t mono;  // without colours
};

const Look kLooks[] = {
    /* kDesktop      */ {COLOR_WHITE, COLOR_BLUE, A_NORMAL, A_NORMAL},
    /* kNormal       */ {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},
    /* kFrame        */ {COLOR_BLUE, COLOR_WHITE, A_BOLD, A_BOLD},
    /* kLabel        */ {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},
    /* kField        */ {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_UNDERLINE},
    /* kFieldFocus   */ {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE},
    /* kFieldShown   */ {COLOR_BLUE, COLOR_WHITE, A_BOLD, A_BOLD},
    /* kLegend       */ {COLOR_BLUE, COLOR_WHITE, A_NORMAL, A_NORMAL},
    /* kMenuBar      */ {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_REVERSE},
    /* kMenuHot      */ {COLOR_RED, COLOR_CYAN, A_BOLD, A_REVERSE | A_BOLD},
    /* kMenuSelected */ {COLOR_WHITE, COLOR_BLACK, A_BOLD, A_NORMAL},
    /* kMenuDisabled */ {COLOR_BLUE, COLOR_CYAN, A_NORMAL, A_REVERSE | A_DIM},
    /* kStatus       */ {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_REVERSE},
    /* kButton       */ {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_NORMAL},
    /* kButtonFocus  */ {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE},
    /* kError        */ {COLOR_WHITE, COLOR_RED, A_BOLD, A_BOLD},
};

// The forms of Home and End that terminals send (vt220, xterm normal and
// application modes, rxvt).
struct KeyForm {
  const char* sequence;
  int code;
};
const KeyForm kHomeEndForms[] = {
    {"\033[1~", KEY_HOME}, {"\033[H", KEY_HOME}, {"\033OH", KEY_HOME}, {"\033[7~", KEY_HOME},
    {"\033[4~", KEY_END},  {"\033[F", KEY_END},  {"\033OF", KEY_END},  {"\033[8~", KEY_END},
};

// Ctrl with Home, End, the arrows and the page keys: the terminal's own
// sequence (its terminfo entry, where it has one) and the forms xterm, tmux
// and rxvt send, each bound to a key code of ours above ncurses' own.  The
// keys reach the program whatever TERM says (inside tmux, TERM names a
// screen whose entry knows none of them).
struct CtrlKey {
  const char* capability;
  KeyCode key;
  const char* forms[3];
};
const CtrlKey kCtrlKeys[] = {
    {"kHOM5", kKeyCtrlHome, {"\033[1;5H", "\033[7^", nullptr}},
    {"kEND5", kKeyCtrlEnd, {"\033[1;5F", "\033[8^", nullptr}},
    {"kLFT5", kKeyCtrlLeft, {"\033[1;5D", "\033Od", nullptr}},
    {"kRIT5", kKeyCtrlRight, {"\033[1;5C", "\033Oc", nullptr}},
    {"kPRV5", kKeyCtrlPgUp, {"\033[5;5~", "\033[5^", nullptr}},
    {"kNXT5", kKeyCtrlPgDn, {"\033[6;5~", "\033[6^", nullptr}},
};
constexpr int kFirstCtrlCode = KEY_MAX + 1;

class TerminalDevice : public Device {
 public:
  TerminalDevice() {
    initscr();
    gActive = true;
    std::atexit(EndCurses);
    InstallSignals();
    raw();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    // Terminals send Home and End in several forms, and not always the one
    // TERM names (inside tmux they come as \E[1~ and \E[4~ whatever TERM
    // says): every common form is taken.
    for (const auto& [sequence, code] : kHomeEndForms) define_key(sequence, code);
    set_escdelay(25);
    colors_ = has_colors();
    if (colors_) {
      start_color();
      for (std::size_t i = 0; i < std::size(kLooks); ++i)
        init_pair(static_cast<short>(i + 1), kLooks[i].fg, kLooks[i].bg);
    }
    mousemask(BUTTON1_CLICKED | BUTTON1_PRESSED, nullptr);
    mouseinterval(0);
    for (std::size_t i = 0; i < std::size(kCtrlKeys); ++i) {
      const int code = kFirstCtrlCode + static_cast<int>(i);
      char* own = tigetstr(kCtrlKeys[i].capability);
      if (own != nullptr && own != reinterpret_cast<char*>(-1) && own[0] != '\0') define_key(own, code);
      for (const char* form : kCtrlKeys[i].forms) {
        if (form != nullptr) define_key(form, code);
      }
    }
    getmaxyx(stdscr, lines_, cols_);
  }
  ~TerminalDevice() override { Shutdown(); }

  bool Scripted() const override { return false; }

  void Size(int* rows, int* cols) override {
    getmaxyx(stdscr, lines_, cols_);
    *rows = lines_;
    *cols = cols_;
  }

  bool Resized() override {
    bool r = resized_;
    resized_ = false;
    return r;
  }

  void Present(const Frame& frame) override {
    if (!gActive) return;
    const CellGrid& g = *frame.screen;
    for (int r = 0; r < g.rows && r < lines_; ++r) {
      for (int c = 0; c < g.cols && c < cols_; ++c) {
        const Cell& cell = g.At(r, c);
        wchar_t wc[2] = {static_cast<wchar_t>(cell.ch ? oem::ToUnicode(cell.ch, true) : U' '), 0};
        std::size_t a = static_cast<std::size_t>(cell.attr);
        const Look& look = kLooks[a < std::size(kLooks) ? a : 0];
        cchar_t cc;
        short pair = colors_ ? static_cast<short>(a + 1) : 0;
        setcchar(&cc, wc, colors_ ? look.extra : look.mono, pair, nullptr);
        mvadd_wch(r, c, &cc);
      }
    }
    if (frame.cursorRow >= 0 && frame.cursorRow < lines_ && frame.cursorCol < cols_) {
      move(frame.cursorRow, frame.cursorCol);
      curs_set(1);
    } else {
      curs_set(0);
    }
    refresh();
  }

  KeyCode Read() override {
    for (;;) {
      if (gCloseRequested) return kKeyClose;
      KeyCode k = ReadOne(true);
      if (k != 0) return k;
    }
  }

  KeyCode Poll() override {
    if (gCloseRequested) return kKeyClose;
    return ReadOne(false);
  }

  void Shutdown() override { EndCurses(); }

 private:
  // One key from the terminal; 0 for nothing (no key, a character that code
  // page 437 cannot show), kKeyResize after a change of size.
  KeyCode ReadOne(bool wait) {
    timeout(wait ? -1 : 0);
    wint_t ch = 0;
    int kind = get_wch(&ch);
    if (kind == ERR) return 0;
    if (kind == KEY_CODE_YES) return MapKey(static_cast<int>(ch));
    if (ch == 27) {
      // Alt+letter arrives as Esc and the letter.
      timeout(0);
      wint_t next = 0;
      int k2 = get_wch(&next);
      if (k2 == OK && next < 128 && std::isalnum(static_cast<int>(next)))
        return KeyAltOf(static_cast<char>(next));
      // A control sequence of a key the terminal description does not know:
      // read to its final byte and drop it, rather than take it for Esc
      // (which cancels) followed by typed characters.
      if (k2 == OK && next == '[') {
        while (get_wch(&next) == OK && !(next >= 0x40 && next <= 0x7E)) {
        }
        return 0;
      }
      if (k2 != ERR) unget_wch(next);
      return kKeyEsc;
    }
    if (ch == '\r' || ch == '\n') return kKeyEnter;
    if (ch == 127 || ch == 8) return kKeyBackspace;
    if (ch < 32) return static_cast<KeyCode>(ch);
    int b = oem::FromUnicode(static_cast<char32_t>(ch));
    return b > 0 ? b : 0;
  }

  KeyCode MapKey(int k) {
    if (k == KEY_RESIZE) {
      resized_ = true;
      getmaxyx(stdscr, lines_, cols_);
      clearok(curscr, TRUE);
      return kKeyResize;
    }
    if (k == KEY_MOUSE) {
      MEVENT ev;
      if (getmouse(&ev) == OK && (ev.bstate & (BUTTON1_CLICKED | BUTTON1_PRESSED))) {
        State().clickRow = ev.y;
        State().clickCol = ev.x;
        return kKeyMouse;
      }
      return 0;
    }
    if (k >= KEY_F(1) && k <= KEY_F(60)) {
      int n = k - KEY_F(0);
      int group = (n - 1) / 12, f = (n - 1) % 12 + 1;
      if (f > 10) return group == 0 ? (f == 11 ? 0x8500 : 0x8600) : 0;
      static const int kBase[] = {0x3B, 0x54, 0x5E, 0, 0x68};
      if (group > 4 || kBase[group] == 0) return 0;
      return (kBase[group] + f - 1) << 8;
    }
    switch (k) {
      case KEY_UP: return kKeyUp;
      case KEY_DOWN: return kKeyDown;
      case KEY_LEFT: return kKeyLeft;
      case KEY_RIGHT: return kKeyRight;
      case KEY_HOME: return kKeyHome;
      case KEY_END: return kKeyEnd;
      case KEY_PPAGE: return kKeyPgUp;
      case KEY_NPAGE: return kKeyPgDn;
      case KEY_IC: return kKeyIns;
      case KEY_DC: return kKeyDel;
      case KEY_BTAB: return kKeyShiftTab;
      case KEY_ENTER: return kKeyEnter;
      case KEY_BACKSPACE: return kKeyBackspace;
      default: break;
    }
    if (k >= kFirstCtrlCode && k < kFirstCtrlCode + static_cast<int>(std::size(kCtrlKeys)))
      return kCtrlKeys[k - kFirstCtrlCode].key;
    return 0;
  }

  bool colors_ = false;
  bool resized_ = false;
  int lines_ = 25, cols_ = 80;
};

}  // namespace

// The user's locale, but for two of its parts.  Characters are C.UTF-8's:
// ncursesw needs UTF-8 to draw the line characters, and the letters of
// codes, key names and merge fields must change case as in C (a Turkish
// locale's toupper leaves 'i' as it is, so "{territory}" would name no
// field).  Numbers are C's: amounts are typed, read back and printed with
// '.', and a comma locale would make strtod stop at the point ("12.50" read
// as 12) and printf write "12,50" into reports.
void ChooseTerminalLocale() {
  std::setlocale(LC_ALL, "");
  std::setlocale(LC_CTYPE, "C.UTF-8");
  std::setlocale(LC_NUMERIC, "C");
}

std::unique_ptr<Device> MakeTerminalDevice() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return nullptr;
  const char* term = std::getenv("TERM");
  if (!term || !*term || std::strcmp(term, "dumb") == 0) return nullptr;
  ChooseTerminalLocale();
  return std::make_unique<TerminalDevice>();
}

}  // namespace rv
