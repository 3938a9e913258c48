// Forms, fields, the input loop and grids.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "internal.h"
#include "mask.h"

namespace rv {

struct FieldState {
  TagFormField* def = nullptr;  // the caller's table entry: callbacks are read from it live
  int number = 0;
  int row = 0, col = 0;
  Mask mask;
  std::string value;                 // CP437; pictures hold every place
  int choice = 1;                    // choice fields, 1-based
  std::vector<std::string> entries;  // choice entries as stored (0xFF = hard blank)
  std::string keyLetters;            // one per entry; empty = first letters
  const char* choicesSeen = nullptr; // the choices pointer the entries came from
  std::string label;
  bool labelSet = false;             // FieldSetLabel replaced the table's label
  std::string prompt;                // "From" / "To" of a range field, just left of it
  int access = 0;                    // 0 normal, 2 out of use
  bool protect = false;
  bool openEnd = false;              // shows "FIRST" / "LAST "
};

struct KeyBinding {
  KeyCode key = 0;
  FormKeyHandler handler = nullptr;
  std::string label;
  bool enabled = true;
};

struct GridState {
  PickList* list = nullptr;
  int top = 0, left = 0, rows = 1, width = 0;
  std::vector<void*> items;
  std::vector<void*> owned;  // rows made by PickRowAlloc
  int current = 0;           // index; == items.size() is the append row
  int scroll = 0;
  std::vector<std::string> snapshot;  // line values when the row was entered
  bool reenter = false;               // rows were cleared or the cursor moved by the caller
};

}  // namespace rv

struct FormImpl {
  Form* form = nullptr;
  std::vector<rv::FieldState> fields;
  std::vector<rv::KeyBinding> keys;
  Window* window = nullptr;  // attached window
  Window implicit{};         // a window of its own when none was opened
  std::string title, legendOverride;
  std::vector<FormDefText> texts;
  bool cancelled = false, running = false, done = false, accepted = false;
  bool wantGrid = false;
  int current = -1;     // index into fields
  int pendingFocus = 0; // field number
  KeyCode lastKey = 0;
  unsigned flags = 0;
  // Editing of the current field.
  std::string edit;
  int cursor = 0;
  bool typed = false;      // a character was typed since entry (type-over done)
  bool moved = false;      // the cursor was moved: typing edits instead of replacing
  bool insert = true;
  std::string entryValue;  // value when the cursor entered the field
  // Grids.
  PickList* grid = nullptr;  // attached grid (main form)
  bool inGrid = false;
  int lineRow = -1;          // line forms: the window row of the current line
  FormImpl* owner = nullptr; // line forms: the main form's state
  PickList* lineOf = nullptr;
};

struct PickListImpl {
  rv::GridState g;
  Form* owner = nullptr;
};

