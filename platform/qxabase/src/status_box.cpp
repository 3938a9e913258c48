// The status box of long runs.
#include "qxabase/status_box.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "internal.h"
#include "qxabase/messages.h"

namespace {

enum class Shows;

struct Line {
  int row = 1;
  int column = 1;
  std::string mask;
  // Made from the mask once (MakeLine).
  int width = 0;
  std::string format;
  Shows shows{};
};

struct Box {
  bool open = false;
  Window window{};
  int top = 5, left = -1, rows = 5, width = 54;
  std::string title;
  std::string reportId;
  std::vector<Line> lines;
  long count = 0;
};

Box& TheBox() {
  static Box box;
  return box;
}

// The printf part of a mask without the trailing type letter ("%-10sC").
std::string PrintfOf(const std::string& mask) {
  std::string f = mask;
  while (!f.empty() && (f.back() == 'C' || f.back() == 'm' || f.back() == 'F')) f.pop_back();
  return f;
}

// The width a value takes on its line: the mask's width, or its picture's.
int WidthOf(const std::string& mask) {
  if (!mask.empty() && mask[0] == '%') {
    int w = 0;
    for (std::size_t i = 1; i < mask.size(); ++i) {
      const char c = mask[i];
      if (c == '-') continue;
      if (c < '0' || c > '9') break;
      w = w * 10 + (c - '0');
    }
    return w > 0 ? w : 10;
  }
  return static_cast<int>(mask.size());
}

// How a line shows its value, worked out once from its mask.
enum class Shows { kDate, kText, kPrintfText, kPrintfReal, kChar, kPrintfInt };

Line MakeLine(int row, int column, std::string mask) {
  Line l;
  l.row = row;
  l.column = column;
  l.mask = std::move(mask);
  l.width = WidthOf(l.mask);
  l.format = PrintfOf(l.mask);
  if (l.format.empty() || l.format[0] != '%') {
    // A picture: a date picture shows a day number, any other the text.
    l.shows = l.mask.find('/') != std::string::npos ? Shows::kDate : Shows::kText;
    return l;
  }
  switch (l.format.back()) {
    case 's': l.shows = Shows::kPrintfText; break;
    case 'f':
    case 'e':
    case 'g': l.shows = Shows::kPrintfReal; break;
    case 'c': l.shows = Shows::kChar; break;
    case 'd':
    case 'i':
    case 'u':
    case 'x': {
      // Numbers are 32-bit in the records; "%ld" and "%lu" print them as long.
      l.shows = Shows::kPrintfInt;
      std::string& g = l.format;
      const std::size_t at = g.find_first_of("lh");
      if (at != std::string::npos) g.erase(at, g.size() - 1 - at);
      g.insert(g.size() - 1, "l");
      break;
    }
    default: l.shows = Shows::kText; break;
  }
  return l;
}

// The value's text into `out` (256 bytes), blank to the line's width for
// none.
void Render(const Line& l, const void* value, char* out) {
  constexpr std::size_t kSize = 256;
  if (value == nullptr) {
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(l.width, 0)), kSize - 1);
    std::memset(out, ' ', n);
    out[n] = '\0';
    return;
  }
  out[0] = '\0';
  switch (l.shows) {
    case Shows::kDate: DateToText(out, *static_cast<const std::int32_t*>(value)); break;
    case Shows::kText: std::snprintf(out, kSize, "%s", static_cast<const char*>(value)); break;
    case Shows::kPrintfText: std::snprintf(out, kSize, l.format.c_str(), static_cast<const char*>(value)); break;
    case Shows::kPrintfReal: std::snprintf(out, kSize, l.format.c_str(), *static_cast<const double*>(value)); break;
    case Shows::kChar: std::snprintf(out, kSize, "%c", *static_cast<const char*>(value)); break;
    case Shows::kPrintfInt:
      std::snprintf(out, kSize, l.format.c_str(), static_cast<long>(*static_cast<const std::int32_t*>(value)));
      break;
  }
}

