#include "automation/spreadsheet/typed_text.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <string>

namespace qx::automation::spreadsheet {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Digits with optional grouping commas, then optional decimals: "1,234.50".
// Sets the digits without commas, whether commas were used and the number of
// decimals; false when the text is not such a number.
bool ReadDigits(std::string_view text, std::string* digits, bool* grouped, int* decimals) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (point != std::string_view::npos && fraction.empty() && whole.empty()) return false;
  for (char c : fraction) {
    if (!IsDigit(c)) return false;
  }
  *grouped = whole.find(',') != std::string_view::npos;
  digits->clear();
  std::size_t groupLength = 0;
  bool firstGroup = true;
  for (char c : whole) {
    if (c == ',') {
      if (groupLength == 0 || groupLength > 3 || (!firstGroup && groupLength != 3)) return false;
      firstGroup = false;
      groupLength = 0;
    } else if (IsDigit(c)) {
      digits->push_back(c);
      ++groupLength;
    } else {
      return false;
    }
  }
  if (*grouped && groupLength != 3) return false;
  if (whole.empty() && fraction.empty()) return false;
  if (digits->empty()) digits->push_back('0');
  if (!fraction.empty()) {
    digits->push_back('.');
    digits->append(fraction);
  }
  *decimals = static_cast<int>(fraction.size());
  return true;
}

std::optional<CellValue> ReadNumber(std::string_view text) {
  bool negative = false;
  bool parentheses = false;
  if (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
    parentheses = negative = true;
    text = text.substr(1, text.size() - 2);
  } else if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const bool dollar = !text.empty() && text.front() == '$';
  if (dollar) text.remove_prefix(1);
  const bool percent = !text.empty() && text.back() == '%';
  if (percent) text.remove_suffix(1);
  if (dollar && percent) return std::nullopt;

  std::string digits;
  bool grouped = false;
  int decimals = 0;
  if (!ReadDigits(text, &digits, &grouped, &decimals)) return std::nullopt;
  double number = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(number)) {
    return std::nullopt;
  }
  if (percent) number /= 100;
  if (negative) number = -number;

  CellValue value;
  value.kind = CellKind::kNumber;
  value.number = number;
  if (dollar || grouped || percent || parentheses || decimals > 0) {
    std::string format = dollar ? "$" : "";
    format += grouped ? "#,##0" : "0";
    if (decimals > 0) format += "." + std::string(static_cast<std::size_t>(decimals), '0');
    if (percent) format += "%";
    value.numberFormat = parentheses ? format + "_);(" + format + ")" : format;
  }
  return value;
}

// Whether the text after a leading '=' can be a formula: something to
// compute, parentheses and quotes that close, no "==", and neither starting
// with an operator that needs a left operand nor ending with one that needs a
// right one.  Separator lines ("=====") and headings ("== Totals ==") fail, so
// they stay text instead of making a formula the file cannot hold.
bool ReadsAsFormula(std::string_view body) {
  body = TrimBlanks(body);
  if (body.empty()) return false;
  constexpr std::string_view kNoStart = ")*/^&=<>,;:%";
  constexpr std::string_view kNoEnd = "+-*/^&=<>,;:(";
  if (kNoStart.find(body.front()) != std::string_view::npos) return false;
  if (kNoEnd.find(body.back()) != std::string_view::npos) return false;
  bool quoted = false;
  int depth = 0;
  for (std::size_t i = 0; i < body.size(); ++i) {
    const char c = body[i];
    if (c == '"') {
      quoted = !quoted;  // a doubled quote inside a string toggles twice
    } else if (quoted) {
      continue;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth < 0) return false;
    } else if (c == '=' && i + 1 < body.size() && body[i + 1] == '=') {
      return false;
    }
  }
  return !quoted && depth == 0;
}

// Reads 1 or 2 digits (month or day).
std::optional<int> ReadSmall(std::string_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::optional<CellValue> ReadDate(std::string_view text) {
  const std::size_t slash1 = text.find('/');
  if (slash1 == std::string_view::npos) return std::nullopt;
  const std::size_t slash2 = text.find('/', slash1 + 1);
  if (slash2 == std::string_view::npos) return std::nullopt;
  const auto month = ReadSmall(text.substr(0, slash1));
  const auto day = ReadSmall(text.substr(slash1 + 1, slash2 - slash1 - 1));
  const std::string_view yearText = text.substr(slash2 + 1);
  if (!month || !day || (yearText.size() != 2 && yearText.size() != 4)) return std::nullopt;
  int year = 0;
  for (char c : yearText) {
    if (!IsDigit(c)) return std::nullopt;
    year = year * 10 + (c - '0');
  }
  if (yearText.size() == 2) year += year < 30 ? 2000 : 1900;
  const int serial = DateSerial(year, *month, *day);
  if (serial == 0) return std::nullopt;
  CellValue value;
  value.kind = CellKind::kNumber;
  value.number = serial;
  value.numberFormat = "m/d/yyyy";
  return value;
}

}  // namespace

int DateSerial(int year, int month, int day) {
  using namespace std::chrono;
  if (year < 1900 || year > 9999) return 0;
  const year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                            std::chrono::day(static_cast<unsigned>(day))};
  if (!date.ok()) return 0;
  const int days = (sys_days(date) - sys_days(1899y / December / 31)).count();
  // Serial 60 is 1900-02-29, which never was; later dates count it.
  return days >= 60 ? days + 1 : days;
}

CellValue ReadTypedText(std::string_view text) {
  CellValue value;
  if (text.empty()) return value;
  if (text.front() == '\'') {
    value.kind = CellKind::kText;
    value.text = text.substr(1);
    return value;
  }
  if (text.front() == '=' && ReadsAsFormula(text.substr(1))) {
    value.kind = CellKind::kFormula;
    value.text = text;
    return value;
  }
  const std::string_view trimmed = TrimBlanks(text);
  if (auto number = ReadNumber(trimmed)) return *number;
  if (auto date = ReadDate(trimmed)) return *date;
  value.kind = CellKind::kText;
  value.text = text;
  return value;
}

}  // namespace qx::automation::spreadsheet