namespace rv {

namespace {

enum class Act { kNone, kStay, kAccept, kCancel };
struct Outcome {
  Act act = Act::kNone;
  bool redraw = false;
  bool grid = false;
};

Outcome Decode(int r) {
  Outcome o;
  if (r == 1) {
    o.act = Act::kAccept;
    return o;
  }
  if (r == 27) {
    o.act = Act::kCancel;
    return o;
  }
  if (r < 0) return o;
  if (r & 0x20) o.act = Act::kStay;
  if (r & 0xC0) o.redraw = true;
  if (r & kPickEnterGrid) o.grid = true;
  return o;
}

FormImpl* Impl(const Form* form) { return form ? form->impl : nullptr; }

FieldState* Find(FormImpl* f, int number) {
  if (!f) return nullptr;
  for (FieldState& s : f->fields)
    if (s.number == number) return &s;
  return nullptr;
}

int IndexOf(FormImpl& f, int number) {
  for (std::size_t i = 0; i < f.fields.size(); ++i)
    if (f.fields[i].number == number) return static_cast<int>(i);
  return -1;
}

bool Enterable(const FieldState& s) { return s.access != 2 && !s.protect; }

std::string DisplayEntry(const std::string& e) {
  std::string s = e;
  for (char& c : s)
    if (static_cast<unsigned char>(c) == 0xFF) c = ' ';
  return s;
}

void LoadChoices(FieldState& s, const char* list) {
  s.entries.clear();
  s.choicesSeen = list;
  if (!list) return;
  const char* p = list;
  if (*p == 1) ++p;
  std::string cur;
  for (; *p; ++p) {
    if (*p == ',') {
      s.entries.push_back(cur);
      cur.clear();
    } else {
      cur += *p;
    }
  }
  s.entries.push_back(cur);
  if (s.choice < 1 || s.choice > static_cast<int>(s.entries.size())) s.choice = 1;
  if (s.keyLetters.size() != s.entries.size()) s.keyLetters.clear();
}

// A caller may swap the choice list in its table at run time.
void RefreshChoices(FieldState& s) {
  if (s.mask.kind == Mask::kChoice && s.def && s.def->choices != s.choicesSeen) LoadChoices(s, s.def->choices);
}

const std::string& LabelOf(const FieldState& s, std::string& tmp) {
  if (s.labelSet) return s.label;
  tmp = s.def && s.def->label ? s.def->label : "";
  return tmp;
}

WindowImpl* WinOf(FormImpl& f) {
  if (f.owner) return WinOf(*f.owner);
  if (f.window && f.window->impl) return f.window->impl;
  return nullptr;
}

int RowOf(const FormImpl& f, const FieldState& s) { return f.lineRow >= 0 ? f.lineRow : s.row; }

// The text a field shows (not padded).
std::string ValueText(const FieldState& s) {
  if (s.mask.kind == Mask::kChoice) {
    if (s.choice >= 1 && s.choice <= static_cast<int>(s.entries.size())) return DisplayEntry(s.entries[s.choice - 1]);
    return "";
  }
  return s.value;
}

std::string Padded(const FieldState& s, const std::string& text, bool editing) {
  int w = s.mask.width;
  std::string t = text.substr(0, static_cast<std::size_t>(w));
  int pad = w - static_cast<int>(t.size());
  bool right = !editing && !s.mask.left &&
               (s.mask.kind == Mask::kInteger || s.mask.kind == Mask::kDecimal || s.mask.kind == Mask::kText);
  if (s.mask.kind == Mask::kPicture) right = false;
  return right ? std::string(pad, ' ') + t : t + std::string(pad, ' ');
}

// A number in the field being edited that the user has not typed into or
// moved in yet stands where it stands unedited (right-aligned), so that a
// value the program just put there (a price computed from the line) reads
// like the column it is in; the blanks before it, else 0.
int UntouchedNumberPad(const FormImpl& f, const FieldState& s) {
  if (f.typed || f.moved || s.mask.left) return 0;
  if (s.mask.kind != Mask::kInteger && s.mask.kind != Mask::kDecimal) return 0;
  return std::max(0, s.mask.width - static_cast<int>(f.edit.size()));
}

// The first character shown of a field being edited that is wider than the
// `room` left to the window's frame: the text scrolls so that the cursor
// stays in view.
int ScrollStart(int cursor, int room) { return room > 0 ? std::max(0, cursor - room + 1) : 0; }

int LabelColumn(const FieldState& s, const std::string& label) {
  if (s.def && s.def->labelColumn) return s.def->labelColumn;
  int promptWidth = s.prompt.empty() ? 0 : 5;
  return std::max(1, s.col - promptWidth - static_cast<int>(label.size()) - 1);
}

void DrawField(FormImpl& f, FieldState& s, bool focus) {
  WindowImpl* w = WinOf(f);
  if (!w) return;
  CellGrid& g = w->grid;
  int row = RowOf(f, s);
  int limit = g.cols - 2;
  std::string tmp;
  const std::string& label = LabelOf(s, tmp);
  int labelCol = LabelColumn(s, label);
  int promptCol = std::max(1, s.col - 5);
  if (s.access == 2) {
    // A field out of use below the window (a form definition for a taller
    // window) leaves the frame as it is.
    if (row < 1 || row > g.rows - 2) return;
    g.Fill(row, s.col, std::min(s.mask.width, limit - s.col + 1), ' ', CellAttr::kNormal);
    if (!label.empty() && f.lineRow < 0) g.Fill(row, labelCol, static_cast<int>(label.size()), ' ', CellAttr::kNormal);
    if (!s.prompt.empty() && f.lineRow < 0) g.Fill(row, promptCol, 4, ' ', CellAttr::kNormal);
    return;
  }
  if (!label.empty() && f.lineRow < 0) g.Put(row, labelCol, label, CellAttr::kLabel, std::min(limit, s.col - 1));
  if (!s.prompt.empty() && f.lineRow < 0) {
    char text[8];
    std::snprintf(text, sizeof text, "%4.4s", s.prompt.c_str());
    g.Put(row, promptCol, text, CellAttr::kLabel, std::min(limit, s.col - 1));
  }
  bool editing = focus && (s.mask.kind == Mask::kText || s.mask.kind == Mask::kInteger ||
                           s.mask.kind == Mask::kDecimal || s.mask.kind == Mask::kPicture);
  std::string text = editing ? f.edit : ValueText(s);
  CellAttr attr = focus ? CellAttr::kFieldFocus : (s.protect ? CellAttr::kFieldShown : CellAttr::kField);
  const int pad = editing ? UntouchedNumberPad(f, s) : 0;
  std::string shown = pad > 0 ? std::string(static_cast<std::size_t>(pad), ' ') + text : Padded(s, text, editing);
  if (editing && pad == 0)
    shown.erase(0, std::min(shown.size(), static_cast<std::size_t>(ScrollStart(f.cursor, limit - s.col + 1))));
  g.Put(row, s.col, shown, attr, limit);
}

void ClearHidden(FormImpl& f) {
  for (FieldState& s : f.fields)
    if (s.access == 2) DrawField(f, s, false);
}

void DrawAll(FormImpl& f) {
  if (f.lineRow >= 0) return;  // line forms are drawn by their grid
  ClearHidden(f);
  for (std::size_t i = 0; i < f.fields.size(); ++i) {
    FieldState& s = f.fields[i];
    if (s.access == 2) continue;
    RefreshChoices(s);
    DrawField(f, s, f.running && !f.inGrid && static_cast<int>(i) == f.current);
  }
}

std::string DefaultKeyLabel(KeyCode key) {
  switch (key) {
    case kKeyF10: return "Accept";
    case kKeyF5: return "Look up";
    case kKeyShiftF9: return "Defaults";
    case kKeyF1: return "Help";
    default: return "";
  }
}

std::string Legend(FormImpl& f) {
  if (!f.legendOverride.empty()) return f.legendOverride;
  std::string s;
  bool hasF10 = false;
  for (const KeyBinding& k : f.keys) {
    if (k.key == kKeyF10) hasF10 = true;
    if (!k.enabled || k.label.empty()) continue;
    if (!s.empty()) s += "  ";
    s += KeyName(k.key) + " " + k.label;
  }
  if (!hasF10) s += std::string(s.empty() ? "" : "  ") + "F10 Accept";
  s += "  Esc Cancel";
  return s;
}

// A legend that fits `room` columns: as it stands, else with one blank
// between its entries, else without the entries before "Esc Cancel" that
// do not fit (F10 first and Esc last stay).
std::string FitLegend(const std::string& legend, int room) {
  if (static_cast<int>(legend.size()) <= room) return legend;
  std::vector<std::string> entries;
  for (std::size_t at = 0; at <= legend.size();) {
    const std::size_t next = legend.find("  ", at);
    const std::string entry = legend.substr(at, next == std::string::npos ? std::string::npos : next - at);
    if (!entry.empty()) entries.push_back(entry);
    if (next == std::string::npos) break;
    at = next + 2;
  }
  const auto join = [&] {
    std::string out;
    for (const std::string& e : entries) out += (out.empty() ? "" : " ") + e;
    return out;
  };
  std::string out = join();
  while (static_cast<int>(out.size()) > room && entries.size() > 2) {
    entries.erase(entries.end() - 2);
    out = join();
  }
  return out.substr(0, static_cast<std::size_t>(std::max(room, 0)));
}

// The form's key legend, always on its window's bottom frame: the window
// is made wide enough for it where the screen allows, and the legend is
// made to fit where it does not.
void ShowLegend(FormImpl& f) {
  WindowImpl* w = WinOf(f);
  if (!w) return;
  std::string legend = Legend(f);
  Ui& ui = State();
  // The window is sized for the form's own keys, once; on a choice field
  // "Space Change" goes before them where there is room.
  const int need = std::min(static_cast<int>(legend.size()) + 4, ui.screen.cols);
  if (need > w->grid.cols) {
    CellGrid grown;
    grown.Resize(w->grid.rows, need, Cell{w->fill, CellAttr::kNormal});
    for (int r = 1; r < w->grid.rows - 1; ++r)
      for (int c = 1; c < w->grid.cols - 1; ++c) grown.At(r, c) = w->grid.At(r, c);
    w->grid = std::move(grown);
    w->left = std::clamp(w->left, 0, ui.screen.cols - need);
  }
  FieldState* cur = f.current >= 0 && !f.inGrid ? &f.fields[f.current] : nullptr;
  const std::string change = "Space Change  " + legend;
  if (cur && cur->mask.kind == Mask::kChoice && static_cast<int>(change.size()) + 4 <= w->grid.cols) legend = change;
  w->legend = FitLegend(legend, w->grid.cols - 4);
  w->legendInFrame = true;
  ui.bottomLegend.clear();
  DrawFrame(*w);
}

// Grows the window so that every field in use, its label and the frame fit
// (a form definition may have more fields than the caller's window holds).
// A field wider than the screen could show scrolls within the window as it
// is (ScrollStart) and grows nothing.
void FitWindow(FormImpl& f) {
  WindowImpl* w = WinOf(f);
  if (!w) return;
  Ui& ui = State();
  int needRows = w->grid.rows, needCols = w->grid.cols;
  for (FieldState& s : f.fields) {
    if (s.access == 2) continue;
    needRows = std::max(needRows, s.row + 2);
    if (s.col + s.mask.width + 1 <= ui.screen.cols) needCols = std::max(needCols, s.col + s.mask.width + 1);
  }
  if (f.grid && f.grid->impl) {
    GridState& g = f.grid->impl->g;
    needRows = std::max(needRows, g.top + g.rows + 1);
  }
  needRows = std::min(needRows, ui.screen.rows);
  needCols = std::min(needCols, ui.screen.cols);
  if (needRows == w->grid.rows && needCols == w->grid.cols) return;
  CellGrid grown;
  grown.Resize(needRows, needCols, Cell{w->fill, CellAttr::kNormal});
  for (int r = 1; r < w->grid.rows - 1; ++r)
    for (int c = 1; c < w->grid.cols - 1; ++c) grown.At(r, c) = w->grid.At(r, c);
  w->grid = std::move(grown);
  w->top = std::clamp(w->top, 0, ui.screen.rows - needRows);
  w->left = std::clamp(w->left, 0, ui.screen.cols - needCols);
  DrawFrame(*w);
}

void DrawTexts(FormImpl& f) {
  WindowImpl* w = WinOf(f);
  if (!w) return;
  for (const FormDefText& t : f.texts) w->grid.Put(t.row, t.col, t.text, CellAttr::kNormal, w->grid.cols - 2);
}

// --- Editing ---------------------------------------------------------------------

void LoadEdit(FormImpl& f) {
  FieldState& s = f.fields[f.current];
  f.edit = s.mask.kind == Mask::kPicture ? (s.value.empty() ? EmptyPicture(s.mask) : s.value) : ValueText(s);
  if (s.mask.kind != Mask::kPicture) {
    while (!f.edit.empty() && f.edit.back() == ' ') f.edit.pop_back();
    if (s.mask.kind != Mask::kText) {
      std::size_t b = f.edit.find_first_not_of(' ');
      f.edit = b == std::string::npos ? "" : f.edit.substr(b);
    }
  }
  f.cursor = 0;
  if (s.mask.kind == Mask::kPicture)
    while (f.cursor < static_cast<int>(s.mask.picture.size()) && !PicturePlace(s.mask, f.cursor)) ++f.cursor;
  f.typed = f.moved = false;
}

// Takes the typed text into the current field's value.
void Commit(FormImpl& f) {
  if (f.current < 0 || f.current >= static_cast<int>(f.fields.size())) return;
  FieldState& s = f.fields[f.current];
  if (s.mask.kind == Mask::kChoice) return;
  if (!f.typed && !f.moved) return;
  std::string v = f.edit;
  if (s.mask.kind != Mask::kPicture)
    while (!v.empty() && v.back() == ' ') v.pop_back();
  if (s.mask.kind == Mask::kDecimal && !s.mask.quantity && !v.empty()) {
    double d = 0;
    if (TextToValue(v.c_str(), 0, &d) == 0 && v.find('/') == std::string::npos) {
      char buf[64];
      NumToText(buf, d, s.mask.precision);
      v = buf;
    }
  }
  if (v != s.value) {
    s.value = v;
    s.openEnd = false;
  }
}

bool IsMoveKey(KeyCode k) {
  return k == kKeyEnter || k == kKeyTab || k == kKeyDown || k == kKeyUp || k == kKeyShiftTab ||
         k == kKeyPgUp || k == kKeyPgDn || k == kKeyCtrlHome || k == kKeyCtrlEnd;
}

void NextPlace(const Mask& m, int* pos, int dir) {
  int n = static_cast<int>(m.picture.size());
  int p = *pos + dir;
  while (p >= 0 && p < n && !PicturePlace(m, p)) p += dir;
  if (p >= 0 && p <= n) *pos = std::min(p, n);
}

// A literal typed in a picture jumps past it; a partly typed group of digits
// before it is right-aligned with zeros ("3/5/25" gives "03/05/25").
bool PictureLiteral(FormImpl& f, FieldState& s, unsigned char ch) {
  const std::string& pic = s.mask.picture;
  // The cursor already jumped past this literal because the group before it
  // was full ("04" then "/"): the typed separator is that literal.
  if (f.cursor > 0 && static_cast<std::size_t>(f.cursor) <= pic.size() &&
      pic[f.cursor - 1] == static_cast<char>(ch) && !PicturePlace(s.mask, f.cursor - 1))
    return true;
  std::size_t at = pic.find(static_cast<char>(ch), static_cast<std::size_t>(f.cursor));
  if (at == std::string::npos || PicturePlace(s.mask, at)) return false;
  std::size_t start = at;
  while (start > 0 && PicturePlace(s.mask, start - 1)) --start;
  std::string digits;
  bool allN = true;
  for (std::size_t i = start; i < at; ++i) {
    if (pic[i] != 'n') allN = false;
    if (f.edit[i] != ' ') digits += f.edit[i];
  }
  if (allN && !digits.empty() && digits.size() < at - start) {
    std::string group = std::string(at - start - digits.size(), '0') + digits;
    for (std::size_t i = start; i < at; ++i) f.edit[i] = group[i - start];
  }
  f.cursor = static_cast<int>(at);
  NextPlace(s.mask, &f.cursor, 1);
  return true;
}

void EditKey(FormImpl& f, KeyCode key) {
  FieldState& s = f.fields[f.current];
  const Mask& m = s.mask;
  if (m.kind == Mask::kChoice) {
    int n = static_cast<int>(s.entries.size());
    if (n == 0) return;
    if (key == kKeySpace || key == kKeyRight || key == '+') s.choice = s.choice % n + 1;
    else if (key == kKeyLeft || key == '-') s.choice = (s.choice + n - 2) % n + 1;
    else if (key == kKeyHome) s.choice = 1;
    else if (key == kKeyEnd) s.choice = n;
    else if (key > 32 && key < 256) {
      unsigned char want = oem::ToUpper(static_cast<unsigned char>(key));
      for (int i = 1; i <= n; ++i) {
        int c = (s.choice - 1 + i) % n;
        unsigned char letter = s.keyLetters.size() == static_cast<std::size_t>(n)
                                   ? static_cast<unsigned char>(s.keyLetters[c])
                                   : static_cast<unsigned char>(s.entries[c].empty() ? 0 : s.entries[c][0]);
        if (oem::ToUpper(letter) == want) {
          s.choice = c + 1;
          break;
        }
      }
    }
    s.openEnd = false;
    return;
  }
  int len = static_cast<int>(f.edit.size());
  if (m.kind == Mask::kPicture) {
    int n = static_cast<int>(m.picture.size());
    if (key == kKeyLeft) { NextPlace(m, &f.cursor, -1); f.moved = true; return; }
    if (key == kKeyRight) { NextPlace(m, &f.cursor, 1); f.moved = true; return; }
    if (key == kKeyHome) { f.cursor = -1; NextPlace(m, &f.cursor, 1); f.moved = true; return; }
    if (key == kKeyEnd) { f.cursor = n; f.moved = true; return; }
    if (key == kKeyBackspace) {
      int p = f.cursor;
      NextPlace(m, &p, -1);
      if (p < f.cursor && PicturePlace(m, p)) {
        f.edit[p] = ' ';
        f.cursor = p;
      }
      f.moved = true;
      return;
    }
    if (key == kKeyDel) {
      if (f.cursor < n && PicturePlace(m, f.cursor)) f.edit[f.cursor] = ' ';
      f.moved = true;
      return;
    }
    if (key < 32 || key > 255) return;
    unsigned char ch = static_cast<unsigned char>(key);
    if (!f.typed && !f.moved) {
      f.edit = EmptyPicture(m);
      f.cursor = -1;
      NextPlace(m, &f.cursor, 1);
    }
    f.typed = true;
    if (f.cursor < n && PicturePlace(m, f.cursor)) {
      char place = m.picture[f.cursor];
      bool ok = place == 'n' ? (std::isdigit(ch) || ch == ' ') : true;
      if (ok) {
        f.edit[f.cursor] = static_cast<char>(place == 'C' ? oem::ToUpper(ch) : ch);
        NextPlace(m, &f.cursor, 1);
        return;
      }
    }
    PictureLiteral(f, s, ch);
    return;
  }
  switch (key) {
    case kKeyLeft: if (f.cursor > 0) --f.cursor; f.moved = true; return;
    case kKeyRight: if (f.cursor < len) ++f.cursor; f.moved = true; return;
    case kKeyHome: f.cursor = 0; f.moved = true; return;
    case kKeyEnd: f.cursor = len; f.moved = true; return;
    case kKeyIns: f.insert = !f.insert; return;
    case kKeyBackspace:
      if (f.cursor > 0) f.edit.erase(static_cast<std::size_t>(--f.cursor), 1);
      f.moved = true;
      return;
    case kKeyDel:
      if (f.cursor < len) f.edit.erase(static_cast<std::size_t>(f.cursor), 1);
      f.moved = true;
      return;
    default: break;
  }
  if (key < 32 || key > 255) return;
  unsigned char ch = static_cast<unsigned char>(key);
  if (!MaskAccepts(m, ch)) return;
  if (m.upper) ch = oem::ToUpper(ch);
  if (!f.typed && !f.moved) {
    f.edit.clear();
    f.cursor = 0;
  }
  f.typed = true;
  if (f.insert || f.cursor >= static_cast<int>(f.edit.size())) {
    if (static_cast<int>(f.edit.size()) >= m.width) return;
    f.edit.insert(f.edit.begin() + f.cursor, static_cast<char>(ch));
  } else {
    f.edit[f.cursor] = static_cast<char>(ch);
  }
  ++f.cursor;
}

// --- Focus -----------------------------------------------------------------------

Form* FormOf(FormImpl& f) { return f.form; }

void RunEvent(FormImpl& main, int event, int field) {
  if (main.form && main.form->eventHook) main.form->eventHook(main.form, event, field);
}

void Apply(FormImpl& main, const Outcome& o) {
  if (o.act == Act::kAccept) {
    main.done = true;
    main.accepted = true;
  } else if (o.act == Act::kCancel) {
    main.done = true;
    main.cancelled = true;
  }
  if (o.grid) main.wantGrid = true;
}

FormImpl& MainOf(FormImpl& f) { return f.owner ? *f.owner : f; }

// Enters field `index` of `f` and runs its entry callback.
void EnterField(FormImpl& f, int index, int depth = 0) {
  if (index < 0 || index >= static_cast<int>(f.fields.size())) return;
  f.current = index;
  FieldState& s = f.fields[index];
  RefreshChoices(s);
  LoadEdit(f);
  f.entryValue = ValueText(s);
  ShowLegend(MainOf(f));
  RunEvent(MainOf(f), kFormEventFieldEnter, s.number);
  if (s.def && s.def->entryCallback && depth < 8) {
    f.pendingFocus = 0;
    int r = s.def->entryCallback(FormOf(f), s.number);
    Outcome o = Decode(r);
    Apply(MainOf(f), o);
    if (o.redraw) DrawAll(f);
    if (f.pendingFocus && f.pendingFocus != s.number) {
      int target = IndexOf(f, f.pendingFocus);
      f.pendingFocus = 0;
      if (target >= 0) EnterField(f, target, depth + 1);
      return;
    }
    f.pendingFocus = 0;
    if (f.current == index) LoadEdit(f);  // the callback may have set the value
  }
}

int NextEnterable(FormImpl& f, int from, int dir) {
  int n = static_cast<int>(f.fields.size());
  for (int i = 1; i <= n; ++i) {
    int k = ((from + dir * i) % n + n) % n;
    if (Enterable(f.fields[k])) return k;
  }
  return -1;
}

int FirstEnterable(FormImpl& f) {
  for (std::size_t i = 0; i < f.fields.size(); ++i)
    if (Enterable(f.fields[i])) return static_cast<int>(i);
  return -1;
}

int LastEnterable(FormImpl& f) {
  for (int i = static_cast<int>(f.fields.size()) - 1; i >= 0; --i)
    if (Enterable(f.fields[i])) return i;
  return -1;
}

// Leaves the current field: takes the typed text and runs the exit callback.
// False when the cursor is to stay.
bool LeaveField(FormImpl& f, KeyCode key) {
  if (f.current < 0) return true;
  Commit(f);
  FieldState& s = f.fields[f.current];
  f.lastKey = key;
  MainOf(f).lastKey = key;
  RunEvent(MainOf(f), kFormEventFieldExit, s.number);
  if (!s.def || !s.def->exitCallback) return true;
  f.pendingFocus = 0;
  int number = s.number;
  int r = s.def->exitCallback(FormOf(f), number);
  Outcome o = Decode(r);
  Apply(MainOf(f), o);
  if (o.redraw) DrawAll(f);
  int idx = IndexOf(f, number);
  if (idx >= 0) f.current = idx;
  if (o.act == Act::kStay) {
    if (f.pendingFocus && f.pendingFocus != number) return true;  // moved by the callback
    LoadEdit(f);
    return false;
  }
  return true;
}

bool Changed(FormImpl& f) {
  if (f.current < 0) return false;
  FieldState& s = f.fields[f.current];
  if (s.mask.kind == Mask::kChoice) return ValueText(s) != f.entryValue;
  if (!f.typed && !f.moved) return false;
  std::string v = f.edit;
  while (!v.empty() && v.back() == ' ') v.pop_back();
  std::string e = f.entryValue;
  while (!e.empty() && e.back() == ' ') e.pop_back();
  return v != e;
}

std::string LineValues(FormImpl& line) {
  std::string all;
  for (FieldState& s : line.fields) all += ValueText(s) + '\x1F';
  return all;
}

}  // namespace

// Hooks used by windows.
bool FormHandlesWindowRow(Form* form, int row, const char* text) {
  FieldState* s = Find(Impl(form), row);
  if (!s || s->mask.kind != Mask::kChoice || !text || !*text) return false;
  unsigned char n = static_cast<unsigned char>(text[0]);
  if (n < 32 && std::strlen(text) == static_cast<std::size_t>(n) + 1) {
    s->keyLetters.assign(text + 1, n);
    return true;
  }
  if (n == 1) {
    FieldSetChoices(form, row, text);
    return true;
  }
  return false;
}

bool FormSetFieldPrompt(Form* form, int field, const char* prompt) {
  FormImpl* f = Impl(form);
  FieldState* s = Find(f, field);
  if (!s) return false;
  bool onScreen = f->lineRow < 0 && !f->owner && WinOf(*f);
  std::string tmp;
  const std::string& label = LabelOf(*s, tmp);
  if (onScreen && !label.empty())  // the label moves left of the prompt
    WinOf(*f)->grid.Fill(s->row, LabelColumn(*s, label), static_cast<int>(label.size()), ' ', CellAttr::kNormal);
  s->prompt = prompt ? prompt : "";
  if (onScreen) DrawField(*f, *s, f->running && IndexOf(*f, field) == f->current);
  return true;
}

void FormDetachWindow(Form* form, Window* window) {
  FormImpl* f = Impl(form);
  if (f && f->window == window) f->window = nullptr;
}

}  // namespace rv

