// Column values formatted by their kinds and formats.
#include "report_format.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "ravadodo/text.h"

namespace qxreport {

namespace {

// A text value is read up to its NUL; a precision (or this bound, for a
// format without one) keeps a field that is not NUL-terminated from running
// into the record behind it.
constexpr std::size_t kMaxTextRead = 4096;

bool IsConversion(char c) { return std::strchr("scdiuxXofFeEgG", c) != nullptr && c != 0; }

std::string PadTo(std::string text, int width, bool left) {
  if (width > 0 && static_cast<int>(text.size()) < width) {
    const std::size_t pad = static_cast<std::size_t>(width) - text.size();
    if (left) text.append(pad, ' ');
    else text.insert(0, pad, ' ');
  }
  return text;
}

std::string PadTo(std::string text, const FormatSpec& spec) { return PadTo(std::move(text), spec.width, spec.left); }

// A string through its format: the precision cuts, the width pads.
std::string FormatString(std::string text, const FormatSpec& spec) {
  if (spec.precision >= 0 && static_cast<int>(text.size()) > spec.precision)
    text.resize(static_cast<std::size_t>(spec.precision));
  return PadTo(std::move(text), spec);
}

// The printf format of one number: '%', the format's flags, `width` and
// `precision` (none when negative), `length` and `conv`, written into `out`
// (kPrintfFormatSize bytes hold the longest).  Numbers are formatted on
// every row, so the format is made in place rather than of strings.
constexpr std::size_t kPrintfFormatSize = 24;

char* PutDecimal(char* out, int n) {
  char digits[4];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n > 0 && count < 4);
  while (count > 0) *out++ = digits[--count];
  return out;
}

void PrintfFormat(char* out, const FormatSpec& spec, int width, int precision, const char* length, char conv) {
  *out++ = '%';
  if (spec.left) *out++ = '-';
  if (spec.plus) *out++ = '+';
  if (spec.space) *out++ = ' ';
  if (spec.alternate) *out++ = '#';
  if (spec.zero && !spec.left) *out++ = '0';
  if (width > 0) out = PutDecimal(out, std::min(width, 255));
  if (precision >= 0) {
    *out++ = '.';
    out = PutDecimal(out, std::min(precision, 30));
  }
  while (*length) *out++ = *length++;
  *out++ = conv;
  *out = '\0';
}

std::string FormatInteger(long long value, const FormatSpec& spec) {
  char conv = spec.conversion;
  if (!std::strchr("diuxXo", conv)) conv = 'd';
  char fmt[kPrintfFormatSize];
  PrintfFormat(fmt, spec, spec.width, spec.precision, "ll", conv);
  char buf[320];
  std::snprintf(buf, sizeof buf, fmt, value);
  return buf;
}

std::string PrintReal(double value, const FormatSpec& spec, int width, int precision, char conv) {
  // A fixed-point number with no flag but '-' (every amount and quantity
  // column): to_chars writes the digits printf would, correctly rounded the
  // same way, without printf's parsing of the format and its locale.
  if ((conv == 'f' || conv == 'F') && std::isfinite(value) && !spec.plus && !spec.space && !spec.alternate &&
      !(spec.zero && !spec.left)) {
    char digits[400];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed,
                                            precision < 0 ? 6 : std::min(precision, 30));
    if (error == std::errc())
      return PadTo(std::string(digits, end), std::min(width, 255), spec.left);
  }
  char fmt[kPrintfFormatSize];
  PrintfFormat(fmt, spec, width, precision, "", conv);
  char buf[400];
  std::snprintf(buf, sizeof buf, fmt, value);
  return buf;
}

// A number's text as it prints: `text` whole, and `overflow` when it is
// wider than the field its format gives it (the number is never cut or
// rounded to fit: the renderers show it whole or as a run of '*').
struct Number {
  std::string text;
  bool overflow = false;
};

Number Whole(std::string text, int width) {
  const bool overflow = width > 0 && static_cast<int>(text.size()) > width;
  return {std::move(text), overflow};
}

// A real number by its parsed format, in a field of `width` (none when
// not positive) with `precision` digits (the format's own unless a text
// format asks for cents).
Number FormatReal(double value, const FormatSpec& spec, int width, int precision) {
  if (!std::isfinite(value)) return {PadTo("*", width, spec.left)};
  char conv = spec.conversion;
  if (!std::strchr("fFeEgG", conv)) conv = 'f';
  if (spec.conversion == 's' || spec.conversion == 'c' || spec.conversion == 0) precision = 2;
  const bool fixed = conv == 'f' || conv == 'F';
  // A number too large for any report column (far beyond any amount the
  // system keeps) would print hundreds of digits: it shows as '*'.
  if (fixed && width > 0 && std::fabs(value) >= 1e30) return {std::string(static_cast<std::size_t>(width), '*')};
  if (fixed && width <= 0 && std::fabs(value) >= 1e15) conv = 'e';
  std::string text = PrintReal(value, spec, width, precision, conv);
  if (!fixed && width > 0 && static_cast<int>(text.size()) > width)
    return {std::string(static_cast<std::size_t>(width), '*')};
  return Whole(std::move(text), width);
}

