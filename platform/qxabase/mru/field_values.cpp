#include "field_values.h"

#include <charconv>

#include "qxabase/report_mru.h"
#include "ravadodo/text.h"

namespace qxmru {
namespace {

// A whole number written as digits only, within [1, limit].
bool ParseCount(const std::string& text, long limit, long* out) {
  long n = 0;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, n);
  if (text.empty() || ec != std::errc() || p != end || n < 1 || n > limit) return false;
  *out = n;
  return true;
}

// True when the field reads as an open range end: blank, or "FIRST"/"LAST ".
bool ReadsOpen(Form* form, int field) { return FieldGetTyped(form, field, 0, nullptr) == 1; }

// The word an open end shows ("FIRST", "LAST"), or "" when the field holds a
// value or is blank.
std::string OpenEndWord(Form* form, int field) {
  if (!ReadsOpen(form, field)) return "";
  char shown[16];
  if (FieldGetShownText(form, field, shown, sizeof shown) <= 0) return "";
  return StrIsBlank(shown) ? "" : shown;
}

bool IsOpenEndWord(const std::string& value) { return value == "FIRST" || value == "LAST"; }

// A blank end is put back only where the field holds a value: a field that
// already reads as open keeps what it shows.
bool PutOpen(Form* form, int field) {
  if (ReadsOpen(form, field)) return true;
  return FieldSetText(form, field, "") == 0;
}

// An end kept as the word it showed shows it again, and reads as open.  A
// field that cannot show the word (a date picture) is left blank instead.
bool PutOpenEnd(Form* form, int field, const std::string& word) {
  if (FieldSetText(form, field, word.c_str()) != 0) return false;
  return ReadsOpen(form, field) || FieldSetText(form, field, "") == 0;
}

}  // namespace

bool TakeFieldValue(Form* form, int field, std::uint32_t kind, std::string* value) {
  char text[512];
  if (FieldGetText(form, field, text, sizeof text) < 0) return false;
  if (const int choice = FieldGetChoice(form, field); choice > 0) {
    *value = std::to_string(choice);
  } else if (std::string word = OpenEndWord(form, field); !word.empty()) {
    *value = word;
  } else if (kind == kMruKindDate) {
    int day = 0;
    *value = FieldGetTyped(form, field, 2, &day) == 1 && day > 0 ? std::to_string(day) : "";
  } else {
    *value = text;
  }
  return true;
}

bool PutFieldValue(Form* form, int field, std::uint32_t kind, const std::string& value) {
  char probe[2];
  if (FieldGetText(form, field, probe, sizeof probe) < 0) return false;
  if (FieldGetChoice(form, field) > 0) {
    long choice = 0;
    return ParseCount(value, 255, &choice) && FieldSetChoice(form, field, static_cast<int>(choice)) == 0;
  }
  if (value.empty()) return PutOpen(form, field);
  if (IsOpenEndWord(value)) return PutOpenEnd(form, field, value);
  if (kind == kMruKindDate) {
    long day = 0;
    char text[16];
    if (!ParseCount(value, 10'000'000, &day) || DateToText(text, static_cast<int>(day))[0] == 0) return false;
    return FieldSetText(form, field, text) == 0;
  }
  return FieldSetText(form, field, value.c_str()) == 0;
}

}  // namespace qxmru