using rv::FieldState;
using rv::Impl;

// --- Form life cycle ------------------------------------------------------------

int FormBegin(Form* form) {
  if (!form) return -1;
  if (form->impl) FormEnd(form);
  form->impl = new FormImpl;
  form->impl->form = form;
  return 0;
}

void FormEnd(Form* form) {
  if (!form || !form->impl) return;
  FormImpl* f = form->impl;
  if (f->grid) PickListFree(f->grid);
  if (f->window && f->window->impl && f->window->impl->form == form) f->window->impl->form = nullptr;
  WinClose(&f->implicit, 1);
  delete f;
  form->impl = nullptr;
}

int FormFieldsCreate(Form* form, TagFormField* table, int) {
  FormImpl* f = Impl(form);
  if (!f || !table) return 0;
  std::vector<FieldState> made;
  for (TagFormField* t = table; t->number != 0; ++t) {
    FieldState s;
    s.def = t;
    s.number = t->number;
    s.row = t->row;
    s.col = t->column;
    char mask[sizeof t->mask + 1] = {};
    std::memcpy(mask, t->mask, sizeof t->mask);
    std::string error;
    if (!rv::ParseMask(mask, &s.mask, &error)) {
      std::string text = "Field " + std::to_string(t->number) + " of the form " + std::string(form->reportId) +
                         " cannot be shown: " + error + ".";
      MsgBoxShowStyle(0, text.c_str(), "Form error", kMsgStyleError, 0);
      return 0;
    }
    if (rv::Find(f, s.number) ||
        std::any_of(made.begin(), made.end(), [&](const FieldState& m) { return m.number == s.number; })) {
      std::string text = "The form " + std::string(form->reportId) + " holds field " + std::to_string(t->number) +
                         " twice.";
      MsgBoxShowStyle(0, text.c_str(), "Form error", kMsgStyleError, 0);
      return 0;
    }
    if (s.mask.kind == rv::Mask::kChoice) rv::LoadChoices(s, t->choices);
    if (s.mask.kind == rv::Mask::kPicture) s.value = rv::EmptyPicture(s.mask);
    made.push_back(std::move(s));
  }
  if (made.empty()) return 0;
  for (FieldState& s : made) f->fields.push_back(std::move(s));
  return 1;
}