Number FormatReal(double value, const FormatSpec& spec) { return FormatReal(value, spec, spec.width, spec.precision); }

// Removes the blanks at both ends of `text`.
void TrimBlanks(std::string& text) {
  const std::size_t e = text.find_last_not_of(' ');
  if (e == std::string::npos) {
    text.clear();
    return;
  }
  text.erase(e + 1);
  text.erase(0, text.find_first_not_of(' '));
}

std::string ReadText(const void* value, const FormatSpec& spec) {
  const char* p = static_cast<const char*>(value);
  std::size_t bound = spec.precision >= 0 ? static_cast<std::size_t>(spec.precision) : kMaxTextRead;
  return std::string(p, strnlen(p, bound));
}

}  // namespace

FormatSpec ParseFormat(const char* format) {
  FormatSpec spec;
  if (!format) return spec;
  const std::size_t n = strnlen(format, sizeof(TagReportColumn::format));
  std::size_t i = 0;
  // Literal text up to the conversion ("%%" is a literal percent sign).
  while (i < n) {
    if (format[i] == '%' && i + 1 < n && format[i + 1] == '%') {
      spec.prefix += '%';
      i += 2;
      continue;
    }
    if (format[i] == '%') break;
    spec.prefix += format[i++];
  }
  if (i >= n) return spec;  // no conversion: a picture or a plain text
  ++i;
  for (; i < n; ++i) {
    const char c = format[i];
    if (c == '-') spec.left = true;
    else if (c == '0') spec.zero = true;
    else if (c == '+') spec.plus = true;
    else if (c == ' ') spec.space = true;
    else if (c == '#') spec.alternate = true;
    else break;
  }
  int width = -1;
  while (i < n && std::isdigit(static_cast<unsigned char>(format[i])))
    width = std::min((width < 0 ? 0 : width) * 10 + (format[i++] - '0'), 1000);
  spec.width = width;
  if (i < n && format[i] == '.') {
    ++i;
    int precision = 0;
    while (i < n && std::isdigit(static_cast<unsigned char>(format[i])))
      precision = std::min(precision * 10 + (format[i++] - '0'), 1000);
    spec.precision = precision;
  }
  while (i < n && std::strchr("hlLqjzt", format[i])) ++i;  // length modifiers
  if (i < n && IsConversion(format[i])) spec.conversion = format[i++];
  else spec.conversion = 's';
  // The type letter of the screen library's masks ("%11.4fF", "%-14sC").
  if (i < n && std::strchr("FCm", format[i])) ++i;
  for (; i < n; ++i) {
    if (format[i] == '%' && i + 1 < n && format[i + 1] == '%') ++i;
    spec.suffix += format[i];
  }
  return spec;
}

std::string TimeText(long seconds) {
  if (seconds < 0 || seconds >= 86400) return "";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return buf;
}

namespace {

// The parsed format of a column.  Reports write the same few formats on
// every row, so each format text is parsed once and kept in a small table
// keyed by its bytes (a format that meets another in its slot takes the
// slot over).  What it returns stays valid until the next call.
const FormatSpec& SpecOf(const TagReportColumn& column) {
  constexpr std::size_t kSize = sizeof column.format;
  struct Entry {
    char format[kSize] = {};
    std::size_t length = kSize + 1;  // no format is this long: an empty slot matches none
    FormatSpec spec;
  };
  thread_local std::array<Entry, 64> cache;
  const std::size_t length = strnlen(column.format, kSize);
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < length; ++i) hash = (hash ^ static_cast<unsigned char>(column.format[i])) * 16777619u;
  Entry& entry = cache[hash % cache.size()];
  if (entry.length != length || std::memcmp(entry.format, column.format, length) != 0) {
    entry.spec = ParseFormat(column.format);
    std::memcpy(entry.format, column.format, length);
    entry.length = length;
  }
  return entry.spec;
}

