// The page model's layout of lines, and the plain-text renderer.
#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <string_view>

#include "oemtext.h"
#include "ravadodo/text.h"
#include "report_model.h"

namespace qxreport {

namespace {

int TrimmedSize(const std::string& text) {
  std::size_t e = text.find_last_not_of(' ');
  return e == std::string::npos ? 0 : static_cast<int>(e + 1);
}

int StartOf(const Cell& cell, int width) {
  const int len = TrimmedSize(cell.text);
  switch (cell.place) {
    case Place::kCentre: return std::max(0, (width - len) / 2);
    case Place::kLeftHalf: return std::max(0, (width / 2 - len) / 2);
    case Place::kRightHalf: return width / 2 + std::max(0, (width - width / 2 - len) / 2);
    case Place::kRight: return std::max(0, width - len);
    case Place::kAt: break;
  }
  return std::max(0, cell.x);
}

// A run of one rule character ('-', '=') under columns.
bool IsRule(const std::string& text) {
  if (text.empty() || (text[0] != '-' && text[0] != '=')) return false;
  return text.find_first_not_of(text[0]) == std::string::npos;
}

}  // namespace

void Widening::Add(int x, int field, bool flushLeft, int length) {
  if (length <= field) return;
  int& at = extra[flushLeft ? x + field : x];
  at = std::max(at, length - field);
}

int Widening::Before(int x, bool atX) const {
  int sum = 0;
  for (const auto& [column, added] : extra) {
    if (column > x || (column == x && !atX)) break;
    sum += added;
  }
  return sum;
}

int Widening::Total() const { return Before(std::numeric_limits<int>::max(), true); }

Line WidenedLine(const Line& line, const Widening& widening) {
  if (widening.extra.empty()) return line;
  Line out = line;
  for (Cell& cell : out.cells) {
    if (cell.place != Place::kAt) continue;
    if (cell.field > 0) {
      // The number's field, widened, holds it whole at the field's side.
      const int length = static_cast<int>(cell.text.size());
      cell.x = cell.flushLeft ? cell.x + widening.Before(cell.x, true)
                              : cell.x + widening.Before(cell.x, true) + cell.field - length;
      cell.x = std::max(cell.x, 0);
      cell.field = 0;
    } else if (IsRule(cell.text)) {
      // A rule under the columns stretches over what was put in inside it.
      const int length = static_cast<int>(cell.text.size());
      const int start = cell.x + widening.Before(cell.x, false);
      const int end = cell.x + length + widening.Before(cell.x + length - 1, true);
      cell.text.assign(static_cast<std::size_t>(std::max(end - start, length)), cell.text[0]);
      cell.x = start;
    } else {
      cell.x += widening.Before(cell.x, true);
    }
  }
  return out;
}

RenderedLine RenderLine(const Line& line, int width) {
  RenderedLine out;
  for (std::size_t i = 0; i < line.cells.size(); ++i) {
    const Cell& cell = line.cells[i];
    // A number too wide for its column never shows as a shorter one.
    const std::string stars = cell.field > 0 ? std::string(static_cast<std::size_t>(cell.field), '*') : std::string();
    const std::string& text = cell.field > 0 ? stars : cell.text;
    const int start = StartOf(cell, width);
    const std::size_t end = static_cast<std::size_t>(start) + text.size();
    if (out.text.size() < end) {
      out.text.resize(end, ' ');
      out.owner.resize(end, -1);
    }
    for (std::size_t j = 0; j < text.size(); ++j) {
      const std::size_t pos = static_cast<std::size_t>(start) + j;
      const char ch = text[j];
      if (ch == ' ' || ch == 0) {
        // Blanks never erase what lies under them; on an empty place they
        // belong to their cell (a link keeps the blanks between its words).
        if (out.owner[pos] < 0) out.owner[pos] = static_cast<int>(i);
        continue;
      }
      out.text[pos] = ch;
      out.owner[pos] = static_cast<int>(i);
    }
  }
  const int keep = TrimmedSize(out.text);
  out.text.resize(static_cast<std::size_t>(keep));
  out.owner.resize(static_cast<std::size_t>(keep));
  return out;
}

namespace {

// RenderLine's text alone, into `text` (the plain-text renderers need no
// owners, and use one buffer for all the lines of a page).
void RenderLineText(const Line& line, int width, std::string& text) {
  text.clear();
  for (const Cell& cell : line.cells) {
    const std::size_t start = static_cast<std::size_t>(StartOf(cell, width));
    if (cell.field > 0) {
      // A number too wide for its column never shows as a shorter one.
      const std::size_t end = start + static_cast<std::size_t>(cell.field);
      if (text.size() < end) text.resize(end, ' ');
      std::fill(text.begin() + static_cast<std::ptrdiff_t>(start), text.begin() + static_cast<std::ptrdiff_t>(end), '*');
      continue;
    }
    const std::size_t end = start + cell.text.size();
    if (text.size() < end) text.resize(end, ' ');
    for (std::size_t j = 0; j < cell.text.size(); ++j) {
      const char ch = cell.text[j];
      // Blanks never erase what lies under them.
      if (ch != ' ' && ch != 0) text[start + j] = ch;
    }
  }
  text.resize(static_cast<std::size_t>(TrimmedSize(text)));
}

// Appends code-page-437 text to `out` as ToUtf8 converts it.
void AppendUtf8(std::string& out, std::string_view cp437) {
  // What each byte becomes: a NUL a blank, printable ASCII itself, any
  // other byte its character's UTF-8 (a table made once: reports convert
  // every character they write).
  static const auto table = [] {
    std::array<std::string, 256> t;
    for (int c = 0; c < 256; ++c) {
      const char byte = static_cast<char>(c);
      t[static_cast<std::size_t>(c)] = c == 0 ? std::string(" ") : oem::ToUtf8(std::string_view(&byte, 1), true);
    }
    return t;
  }();
  std::size_t from = 0;
  for (std::size_t i = 0; i < cp437.size(); ++i) {
    const auto c = static_cast<unsigned char>(cp437[i]);
    if (c < 0x80 && c >= 0x20 && c != 0x7F) continue;
    out.append(cp437, from, i - from);
    out += table[c];
    from = i + 1;
  }
  out.append(cp437, from, cp437.size() - from);
}

}  // namespace

std::string SelectionLine(const Document& doc) {
  if (!doc.savedRun) return "";
  if (!doc.savedRun->title.empty()) return "Selection: " + doc.savedRun->title;
  // input='usersel' says only that it is a saved run; the rest is the selection.
  std::string out = "Selection:";
  const std::string& s = doc.savedRun->params;
  std::size_t i = 0;
  bool any = false;
  while (i < s.size()) {
    while (i < s.size() && s[i] == ' ') ++i;
    const std::size_t eq = s.find('=', i);
    if (eq == std::string::npos) break;
    std::string key = s.substr(i, eq - i);
    key.erase(key.find_last_not_of(' ') + 1);
    std::size_t q = s.find('\'', eq);
    if (q == std::string::npos) break;
    std::string value;
    std::size_t j = q + 1;
    for (; j < s.size(); ++j) {
      if (s[j] == '\'') {
        if (j + 1 < s.size() && s[j + 1] == '\'') {
          value += '\'';
          ++j;
          continue;
        }
        break;
      }
      value += s[j];
    }
    i = j + 1;
    std::string shown = value;
    shown.erase(shown.find_last_not_of(' ') + 1);
    if (key == "input" || key == "output" || shown.empty()) continue;
    out += (any ? "  " : " ") + key + " '" + shown + "'";
    any = true;
  }
  return any ? out : "";
}

PageNumbers NumberPages(const Document& doc) {
  PageNumbers n;
  n.number.assign(doc.pages.Size(), 0);
  int last = 0;
  for (std::size_t i = 0; i < doc.pages.Size(); ++i) {
    if (!doc.pages.Holds(i)) continue;
    ++n.total;
    const int number = doc.pages.Number(i);
    last = number > 0 ? number : last + 1;
    n.number[i] = last;
  }
  return n;
}

std::string FooterLine(const Document& doc, int number, int total, int width) {
  char date[16] = {};
  DateToText(date, doc.runDate);
  std::string right = "Page " + std::to_string(number) + " of " + std::to_string(total);
  std::string line = date;
  if (doc.settings.alignmentSample) {
    const std::string mark = "ALIGNMENT TEST";
    const int at = std::max(static_cast<int>(line.size()) + 2, (width - static_cast<int>(mark.size())) / 2);
    line.resize(static_cast<std::size_t>(at), ' ');
    line += mark;
  }
  const int at = std::max(static_cast<int>(line.size()) + 2, width - static_cast<int>(right.size()));
  line.resize(static_cast<std::size_t>(at), ' ');
  return line + right;
}

std::string ToUtf8(const std::string& cp437) {
  std::string out;
  out.reserve(cp437.size() + 8);
  AppendUtf8(out, cp437);
  return out;
}

std::string PageText(const Document& doc, const Page& page, bool first, int number, int total, int width) {
  std::string out;
  if (first) {
    const std::string selection = SelectionLine(doc);
    if (!selection.empty()) out += ToUtf8(selection) + "\n\n";
  }
  std::size_t used = page.lines.size();
  while (used > 0 && page.lines[used - 1].cells.empty()) --used;
  std::string line;
  for (std::size_t l = 0; l < used; ++l) {
    RenderLineText(page.lines[l], width, line);
    AppendUtf8(out, line);
    out += '\n';
  }
  if (doc.settings.reportPage) out += "\n" + ToUtf8(FooterLine(doc, number, total, width)) + "\n";
  return out;
}

// PageText before its conversion to UTF-8: the same pieces in code page 437.
std::string PageTextCp437(const Document& doc, const Page& page, bool first, int number, int total, int width) {
  std::string out;
  if (first) {
    const std::string selection = SelectionLine(doc);
    if (!selection.empty()) out += selection + "\n\n";
  }
  std::size_t used = page.lines.size();
  while (used > 0 && page.lines[used - 1].cells.empty()) --used;
  std::string line;
  for (std::size_t l = 0; l < used; ++l) {
    RenderLineText(page.lines[l], width, line);
    out += line;
    out += '\n';
  }
  if (doc.settings.reportPage) out += "\n" + FooterLine(doc, number, total, width) + "\n";
  return out;
}

std::string PagesCp437RoundTrip(const std::string& cp437) {
  // Each byte as ToUtf8 writes it and oem::FromUtf8 reads it back: every
  // character's UTF-8 is whole, so the bytes go one by one.
  static const auto table = [] {
    std::array<std::string, 256> t;
    for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = oem::FromUtf8(ToUtf8(std::string(1, static_cast<char>(c))));
    return t;
  }();
  std::string out;
  out.reserve(cp437.size());
  // Printable ASCII comes back as itself: it goes in runs.
  std::size_t from = 0;
  for (std::size_t i = 0; i < cp437.size(); ++i) {
    const auto c = static_cast<unsigned char>(cp437[i]);
    if (c >= 0x20 && c < 0x7F) continue;
    out.append(cp437, from, i - from);
    out += table[c];
    from = i + 1;
  }
  out.append(cp437, from, cp437.size() - from);
  return out;
}

void RenderPagesCp437(const Document& doc, const std::function<void(int, const std::string&)>& page) {
  const int width = doc.Width();
  const PageNumbers numbers = NumberPages(doc);
  int shown = 0;
  ForEachPage(doc, [&](std::size_t i, const Page& p) {
    ++shown;
    page(shown, PageTextCp437(doc, p, shown == 1, numbers.number[i], numbers.total, width));
  });
}

void RenderPages(const Document& doc, const std::function<void(int, const std::string&)>& page) {
  const int width = doc.Width();
  const PageNumbers numbers = NumberPages(doc);
  int shown = 0;
  ForEachPage(doc, [&](std::size_t i, const Page& p) {
    ++shown;
    page(shown, PageText(doc, p, shown == 1, numbers.number[i], numbers.total, width));
  });
}

void RenderText(const Document& doc, const char* pageSeparator, int firstPage, int lastPage, const Sink& out) {
  const std::string separator = pageSeparator ? pageSeparator : "\f\n";
  const int width = doc.Width();
  const PageNumbers numbers = NumberPages(doc);
  int p = 0, shown = 0;
  ForEachPage(doc, [&](std::size_t i, const Page& page) {
    ++p;
    if ((firstPage > 0 && p < firstPage) || (lastPage > 0 && p > lastPage)) return;
    if (shown++ > 0) out(separator);
    out(PageText(doc, page, p == 1, numbers.number[i], numbers.total, width));
  });
}

std::string RenderText(const Document& doc, const char* pageSeparator, int firstPage, int lastPage) {
  std::string out;
  RenderText(doc, pageSeparator, firstPage, lastPage, [&](std::string_view s) { out += s; });
  return out;
}

}  // namespace qxreport