int FormAttachWindow(Window* window, Form* form, int) {
  FormImpl* f = Impl(form);
  if (!f) return -1;
  f->window = window;
  if (window && window->impl) window->impl->form = form;
  return 0;
}

Window* FormWindow(Form* form) {
  FormImpl* f = Impl(form);
  if (!f) return nullptr;
  if (f->owner) return FormWindow(f->owner->form);
  if (f->window && f->window->impl) return f->window;
  return WinTop();
}

namespace {

// Makes sure the form has a window: the attached one, the window opened
// last, or one of its own sized to its fields.
WindowImpl* EnsureWindow(FormImpl& f) {
  if (f.window && f.window->impl) return f.window->impl;
  if (Window* top = WinTop(); top && top != &f.implicit) {
    FormAttachWindow(top, f.form, 1);
    return top->impl;
  }
  int rows = 3, cols = 20;
  for (FieldState& s : f.fields) {
    rows = std::max(rows, s.row + 2);
    cols = std::max(cols, s.col + s.mask.width + 1);
  }
  WinOpen(&f.implicit, 2, 2, rows, cols, 1, 1, ' ', f.title.empty() ? f.form->reportId : f.title.c_str());
  FormAttachWindow(&f.implicit, f.form, 1);
  return f.implicit.impl;
}

void LayOut(FormImpl& f) {
  EnsureWindow(f);
  WindowImpl* w = rv::WinOf(f);
  if (!w) return;
  if (!f.title.empty() && w->title.empty()) {
    w->title = f.title;
    if (w->owner) std::snprintf(w->owner->title, sizeof w->owner->title, "%s", f.title.c_str());
  }
  rv::FitWindow(f);
  rv::DrawTexts(f);
  rv::DrawAll(f);
  rv::ShowLegend(f);
}

}  // namespace

int FormPrepare(Form* form) {
  FormImpl* f = Impl(form);
  if (!f) return -1;
  LayOut(*f);
  return 0;
}

int FormOnKey(Form* form, KeyCode key, FormKeyHandler handler, const char* label) {
  FormImpl* f = Impl(form);
  if (!f) return -1;
  std::string l = label ? label : rv::DefaultKeyLabel(key);
  for (rv::KeyBinding& k : f->keys)
    if (k.key == key) {
      k.handler = handler;
      if (label || k.label.empty()) k.label = l;
      k.enabled = true;
      return 0;
    }
  f->keys.push_back({key, handler, l, true});
  return 0;
}

