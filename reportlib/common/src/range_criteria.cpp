// Range criteria: setting the ends and testing values against them.
#include "range_criteria.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "oemtext.h"
#include "ravadodo/text.h"

namespace {

constexpr std::size_t kTextMax = sizeof RangeCriterion::caption - 1;

void CopyText(char (&field)[41], const char* text) {
  std::memset(field, 0, sizeof field);
  if (text) std::memcpy(field, text, strnlen(text, kTextMax));
}

std::string_view Trim(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return t;
}

// A decimal number, blanks around it allowed.
bool ParseAmount(const char* text, double* out) {
  const std::string value(Trim(text));
  if (value.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(value.c_str(), &end);
  if (errno != 0 || end != value.c_str() + value.size() || !std::isfinite(v)) return false;
  *out = NumRound(v, 2);
  return true;
}

bool ParseCount(const char* text, std::int32_t* out) {
  const std::string value(Trim(text));
  if (value.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(value.c_str(), &end, 10);
  if (errno != 0 || end != value.c_str() + value.size() || v < INT32_MIN || v > INT32_MAX) return false;
  *out = static_cast<std::int32_t>(v);
  return true;
}

std::string_view TextOf(const char (&field)[41]) { return std::string_view(field, strnlen(field, sizeof field)); }

}  // namespace

int RangeCriterionSet(RangeCriterion* c, int fieldId, const char* caption, RangeKind kind, const char* fromText,
                      const char* toText) {
  CopyText(c->caption, caption);
  c->fieldId = static_cast<std::int16_t>(fieldId);
  CopyText(c->fromText, fromText);
  CopyText(c->toText, toText);
  c->fromEmpty = StrIsBlank(c->fromText) ? 1 : 0;
  c->toEmpty = StrIsBlank(c->toText) ? 1 : 0;
  bool good = true;
  switch (kind) {
    case RangeKind::kDate:
      c->fromDate = c->fromEmpty ? 0 : DateFromText(c->fromText);
      c->toDate = c->toEmpty ? 0 : DateFromText(c->toText);
      good = (c->fromEmpty || c->fromDate != 0) && (c->toEmpty || c->toDate != 0);
      if (!good) return kRangeBadValue;
      if (c->fromEmpty || c->toEmpty) return kRangeOk;
      return c->fromDate > c->toDate ? kRangeFromAfterTo : kRangeOk;
    case RangeKind::kAmount:
      c->fromAmount = c->toAmount = 0;
      if (!c->fromEmpty) good = ParseAmount(c->fromText, &c->fromAmount) && good;
      if (!c->toEmpty) good = ParseAmount(c->toText, &c->toAmount) && good;
      if (!good) return kRangeBadValue;
      if (c->fromEmpty || c->toEmpty) return kRangeOk;
      return c->fromAmount > c->toAmount ? kRangeFromAfterTo : kRangeOk;
    case RangeKind::kCount:
      c->fromLong = c->toLong = 0;
      if (!c->fromEmpty) good = ParseCount(c->fromText, &c->fromLong) && good;
      if (!c->toEmpty) good = ParseCount(c->toText, &c->toLong) && good;
      if (!good) return kRangeBadValue;
      if (c->fromEmpty || c->toEmpty) return kRangeOk;
      return c->fromLong > c->toLong ? kRangeFromAfterTo : kRangeOk;
    case RangeKind::kText:
      if (c->fromEmpty || c->toEmpty) return kRangeOk;
      // The same rule as the tests below: "a" to "B" is a good range.
      return oem::CompareText(TextOf(c->fromText), TextOf(c->toText)) > 0 ? kRangeFromAfterTo : kRangeOk;
  }
  return kRangeOk;
}

bool RangeMatchText(const RangeCriterion& c, std::string_view value, int* pastEnd) {
  *pastEnd = 0;
  if (c.fromEmpty && c.toEmpty) return true;
  if (!c.fromEmpty && oem::CompareText(value, TextOf(c.fromText)) < 0) return false;
  if (c.toEmpty) return true;
  if (oem::CompareText(value, TextOf(c.toText)) > 0) {
    *pastEnd = 1;
    return false;
  }
  return true;
}

bool RangeMatchDate(const RangeCriterion& c, std::int32_t day, int* pastEnd) {
  *pastEnd = 0;
  if (c.fromEmpty && c.toEmpty) return true;
  if (!c.fromEmpty && day < c.fromDate) return false;
  if (c.toEmpty || day <= c.toDate) return true;
  *pastEnd = 1;
  return false;
}

bool RangeMatchAmount(const RangeCriterion& c, double amount, int* pastEnd) {
  *pastEnd = 0;
  if (c.fromEmpty && c.toEmpty) return true;
  const double a = NumRound(amount, 2);
  if (!c.fromEmpty && a < c.fromAmount && !NumEqual(a, c.fromAmount)) return false;
  if (c.toEmpty) return true;
  return a <= c.toAmount || NumEqual(a, c.toAmount);
}

bool RangeMatchCount(const RangeCriterion& c, std::int32_t count, int* pastEnd) {
  *pastEnd = 0;
  if (c.fromEmpty && c.toEmpty) return true;
  if (!c.fromEmpty && count < c.fromLong) return false;
  if (c.toEmpty || count <= c.toLong) return true;
  *pastEnd = 1;
  return false;
}

std::string ZipRangeEnd(const char* text) {
  std::string zip = text ? text : "";
  constexpr std::size_t kDash = 5;  // "ccccc-cccc"
  if (zip.size() > kDash && zip[kDash] == '-') zip.erase(kDash, 1);
  while (!zip.empty() && zip.back() == ' ') zip.pop_back();
  return zip;
}