void WriteLine(Box& b, const Line& l, int column, const char* text) {
  if (!b.open) return;
  const std::size_t n = std::strlen(text);
  if (static_cast<int>(n) >= l.width) {
    WinWriteAt(&b.window, l.row, column, text);
    return;
  }
  std::string shown(text, n);
  shown.append(static_cast<std::size_t>(l.width) - n, ' ');
  WinWriteAt(&b.window, l.row, column, shown.c_str());
}

void ShowCount(Box& b) {
  if (!b.open) return;
  char text[48];
  std::snprintf(text, sizeof text, "Records: %ld", b.count);
  WinStatusText(&b.window, text);
}

std::string TitleOf(const Box& b) { return b.title.empty() ? b.reportId : b.title; }

}  // namespace

int StatusBoxOpen(int top, int left, int, int lines, int width, int) {
  StatusBoxClose();
  Box& b = TheBox();
  b = Box{};
  b.top = top;
  b.left = left;
  b.rows = (lines > 0 ? lines : 3) + 2;
  b.width = width > 10 ? width : 40;
  return 0;
}

void StatusBoxTitle(int textNumber) { StatusBoxTitleText(TextGet(textNumber).c_str()); }

void StatusBoxTitleText(const char* title) {
  Box& b = TheBox();
  b.title = title ? title : "";
  if (b.open) WinSetTitle(&b.window, TitleOf(b).c_str());
}

void ProgressFormSet(const char* reportId) {
  Box& b = TheBox();
  b.reportId = reportId ? reportId : "";
  if (b.open && b.title.empty()) WinSetTitle(&b.window, TitleOf(b).c_str());
}

void StatusBoxFields(const TagFormField* table, int sizeBytes) {
  Box& b = TheBox();
  b.lines.clear();
  const int limit = sizeBytes > 0 ? sizeBytes / static_cast<int>(sizeof(TagFormField)) : 64;
  for (int i = 0; table && i < limit && table[i].number != 0; ++i)
    b.lines.push_back(MakeLine(table[i].row > 0 ? table[i].row : 1, table[i].column > 0 ? table[i].column : 1,
                               std::string(table[i].mask, strnlen(table[i].mask, sizeof table[i].mask))));
}

void StatusBoxShow(int) {
  Box& b = TheBox();
  if (b.open) return;
  int rows = b.rows;
  for (const Line& l : b.lines) rows = std::max(rows, l.row + 2);
  const int left = b.left >= 0 ? b.left : std::max(0, (ScreenCols() - b.width) / 2);
  if (WinOpen(&b.window, b.top, left, rows, b.width, 1, 1, 32, TitleOf(b).c_str()) != 0) return;
  b.open = true;
  ShowCount(b);
  ScreenRefresh();
}

void StatusBoxLabel(int row, const char* text) {
  Box& b = TheBox();
  if (!b.open) StatusBoxShow(0);
  if (b.open && text) WinWriteAt(&b.window, row > 0 ? row : 1, 2, text);
}

void StatusBoxRecordList(int line, const std::vector<const void*>& values) {
  Box& b = TheBox();
  ++b.count;
  const std::size_t first = line > 0 ? static_cast<std::size_t>(line) : 0;
  char text[256];
  for (std::size_t i = 0; i < values.size() && first + i < b.lines.size(); ++i) {
    const Line& l = b.lines[first + i];
    Render(l, values[i], text);
    WriteLine(b, l, l.column, text);
  }
  ShowCount(b);
  AppIdle();
}

void StatusBoxLine(int line, int column, const char* text) {
  Box& b = TheBox();
  if (line < 0 || static_cast<std::size_t>(line) >= b.lines.size()) return;
  const Line& l = b.lines[static_cast<std::size_t>(line)];
  WriteLine(b, l, column >= 0 ? column : l.column, text ? text : "");
  AppIdle();
}

void StatusBoxMode(int mode) {
  if (mode == 1 && TheBox().open) ScreenRefresh();
}

long StatusBoxCount() { return TheBox().count; }

void StatusBoxClose() {
  Box& b = TheBox();
  if (!b.open) return;
  const std::string note = TitleOf(b) + ": " + std::to_string(b.count) + " records";
  WinClose(&b.window, 1);
  b.open = false;
  TranscriptNote("status box", note.c_str());
}