int FormKeyRemove(Form* form, KeyCode key) {
  FormImpl* f = Impl(form);
  if (!f) return -1;
  f->keys.erase(std::remove_if(f->keys.begin(), f->keys.end(), [&](const rv::KeyBinding& k) { return k.key == key; }),
                f->keys.end());
  if (f->running) rv::ShowLegend(*f);
  return 0;
}

int FormKeyEnable(Form* form, KeyCode key, int enable) {
  FormImpl* f = Impl(form);
  if (!f) return -1;
  for (rv::KeyBinding& k : f->keys)
    if (k.key == key) k.enabled = enable != 0;
  if (f->running) rv::ShowLegend(*f);
  return 0;
}

int FormKeyLabel(Form* form, KeyCode key, const char* label) {
  FormImpl* f = Impl(form);
  if (!f) return -1;
  for (rv::KeyBinding& k : f->keys)
    if (k.key == key) {
      k.label = label ? label : "";
      if (f->running) rv::ShowLegend(*f);
      return 0;
    }
  f->keys.push_back({key, nullptr, label ? label : "", true});
  return 0;
}

void FormSetLegend(Form* form, const char* legend) {
  FormImpl* f = Impl(form);
  if (!f) return;
  f->legendOverride = legend ? legend : "";
  if (f->running) rv::ShowLegend(*f);
}

int FormWasCancelled(const Form* form) {
  FormImpl* f = Impl(form);
  return f && f->cancelled ? 1 : 0;
}

int FormRedraw(Form* form) {
  FormImpl* f = Impl(form);
  if (!f) return -1;
  if (f->owner) return FormRedraw(f->owner->form);
  rv::FitWindow(*f);
  rv::DrawAll(*f);
  return 0;
}

void FormSendKey(Form*, KeyCode key) { KeyPush(key); }

KeyCode FormLastKey(const Form* form) {
  FormImpl* f = Impl(form);
  return f ? f->lastKey : 0;
}

int FormCurrentField(const Form* form) {
  FormImpl* f = Impl(form);
  if (!f || f->current < 0 || f->current >= static_cast<int>(f->fields.size())) return 0;
  return f->fields[f->current].number;
}

void FormFlagSet(Form* form, unsigned flag, int on) {
  FormImpl* f = Impl(form);
  if (!f) return;
  if (on)
    f->flags |= flag;
  else
    f->flags &= ~flag;
}

int FormFlagGet(const Form* form, unsigned flag) {
  FormImpl* f = Impl(form);
  return f && (f->flags & flag) ? 1 : 0;
}

// --- Fields ------------------------------------------------------------------

namespace {

// Redraws a field when it is on screen.
void Show(FormImpl* f, FieldState* s) {
  if (!f || !s) return;
  if (f->lineRow >= 0 || (f->owner && f->owner->inGrid)) {
    // A line field: its grid draws it on the current row.
    return;
  }
  if (!rv::WinOf(*f)) return;
  int idx = rv::IndexOf(*f, s->number);
  bool focus = f->running && !f->inGrid && idx == f->current;
  rv::DrawField(*f, *s, focus);
}

}  // namespace