// The column's value, and whether it is a number wider than its field.
Number FormatColumn(const TagReportColumn& column) {
  if (!column.value) return {};
  const FormatSpec& spec = SpecOf(column);
  std::string body;
  bool overflow = false;
  switch (column.kind) {
    case kColumnChar: {
      char c = *static_cast<const char*>(column.value);
      if (c == 0) c = ' ';
      body = FormatString(std::string(1, c), spec);
      break;
    }
    case kColumnText:
      body = spec.conversion == 0 ? ReadText(column.value, spec) : FormatString(ReadText(column.value, spec), spec);
      break;
    case kColumnMerge: {
      std::string text = ReadText(column.value, spec);
      for (char& c : text)
        if (static_cast<unsigned char>(c) == 0xFF || static_cast<unsigned char>(c) == 0xB7) c = ' ';
      body = spec.conversion == 0 ? text : FormatString(text, spec);
      break;
    }
    case kColumnDate: {
      std::int32_t day = 0;
      std::memcpy(&day, column.value, sizeof day);
      char text[16] = {};
      if (day != 0) DateToText(text, day);
      // A picture ("nn/nn/nn") or no format shows the date text as it is.
      body = spec.conversion == 0 ? text : FormatString(text, spec);
      break;
    }
    case kColumnTime: {
      std::int32_t seconds = 0;
      std::memcpy(&seconds, column.value, sizeof seconds);
      body = spec.conversion == 0 ? TimeText(seconds) : FormatString(TimeText(seconds), spec);
      break;
    }
    case kColumnLong:
    case kColumnLongTrim: {
      std::int32_t v = 0;
      std::memcpy(&v, column.value, sizeof v);
      if (spec.conversion == 's' || spec.conversion == 'c') {
        body = FormatString(std::to_string(v), spec);
      } else if (std::strchr("fFeEgG", spec.conversion)) {
        Number n = FormatReal(v, spec);
        body = std::move(n.text);
        overflow = n.overflow;
      } else {
        body = FormatInteger(v, spec);
      }
      if (column.kind == kColumnLongTrim) TrimBlanks(body);
      break;
    }
    case kColumnFloat:
    case kColumnAmount:
    case kColumnDouble: {
      double v = 0;
      if (column.kind == kColumnFloat) {
        float f = 0;
        std::memcpy(&f, column.value, sizeof f);
        v = f;
      } else {
        std::memcpy(&v, column.value, sizeof v);
      }
      Number n;
      if (spec.conversion && std::strchr("diuxXo", spec.conversion)) {
        n = std::isfinite(v) && std::fabs(v) < 9e18 ? Whole(FormatInteger(std::llround(v), spec), spec.width)
                                                    : Number{PadTo("*", spec)};
      } else if (spec.conversion == 's' || spec.conversion == 'c') {
        // A text format prints the amount with its cents, in the format's
        // field (its precision never cuts a number).
        n = Whole(FormatReal(v, spec, -1, 2).text, spec.width);
        if (!n.overflow) n.text = PadTo(std::move(n.text), spec);
      } else {
        n = FormatReal(v, spec);
      }
      body = std::move(n.text);
      overflow = n.overflow;
      break;
    }
    default:
      return {};
  }
  // A format without a conversion is a picture ("nn/nn/nn") or nothing: the
  // value shows as it is.
  if (spec.conversion != 0) {
    body.insert(0, spec.prefix);
    body += spec.suffix;
  }
  return {std::move(body), overflow};
}

}  // namespace

std::string FormatColumnValue(const TagReportColumn& column) { return FormatColumn(column).text; }


int ColumnFieldWidth(const TagReportColumn& column, const std::string& text) {
  if (column.width > 0) return std::min(column.width, 1000);
  const FormatSpec& spec = SpecOf(column);
  if (spec.width > 0)
    return spec.width + static_cast<int>(spec.prefix.size() + spec.suffix.size());
  if (column.kind == kColumnDate && spec.conversion == 0) return 8;  // mm/dd/yy
  if (column.kind == kColumnTime && spec.conversion == 0) return 8;  // hh:mm:ss
  return static_cast<int>(text.size());
}

CellText ColumnCell(const TagReportColumn& column) {
  Number value = FormatColumn(column);
  std::string text = std::move(value.text);
  const bool aligned = column.align == kAlignLeft || column.align == kAlignRight || column.align == kAlignCentre;
  if (value.overflow) {
    // Whole, without the blanks of its field; a number left in its field
    // (a '-' format, or left-aligned) keeps its start, any other its end.
    TrimBlanks(text);
    const bool left = aligned ? column.align == kAlignLeft : SpecOf(column).left;
    return {std::move(text), ColumnFieldWidth(column, std::string()), left};
  }
  if (!aligned && column.width <= 0) return {std::move(text)};
  const int width = ColumnFieldWidth(column, text);
  if (!aligned) {
    if (static_cast<int>(text.size()) < width) text.append(static_cast<std::size_t>(width) - text.size(), ' ');
    return {std::move(text)};
  }
  TrimBlanks(text);
  const int room = width - static_cast<int>(text.size());
  if (room <= 0) return {std::move(text)};
  switch (column.align) {
    case kAlignRight:
      text.insert(0, static_cast<std::size_t>(room), ' ');
      break;
    case kAlignCentre:
      text.insert(0, static_cast<std::size_t>(room / 2), ' ');
      text.append(static_cast<std::size_t>(room - room / 2), ' ');
      break;
    default:
      text.append(static_cast<std::size_t>(room), ' ');
      break;
  }
  return {std::move(text)};
}

std::string ColumnCellText(const TagReportColumn& column) {
  CellText cell = ColumnCell(column);
  return cell.field > 0 ? std::string(static_cast<std::size_t>(cell.field), '*') : std::move(cell.text);
}

}  // namespace qxreport