namespace {

// FieldGetText and FieldGetShownText: an open end reads as "" or as the word
// the field shows.
int CopyFieldText(Form* form, int field, char* out, int size, bool openEndShown) {
  FormImpl* f = Impl(form);
  FieldState* s = rv::Find(f, field);
  if (!s || !out || size <= 0) return -1;
  if (f->running && rv::IndexOf(*f, field) == f->current) rv::Commit(*f);
  std::string v = s->openEnd && !openEndShown ? std::string() : rv::ValueText(*s);
  if (s->mask.kind != rv::Mask::kPicture || s->openEnd)
    while (!v.empty() && v.back() == ' ') v.pop_back();
  if (s->mask.kind == rv::Mask::kInteger || s->mask.kind == rv::Mask::kDecimal) {
    std::size_t b = v.find_first_not_of(' ');
    v = b == std::string::npos ? "" : v.substr(b);
  }
  std::size_t n = std::min(v.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(out, v.data(), n);
  out[n] = 0;
  return static_cast<int>(n);
}

}  // namespace

int FieldGetText(Form* form, int field, char* out, int size) {
  return CopyFieldText(form, field, out, size, false);
}

int FieldGetShownText(Form* form, int field, char* out, int size) {
  return CopyFieldText(form, field, out, size, true);
}

std::string FieldText(Form* form, int field) {
  char buf[512];
  return FieldGetText(form, field, buf, sizeof buf) >= 0 ? buf : "";
}

int FieldSetText(Form* form, int field, const char* text) {
  FormImpl* f = Impl(form);
  FieldState* s = rv::Find(f, field);
  if (!s) return -1;
  std::string t = text ? text : "";
  if (s->mask.kind == rv::Mask::kChoice) {
    rv::RefreshChoices(*s);
    int n = static_cast<int>(s->entries.size());
    int pick = 0;
    unsigned char first = t.empty() ? 0 : static_cast<unsigned char>(t[0]);
    if (first >= 1 && first < 32) {
      pick = first;
    } else {
      for (int i = 0; i < n && !pick; ++i)
        if (oem::CompareText(rv::DisplayEntry(s->entries[i]), t) == 0) pick = i + 1;
      for (int i = 0; i < n && !pick && first; ++i)
        if (!s->entries[i].empty() && oem::ToUpper(static_cast<unsigned char>(s->entries[i][0])) == oem::ToUpper(first))
          pick = i + 1;
    }
    if (pick < 1 || pick > n) return -1;
    s->choice = pick;
  } else if (s->mask.kind == rv::Mask::kPicture) {
    std::string out(s->mask.picture.size() + 1, '\0');
    StrMaskFormat(out.data(), t.c_str(), s->mask.picture.c_str());
    out.resize(s->mask.picture.size());
    if (s->mask.upper)
      for (std::size_t i = 0; i < out.size(); ++i)
        if (s->mask.picture[i] == 'C') out[i] = static_cast<char>(oem::ToUpper(static_cast<unsigned char>(out[i])));
    // A picture field shows an open range end as a text field does.
    const std::string shown = rv::Trimmed(t);
    s->openEnd = shown == "FIRST" || shown == "LAST";
    s->value = out;
  } else {
    if (s->mask.kind == rv::Mask::kDecimal && !s->mask.quantity) {
      double d = 0;
      std::string trimmed = rv::Trimmed(t);
      if (!trimmed.empty() && TextToValue(trimmed.c_str(), 0, &d) == 0 && trimmed.find('/') == std::string::npos) {
        char buf[64];
        NumToText(buf, d, s->mask.precision);
        t = buf;
      }
    }
    if (s->mask.kind != rv::Mask::kText) t = rv::Trimmed(t);
    if (static_cast<int>(t.size()) > s->mask.width) t.resize(static_cast<std::size_t>(s->mask.width));
    if (s->mask.upper)
      for (char& c : t) c = static_cast<char>(oem::ToUpper(static_cast<unsigned char>(c)));
    std::string shown = t;
    while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    s->openEnd = shown == "FIRST" || shown == "LAST";
    s->value = t;
  }
  if (f->running && rv::IndexOf(*f, field) == f->current) {
    rv::LoadEdit(*f);
    f->entryValue = rv::ValueText(*s);
  }
  Show(f, s);
  return 0;
}

int FieldGetChoice(Form* form, int field) {
  FieldState* s = rv::Find(Impl(form), field);
  return s && s->mask.kind == rv::Mask::kChoice ? s->choice : 0;
}

int FieldSetChoice(Form* form, int field, int choice) {
  FormImpl* f = Impl(form);
  FieldState* s = rv::Find(f, field);
  if (!s || s->mask.kind != rv::Mask::kChoice) return -1;
  rv::RefreshChoices(*s);
  if (choice < 1 || choice > static_cast<int>(s->entries.size())) return -1;
  s->choice = choice;
  Show(f, s);
  return 0;
}

int FieldGetChoiceText(Form* form, int field, char* out, int size) {
  FieldState* s = rv::Find(Impl(form), field);
  if (!s || s->mask.kind != rv::Mask::kChoice || !out || size <= 0) return -1;
  std::string v = rv::ValueText(*s);
  std::size_t n = std::min(v.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(out, v.data(), n);
  out[n] = 0;
  return static_cast<int>(n);
}

int FieldSetChoices(Form* form, int field, const char* choices) {
  FormImpl* f = Impl(form);
  FieldState* s = rv::Find(f, field);
  if (!s || s->mask.kind != rv::Mask::kChoice || !choices) return -1;
  // The text is the caller's: keep a copy the entries can outlive.
  int keep = s->choice;
  rv::LoadChoices(*s, choices);
  s->choicesSeen = s->def ? s->def->choices : nullptr;
  s->choice = keep >= 1 && keep <= static_cast<int>(s->entries.size()) ? keep : 1;
  s->keyLetters.clear();
  Show(f, s);
  return 0;
}

int FieldGetTyped(Form* form, int field, int type, void* value) {
  FormImpl* f = Impl(form);
  FieldState* s = rv::Find(f, field);
  if (!s) return 0;
  std::string text = FieldText(form, field);
  switch (type) {
    case 0: {
      if (value) {
        std::size_t n = std::min<std::size_t>(text.size(), 255);
        std::memcpy(value, text.data(), n);
        static_cast<char*>(value)[n] = 0;
      }
      if (s->mask.kind == rv::Mask::kChoice) return 0;
      if (s->openEnd) return 1;
      if (s->mask.kind == rv::Mask::kPicture) return StrApplyMask(text.c_str(), s->mask.picture.c_str());
      return StrIsBlank(text.c_str()) ? 1 : 0;
    }
    case 1: {
      double d = 0;
      if (text.empty() || TextToValue(text.c_str(), 0, &d) != 0) return 0;
      if (value) *static_cast<double*>(value) = d;
      return 1;
    }
    case 2: {
      int day = DateFromText(text.c_str());
      if (!day) return 0;
      if (value) *static_cast<int*>(value) = day;
      return 1;
    }
    default: return 0;
  }
}

int FieldSetAccess(Form* form, int field, int state) {
  FormImpl* f = Impl(form);
  FieldState* s = rv::Find(f, field);
  if (!s) return -1;
  s->access = state == 2 ? 2 : 0;
  if (f->running && s->access == 0) rv::FitWindow(*f);
  if (f->lineRow < 0 && !f->owner && rv::WinOf(*f)) {
    rv::DrawField(*f, *s, false);
    if (s->access == 0) Show(f, s);
  }
  return 0;
}

int FieldSetProtect(Form* form, int field, int on) {
  FormImpl* f = Impl(form);
  FieldState* s = rv::Find(f, field);
  if (!s) return -1;
  s->protect = on != 0;
  Show(f, s);
  return 0;
}

int FieldSetFocus(Form* form, int field) {
  FormImpl* f = Impl(form);
  if (!rv::Find(f, field)) return -1;
  f->pendingFocus = field;
  return 0;
}

int FieldRedraw(Form* form, int field) {
  FormImpl* f = Impl(form);
  FieldState* s = rv::Find(f, field);
  if (!s) return -1;
  Show(f, s);
  return 0;
}

int FieldSetLabel(Form* form, int field, const char* label) {
  FormImpl* f = Impl(form);
  FieldState* s = rv::Find(f, field);
  if (!s) return -1;
  if (f->lineRow < 0 && !f->owner && rv::WinOf(*f) && s->access != 2) {
    // Blank the old label first: the new one may be shorter.
    std::string tmp;
    const std::string& old = rv::LabelOf(*s, tmp);
    int labelCol = rv::LabelColumn(*s, old);
    rv::WinOf(*f)->grid.Fill(s->row, labelCol, static_cast<int>(old.size()), ' ', CellAttr::kNormal);
  }
  s->label = label ? label : "";
  s->labelSet = true;
  Show(f, s);
  return 0;
}

// --- Form definitions: see data.cpp. ---------------------------------------------

int FormDefUse(Form* form, const FormDef* def) {
  FormImpl* f = Impl(form);
  if (!f || !def) return -1;
  f->title = def->title;
  f->legendOverride = def->legend;
  f->texts = def->texts;
  return 0;
}

// --- Grids -------------------------------------------------------------------------

int PickListInit(PickList* list, int top, int left, int rows, int width) {
  if (!list) return -1;
  if (!list->impl) list->impl = new PickListImpl;
  rv::GridState& g = list->impl->g;
  g.list = list;
  g.top = top;
  g.left = left;
  g.rows = std::max(rows, 1);
  g.width = width;
  if (!list->line.impl) FormBegin(&list->line);
  list->line.impl->lineOf = list;
  return 0;
}

int PickListAttach(Form* form, PickList* list) {
  FormImpl* f = Impl(form);
  if (!f || !list || !list->impl) return -1;
  f->grid = list;
  list->impl->owner = form;
  if (list->line.impl) list->line.impl->owner = f;
  return 0;
}

void PickListFree(PickList* list) {
  if (!list || !list->impl) return;
  for (void* p : list->impl->g.owned) std::free(p);
  if (list->impl->owner && list->impl->owner->impl && list->impl->owner->impl->grid == list)
    list->impl->owner->impl->grid = nullptr;
  delete list->impl;
  list->impl = nullptr;
  if (list->line.impl) {
    list->line.impl->owner = nullptr;
    FormEnd(&list->line);
  }
}

void* PickRowAlloc(PickList* list, std::size_t size) {
  if (!list || !list->impl || size == 0) return nullptr;
  void* p = std::calloc(1, size);
  if (!p) return nullptr;
  try {
    list->impl->g.owned.push_back(p);
  } catch (...) {
    std::free(p);
    return nullptr;
  }
  return p;
}

int PickRowInsert(PickList* list, void* row, int index, unsigned) {
  if (!list || !list->impl || !row) return -1;
  rv::GridState& g = list->impl->g;
  int n = static_cast<int>(g.items.size());
  if (index < 0 || index > n) index = n;
  g.items.insert(g.items.begin() + index, row);
  // The cursor stays on its row (the blank append row included).
  if (index <= g.current) ++g.current;
  return index;
}

int PickRowCount(const PickList* list) {
  return list && list->impl ? static_cast<int>(list->impl->g.items.size()) : 0;
}

void* PickRowGet(const PickList* list, int index) {
  if (!list || !list->impl || index < 0 || index >= PickRowCount(list)) return nullptr;
  return list->impl->g.items[static_cast<std::size_t>(index)];
}

int PickListCurrent(const PickList* list) {
  if (!list || !list->impl) return -1;
  const rv::GridState& g = list->impl->g;
  FormImpl* owner = list->impl->owner ? list->impl->owner->impl : nullptr;
  if (!owner || !owner->inGrid) return -1;
  return g.current < static_cast<int>(g.items.size()) ? g.current : -1;
}

void PickListClear(PickList* list) {
  if (!list || !list->impl) return;
  rv::GridState& g = list->impl->g;
  g.items.clear();
  g.current = 0;
  g.scroll = 0;
  g.reenter = true;
}

PickList* PickListOf(Form* line) {
  FormImpl* f = Impl(line);
  return f ? f->lineOf : nullptr;
}

Form* PickListForm(PickList* list) { return list && list->impl ? list->impl->owner : nullptr; }

void PickListFocus(PickList* list, int index) {
  if (!list || !list->impl || !list->impl->owner || !list->impl->owner->impl) return;
  rv::GridState& g = list->impl->g;
  int n = static_cast<int>(g.items.size());
  g.current = index < 0 || index > n ? (list->appendRow ? n : std::max(0, n - 1)) : index;
  g.reenter = true;
  list->impl->owner->impl->wantGrid = true;
}

// --- The input loop ------------------------------------------------------------------

namespace rv {
namespace {

bool GridUsable(FormImpl& f) {
  if (!f.grid || !f.grid->impl || !f.grid->line.impl) return false;
  GridState& g = f.grid->impl->g;
  return !g.items.empty() || f.grid->appendRow;
}

int RowCountWithAppend(PickList* list) {
  return static_cast<int>(list->impl->g.items.size()) + (list->appendRow ? 1 : 0);
}

void ClearLine(FormImpl& line) {
  for (FieldState& s : line.fields) {
    s.value = s.mask.kind == Mask::kPicture ? EmptyPicture(s.mask) : "";
    s.choice = 1;
    s.openEnd = false;
  }
}

// Fills the line fields for row `index` (the append row when index == count).
void DisplayRow(PickList* list, int index) {
  FormImpl& line = *list->line.impl;
  GridState& g = list->impl->g;
  if (index >= static_cast<int>(g.items.size())) {
    ClearLine(line);
    if (list->display) list->display(list, nullptr, -1);
  } else if (list->display) {
    list->display(list, g.items[static_cast<std::size_t>(index)], index);
  }
}

struct LineSave {
  std::vector<std::string> values;
  std::vector<int> choices;
  std::vector<bool> open;
};

LineSave SaveLine(FormImpl& line) {
  LineSave s;
  for (FieldState& f : line.fields) {
    s.values.push_back(f.value);
    s.choices.push_back(f.choice);
    s.open.push_back(f.openEnd);
  }
  return s;
}

void RestoreLine(FormImpl& line, const LineSave& s) {
  for (std::size_t i = 0; i < line.fields.size() && i < s.values.size(); ++i) {
    line.fields[i].value = s.values[i];
    line.fields[i].choice = s.choices[i];
    line.fields[i].openEnd = s.open[i];
  }
}

void KeepVisible(GridState& g) {
  if (g.current < g.scroll) g.scroll = g.current;
  if (g.current >= g.scroll + g.rows) g.scroll = g.current - g.rows + 1;
  if (g.scroll < 0) g.scroll = 0;
}

// Draws every visible row; the current row from the line fields as edited.
void DrawGrid(FormImpl& main) {
  PickList* list = main.grid;
  if (!list || !list->impl || !list->line.impl) return;
  WindowImpl* w = WinOf(main);
  if (!w) return;
  FormImpl& line = *list->line.impl;
  GridState& g = list->impl->g;
  KeepVisible(g);
  LineSave current = SaveLine(line);
  int total = RowCountWithAppend(list);
  for (int slot = 0; slot < g.rows; ++slot) {
    int idx = g.scroll + slot;
    int row = g.top + slot;
    w->grid.Fill(row, g.left, g.width, ' ', CellAttr::kNormal);
    if (idx >= total) continue;
    bool isCurrent = main.inGrid && idx == g.current;
    if (isCurrent)
      RestoreLine(line, current);
    else
      DisplayRow(list, idx);
    line.lineRow = row;
    for (std::size_t i = 0; i < line.fields.size(); ++i) {
      FieldState& s = line.fields[i];
      if (s.access == 2) continue;
      bool focus = isCurrent && static_cast<int>(i) == line.current;
      if (!isCurrent) {
        // Other rows are shown, not edited.
        std::string text = ValueText(s);
        w->grid.Put(row, s.col, Padded(s, text, false), CellAttr::kFieldShown, w->grid.cols - 2);
      } else {
        DrawField(line, s, focus);
      }
    }
  }
  RestoreLine(line, current);
  line.lineRow = g.top + (g.current - g.scroll);
}

std::string TitleOf(FormImpl& f) {
  WindowImpl* w = WinOf(f);
  if (w && !Trimmed(w->title).empty()) return Trimmed(w->title);
  if (!f.title.empty()) return f.title;
  if (f.form && f.form->reportId[0]) return f.form->reportId;
  return "form";
}

void PlaceCursor(FormImpl& f) {
  WindowImpl* w = WinOf(f);
  FormImpl& a = f.inGrid && f.grid ? *f.grid->line.impl : f;
  if (!w || a.current < 0 || a.current >= static_cast<int>(a.fields.size())) {
    SetCursor(-1, -1);
    return;
  }
  FieldState& s = a.fields[a.current];
  int row = RowOf(a, s);
  int offset = s.mask.kind == Mask::kChoice ? 0 : std::min(a.cursor, s.mask.width - 1);
  if (s.mask.kind != Mask::kChoice) offset -= ScrollStart(a.cursor, w->grid.cols - 2 - s.col + 1);
  if (const int pad = UntouchedNumberPad(a, s); pad > 0) offset = std::min(pad, s.mask.width - 1);
  SetCursor(w->top + row, w->left + s.col + std::max(offset, 0));
}

// Enters grid row `index` (the append row when index == count).
void EnterRow(FormImpl& main, int index, KeyCode key) {
  PickList* list = main.grid;
  GridState& g = list->impl->g;
  FormImpl& line = *list->line.impl;
  int total = RowCountWithAppend(list);
  g.current = std::clamp(index, 0, std::max(total - 1, 0));
  KeepVisible(g);
  line.lineRow = g.top + (g.current - g.scroll);
  DisplayRow(list, g.current);
  line.lastKey = key;
  main.lastKey = key;
  if (list->enter) {
    void* row = g.current < static_cast<int>(g.items.size()) ? g.items[static_cast<std::size_t>(g.current)] : nullptr;
    Apply(main, Decode(list->enter(list, row, row ? g.current : -1)));
  }
  g.snapshot = {LineValues(line)};
  int first = FirstEnterable(line);
  line.current = -1;
  if (first >= 0) EnterField(line, first);
}

// Leaves the current row.  False when the cursor is to stay.
bool LeaveRow(FormImpl& main, KeyCode key) {
  PickList* list = main.grid;
  GridState& g = list->impl->g;
  FormImpl& line = *list->line.impl;
  Commit(line);
  line.lastKey = key;
  main.lastKey = key;
  bool changed = g.snapshot.empty() || g.snapshot[0] != LineValues(line);
  if (!changed || !list->leave) return true;
  void* row = g.current < static_cast<int>(g.items.size()) ? g.items[static_cast<std::size_t>(g.current)] : nullptr;
  Outcome o = Decode(list->leave(list, row, row ? g.current : -1));
  Apply(main, o);
  if (o.act == Act::kStay) return false;
  return true;
}

void EnterGrid(FormImpl& main, int index, KeyCode key) {
  main.inGrid = true;
  main.grid->impl->g.reenter = false;
  main.current = -1;
  DrawAll(main);
  EnterRow(main, index, key);
}

void LeaveGridToForm(FormImpl& main, KeyCode key) {
  main.inGrid = false;
  DrawGrid(main);
  int last = LastEnterable(main);
  if (last >= 0) EnterField(main, last);
  main.lastKey = key;
}

// Moves the focus of the main form after a key that leaves the field.
void MoveFrom(FormImpl& f, KeyCode key) {
  int n = static_cast<int>(f.fields.size());
  if (n == 0) return;
  int target = -1;
  bool forward = key == kKeyEnter || key == kKeyTab || key == kKeyDown || key == kKeyPgDn || key == kKeyCtrlEnd;
  if (key == kKeyPgUp || key == kKeyCtrlHome) target = FirstEnterable(f);
  else if (key == kKeyPgDn || key == kKeyCtrlEnd) target = LastEnterable(f);
  else target = NextEnterable(f, f.current, forward ? 1 : -1);
  // Past the last field the cursor goes into the grid, when there is one.
  if (forward && GridUsable(f) && (target <= f.current || key == kKeyCtrlEnd || key == kKeyPgDn) &&
      (f.current == LastEnterable(f) || target < 0)) {
    EnterGrid(f, f.grid->impl->g.current, key);
    return;
  }
  if (target >= 0) EnterField(f, target);
}

// Runs a key handler.  True when the key was handled.
bool RunHandler(FormImpl& f, KeyCode key) {
  for (KeyBinding& k : f.keys) {
    if (k.key != key) continue;
    if (!k.enabled || !k.handler) return true;  // a disabled or removed key does nothing
    FormImpl& active = f.inGrid && f.grid ? *f.grid->line.impl : f;
    Commit(active);
    if (active.current >= 0 && (Changed(active) || key == kKeyF10)) {
      if (!LeaveField(active, key)) return true;
      if (f.done) return true;
      active.entryValue = active.current >= 0 ? ValueText(active.fields[active.current]) : "";
    }
    if (f.inGrid && !LeaveRow(f, key)) return true;
    if (f.done) return true;
    f.lastKey = key;
    f.pendingFocus = 0;
    Outcome o = Decode(k.handler(f.form, key));
    Apply(f, o);
    if (o.redraw) DrawAll(f);
    if (f.pendingFocus) {
      int target = IndexOf(f, f.pendingFocus);
      f.pendingFocus = 0;
      if (target >= 0) {
        if (f.inGrid) f.inGrid = false;
        EnterField(f, target);
      }
    } else if (f.inGrid && f.grid && !f.done) {
      // The handler may have set line fields (a pick): keep them, unless it
      // cleared the rows or moved the cursor.
      GridState& g = f.grid->impl->g;
      FormImpl& line = *f.grid->line.impl;
      int total = RowCountWithAppend(f.grid);
      if (g.reenter || g.current >= total) {
        g.reenter = false;
        EnterRow(f, std::min(g.current, std::max(total - 1, 0)), key);
      } else if (line.current >= 0) {
        LoadEdit(line);
      }
    } else if (f.current >= 0) {
      LoadEdit(f);
      f.entryValue = ValueText(f.fields[f.current]);
    }
    return true;
  }
  return false;
}

void GridKey(FormImpl& main, KeyCode key) {
  PickList* list = main.grid;
  GridState& g = list->impl->g;
  FormImpl& line = *list->line.impl;
  int total = RowCountWithAppend(list);
  // Leaves the row, then moves to `to` (-1: back to the form's fields).  Rows
  // inserted while leaving shift the target with the cursor's row.
  auto moveRow = [&](int to) {
    if (!LeaveField(line, key) || main.done) return;
    int before = g.current;
    if (!LeaveRow(main, key)) {
      LoadEdit(line);
      return;
    }
    if (main.done) return;
    if (to >= 0) to += g.current - before;
    total = RowCountWithAppend(list);
    if (to < 0) {
      if (FirstEnterable(main) >= 0)
        LeaveGridToForm(main, key);
      else
        EnterRow(main, 0, key);
      return;
    }
    EnterRow(main, std::min(to, total - 1), key);
  };
  switch (key) {
    case kKeyUp: moveRow(g.current - 1); return;
    case kKeyDown: moveRow(g.current + 1 < total ? g.current + 1 : g.current); return;
    case kKeyPgUp: moveRow(g.current == 0 ? -1 : std::max(0, g.current - g.rows)); return;
    case kKeyPgDn: moveRow(std::min(total - 1, g.current + g.rows)); return;
    case kKeyCtrlHome: moveRow(0); return;
    case kKeyCtrlEnd: moveRow(total - 1); return;
    case kKeyEnter:
    case kKeyTab:
    case kKeyShiftTab: {
      int last = LastEnterable(line), first = FirstEnterable(line);
      bool forward = key != kKeyShiftTab;
      if (line.current < 0 || (forward && line.current == last)) {
        moveRow(g.current + 1 < total ? g.current + 1 : g.current);
        return;
      }
      if (!forward && line.current == first) {
        moveRow(g.current - 1);
        return;
      }
      if (!LeaveField(line, key) || main.done) return;
      int target = NextEnterable(line, line.current, forward ? 1 : -1);
      if (target >= 0) EnterField(line, target);
      return;
    }
    default: break;
  }
  if (line.current >= 0) EditKey(line, key);
}

}  // namespace
}  // namespace rv

int FormRefresh(Form* form) {
  FormImpl* f = Impl(form);
  if (!f) return -1;
  FormRedraw(form);
  if (f->grid) rv::DrawGrid(*f);
  return 0;
}

int FormRun(Form* form, int) {
  FormImpl* fp = Impl(form);
  if (!fp) return 27;
  FormImpl& f = *fp;
  rv::Ui& ui = rv::State();
  const std::string savedLegend = ui.bottomLegend;
  f.cancelled = f.done = f.accepted = false;  // wantGrid may come from PickListFocus
  f.inGrid = false;
  f.current = -1;
  f.running = true;
  ++ui.formsRunning;
  LayOut(f);
  if (form->startHook) {
    rv::Outcome o = rv::Decode(form->startHook(form, 1));
    rv::Apply(f, o);
  }
  rv::RunEvent(f, kFormEventStart, 0);
  LayOut(f);
  if (f.grid) rv::DrawGrid(f);
  const std::string title = rv::TitleOf(f);
  if (!f.done) {
    int start = f.pendingFocus ? rv::IndexOf(f, f.pendingFocus) : -1;
    f.pendingFocus = 0;
    if (start < 0 || !rv::Enterable(f.fields[start])) start = rv::FirstEnterable(f);
    if (f.wantGrid || (start < 0 && rv::GridUsable(f))) {
      f.wantGrid = false;
      rv::EnterGrid(f, f.grid->impl->g.current, 0);
    } else if (start >= 0) {
      rv::EnterField(f, start);
    }
  }
  rv::DrawAll(f);
  if (f.grid) rv::DrawGrid(f);
  TranscriptScreen(("form start: " + oem::ToUtf8(title)).c_str());
  while (!f.done) {
    if (f.wantGrid && rv::GridUsable(f)) {
      f.wantGrid = false;
      rv::GridState& g = f.grid->impl->g;
      if (!f.inGrid) {
        g.reenter = false;
        rv::EnterGrid(f, g.current, f.lastKey);
      } else if (g.reenter) {
        g.reenter = false;
        rv::EnterRow(f, g.current, f.lastKey);
      }
    }
    f.wantGrid = false;
    // The current field may have been put out of use by a callback.
    if (!f.inGrid && (f.current < 0 || !rv::Enterable(f.fields[f.current]))) {
      int next = f.current >= 0 ? rv::NextEnterable(f, f.current, 1) : rv::FirstEnterable(f);
      if (next >= 0) rv::EnterField(f, next);
      if (f.done) break;
    }
    rv::DrawAll(f);
    if (f.grid) rv::DrawGrid(f);
    rv::ShowLegend(f);
    rv::PlaceCursor(f);
    KeyCode key = KeyRead();
    f.lastKey = key;
    if (key == kKeyClose) {
      f.done = f.cancelled = true;
      break;
    }
    if (key == 0) continue;  // redisplay
    if (rv::RunHandler(f, key)) continue;
    if (key == kKeyEsc) {
      if (f.inGrid && f.grid && f.grid->escape) {
        if (f.grid->escape(f.grid)) f.done = f.cancelled = true;
      } else {
        f.done = f.cancelled = true;
      }
      continue;
    }
    if (key == kKeyF10) {
      FormImpl& active = f.inGrid ? *f.grid->line.impl : f;
      if (!rv::LeaveField(active, key) || f.done) continue;
      if (f.inGrid && !rv::LeaveRow(f, key)) continue;
      f.done = f.accepted = true;
      continue;
    }
    if (f.inGrid) {
      rv::GridKey(f, key);
      continue;
    }
    if (key == kKeyMouse) {
      int r = 0, c = 0;
      KeyLastClick(&r, &c);
      WindowImpl* w = rv::WinOf(f);
      if (!w) continue;
      for (std::size_t i = 0; i < f.fields.size(); ++i) {
        FieldState& s = f.fields[i];
        if (!rv::Enterable(s) || r != w->top + s.row || c < w->left + s.col || c >= w->left + s.col + s.mask.width)
          continue;
        if (static_cast<int>(i) != f.current && rv::LeaveField(f, key) && !f.done) rv::EnterField(f, static_cast<int>(i));
        break;
      }
      continue;
    }
    if (rv::IsMoveKey(key)) {
      if (f.current < 0) {
        if (rv::GridUsable(f)) rv::EnterGrid(f, 0, key);
        continue;
      }
      int before = f.current;
      if (!rv::LeaveField(f, key) || f.done) continue;
      if (f.pendingFocus) {
        int target = rv::IndexOf(f, f.pendingFocus);
        f.pendingFocus = 0;
        if (target >= 0) rv::EnterField(f, target);
        continue;
      }
      if (f.wantGrid) continue;
      f.current = before;
      rv::MoveFrom(f, key);
      continue;
    }
    bool editing = f.current >= 0 && ((key >= 32 && key < 256) || key == kKeyBackspace || key == kKeyDel ||
                                      key == kKeyLeft || key == kKeyRight || key == kKeyHome || key == kKeyEnd ||
                                      key == kKeyIns);
    if (editing) {
      rv::EditKey(f, key);
      continue;
    }
    if (form->defaultHandler) {
      rv::Outcome o = rv::Decode(form->defaultHandler(form, key));
      rv::Apply(f, o);
    }
  }
  if (f.current >= 0 && !f.inGrid) rv::Commit(f);
  f.running = false;
  int focus = f.current;
  f.current = -1;
  rv::DrawAll(f);
  f.current = focus;
  if (f.grid) rv::DrawGrid(f);
  TranscriptScreen(("form end: " + oem::ToUtf8(title) + (f.cancelled ? " (cancelled)" : " (accepted)")).c_str());
  rv::RunEvent(f, kFormEventEnd, 0);
  ui.bottomLegend = savedLegend;
  --ui.formsRunning;
  rv::SetCursor(-1, -1);
  return f.cancelled ? 27 : 0;
}
