#include "report_param_string.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "oemtext.h"
#include "param_dates.h"

namespace {

constexpr char kQuote = '\'';

std::size_t BoundedLength(const char* text, int capacity) {
  return text != nullptr && capacity > 0 ? strnlen(text, static_cast<std::size_t>(capacity)) : 0;
}

bool ContainsFolded(std::string_view text, std::string_view word) {
  if (word.size() > text.size()) return false;
  for (std::size_t i = 0; i + word.size() <= text.size(); ++i) {
    std::size_t j = 0;
    while (j < word.size() &&
           oem::ToLower(static_cast<unsigned char>(text[i + j])) ==
               static_cast<unsigned char>(word[j])) {
      ++j;
    }
    if (j == word.size()) return true;
  }
  return false;
}

bool IsValidKey(std::string_view key) {
  if (key.empty() || key.size() > static_cast<std::size_t>(CReportParamString::kMaxKeyLength)) {
    return false;
  }
  return key.find_first_of(std::string_view(" ='\0", 4)) == std::string_view::npos;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

const char* ParamStatusText(ParamStatus status) {
  switch (status) {
    case ParamStatus::kOk: return "no error";
    case ParamStatus::kNoBuffer: return "no parameter text is attached";
    case ParamStatus::kReadOnly: return "the parameter text is attached for reading only";
    case ParamStatus::kNoRoom: return "the parameter string would not fit its buffer";
    case ParamStatus::kBadKey: return "the key is empty or holds a blank, '=' or a quote";
    case ParamStatus::kKeyTooLong: return "the key is longer than 14 characters";
    case ParamStatus::kMissingEquals: return "the key has no '='";
    case ParamStatus::kMissingQuote: return "the value has no opening quote";
    case ParamStatus::kUnterminatedValue: return "the value has no closing quote";
    case ParamStatus::kTrailingBlanks: return "blanks follow the last parameter";
    case ParamStatus::kValueTooLong: return "the value is longer than its field holds";
    case ParamStatus::kBadValue: return "the value is not a valid number or date";
    case ParamStatus::kUnknownKey: return "the report does not know this parameter";
    case ParamStatus::kNoRecord: return "no parameter record is attached";
  }
  return "unknown error";
}

bool IsScreenOutput(const char* text) {
  if (text == nullptr) return true;
  const std::string_view view(text);
  return oem::TrimmedLength(view) == 0 || ContainsFolded(view, "screen");
}

bool IsHtmlOutput(const char* text) {
  return text != nullptr && ContainsFolded(text, ".htm");
}

CReportParamString::CReportParamString(char* buffer, int capacity) { Attach(buffer, capacity); }

CReportParamString::CReportParamString(const char* text, int capacity) { Attach(text, capacity); }

void CReportParamString::Attach(char* buffer, int capacity) {
  buffer_ = buffer;
  text_ = buffer;
  capacity_ = std::max(capacity, 0);
  codeTarget_ = nullptr;
  codeTargetSize_ = 0;
}

void CReportParamString::Attach(const char* text, int capacity) {
  Attach(static_cast<char*>(nullptr), capacity);
  text_ = text;
}

void CReportParamString::SetCodeTarget(char* target, int size) {
  codeTarget_ = target;
  codeTargetSize_ = std::max(size, 0);
}

bool CReportParamString::WriteParam(std::string_view key, std::string_view value, bool clear) {
  if (text_ == nullptr || capacity_ < 1) return Fail(ParamStatus::kNoBuffer, key, -1);
  if (buffer_ == nullptr) return Fail(ParamStatus::kReadOnly, key, -1);
  if (key.size() > static_cast<std::size_t>(kMaxKeyLength)) {
    return Fail(ParamStatus::kKeyTooLong, key, -1);
  }
  if (!IsValidKey(key)) return Fail(ParamStatus::kBadKey, key, -1);
  if (value.size() > static_cast<std::size_t>(kMaxValueLength)) {
    return Fail(ParamStatus::kValueTooLong, key, -1);
  }
  if (value.find('\0') != std::string_view::npos) return Fail(ParamStatus::kBadValue, key, -1);

  // Measure first, so that a refused pair leaves the buffer as it was.
  const std::size_t capacity = static_cast<std::size_t>(capacity_);
  const std::size_t used = clear ? 0 : strnlen(buffer_, capacity);
  const std::size_t quotes = static_cast<std::size_t>(std::count(value.begin(), value.end(), kQuote));
  const std::size_t pair = key.size() + 2 + value.size() + quotes + 1;  // key='value'
  const std::size_t total = used + (used > 0 ? 1 : 0) + pair;
  if (total + 1 > capacity) return Fail(ParamStatus::kNoRoom, key, static_cast<int>(used));

  if (clear) std::memset(buffer_, 0, capacity);
  char* out = buffer_ + used;
  if (used > 0) *out++ = ' ';
  out = std::copy(key.begin(), key.end(), out);
  *out++ = '=';
  *out++ = kQuote;
  for (char c : value) {
    if (c == kQuote) *out++ = kQuote;
    *out++ = c;
  }
  *out++ = kQuote;
  *out = '\0';
  return Succeed();
}

bool CReportParamString::WriteParamN(std::string_view key, const char* value, int n, bool clear) {
  return WriteParam(key, std::string_view(value, BoundedLength(value, n)), clear);
}

bool CReportParamString::WriteIntParam(std::string_view key, long long value, bool clear) {
  char text[24];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return WriteParam(key, std::string_view(text, static_cast<std::size_t>(result.ptr - text)), clear);
}

bool CReportParamString::WriteDateParam(std::string_view key, std::int32_t day, bool clear) {
  char text[kParamDateTextSize] = {};
  ParamDateToText(day, text, sizeof text);
  return WriteParam(key, std::string_view(text, strnlen(text, sizeof text)), clear);
}

bool CReportParamString::ParseParams(ParseMode mode) {
  if (text_ == nullptr || capacity_ < 1) return Fail(ParamStatus::kNoBuffer, {}, -1);
  const std::string_view text(text_, BoundedLength(text_, capacity_));
  std::size_t pos = 0;

  while (pos < text.size()) {
    // Key: from the first non-blank up to "=", trimmed.
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos == text.size()) return Fail(ParamStatus::kTrailingBlanks, {}, static_cast<int>(pos));
    const std::size_t pairStart = pos;
    const int offset = static_cast<int>(pairStart);
    const std::size_t equals = text.find_first_of("='", pos);
    if (equals == std::string_view::npos || text[equals] == kQuote) {
      const std::size_t end = equals == std::string_view::npos ? text.size() : equals;
      return Fail(ParamStatus::kMissingEquals, TrimBlanks(text.substr(pos, end - pos)), offset);
    }
    const std::string_view key = TrimBlanks(text.substr(pos, equals - pos));
    if (key.size() > static_cast<std::size_t>(kMaxKeyLength)) {
      return Fail(ParamStatus::kKeyTooLong, key, offset);
    }
    if (!IsValidKey(key)) return Fail(ParamStatus::kBadKey, key, offset);
    pos = equals + 1;
    if (pos == text.size()) break;  // "key=" at the very end: nothing to store

    // Value: skip to the opening quote, then read up to the closing one; a
    // doubled quote inside stands for one quote.
    const std::size_t open = text.find(kQuote, pos);
    if (open == std::string_view::npos) return Fail(ParamStatus::kMissingQuote, key, offset);
    char value[kMaxValueLength + 1];
    std::size_t length = 0;
    pos = open + 1;
    for (;;) {
      if (pos >= text.size()) return Fail(ParamStatus::kUnterminatedValue, key, offset);
      const char c = text[pos++];
      if (c == kQuote) {
        if (pos < text.size() && text[pos] == kQuote) {
          ++pos;
        } else {
          break;
        }
      }
      if (length == kMaxValueLength) return Fail(ParamStatus::kValueTooLong, key, offset);
      value[length++] = c;
    }
    value[length] = '\0';

    const ParamStatus status = SetParam(key, std::string_view(value, length));
    if (status == ParamStatus::kUnknownKey && mode == ParseMode::kLenient) continue;
    if (status != ParamStatus::kOk) return Fail(status, key, offset);
  }
  return Succeed();
}

ParamStatus CReportParamString::SetParam(std::string_view key, std::string_view value) {
  if (key != "cdno") return ParamStatus::kUnknownKey;
  if (codeTarget_ == nullptr || codeTargetSize_ < 1) return ParamStatus::kNoRecord;
  const auto size = static_cast<std::size_t>(codeTargetSize_);
  return StoreCode(codeTarget_, size, size - 1, value);
}

std::string CReportParamString::LastErrorText() const {
  if (lastStatus_ == ParamStatus::kOk) return {};
  char text[160];
  if (lastKey_[0] != '\0' && lastOffset_ >= 0) {
    std::snprintf(text, sizeof text, "parameter \"%s\" at character %d: %s", lastKey_,
                  lastOffset_ + 1, ParamStatusText(lastStatus_));
  } else if (lastKey_[0] != '\0') {
    std::snprintf(text, sizeof text, "parameter \"%s\": %s", lastKey_, ParamStatusText(lastStatus_));
  } else if (lastOffset_ >= 0) {
    std::snprintf(text, sizeof text, "parameter string at character %d: %s", lastOffset_ + 1,
                  ParamStatusText(lastStatus_));
  } else {
    std::snprintf(text, sizeof text, "parameter string: %s", ParamStatusText(lastStatus_));
  }
  return text;
}

bool CReportParamString::Fail(ParamStatus status, std::string_view key, int offset) {
  lastStatus_ = status;
  const std::size_t n = std::min(key.size(), sizeof lastKey_ - 1);
  std::copy_n(key.begin(), n, lastKey_);
  lastKey_[n] = '\0';
  lastOffset_ = offset;
  return false;
}

bool CReportParamString::Succeed() {
  lastStatus_ = ParamStatus::kOk;
  lastKey_[0] = '\0';
  lastOffset_ = -1;
  return true;
}

ParamStatus CReportParamString::StoreText(char* field, std::size_t size, std::string_view value) {
  if (size == 0 || value.size() > size - 1) return ParamStatus::kValueTooLong;
  std::copy(value.begin(), value.end(), field);
  std::memset(field + value.size(), 0, size - value.size());
  return ParamStatus::kOk;
}

ParamStatus CReportParamString::StoreKeyword(char* field, std::size_t size, std::string_view value) {
  const ParamStatus status = StoreText(field, size, value);
  if (status != ParamStatus::kOk) return status;
  for (std::size_t i = 0; i < value.size(); ++i) {
    field[i] = static_cast<char>(oem::ToLower(static_cast<unsigned char>(field[i])));
  }
  return ParamStatus::kOk;
}

ParamStatus CReportParamString::StoreCode(char* field, std::size_t width, std::size_t maxChars,
                                          std::string_view value) {
  if (value.size() > std::min(maxChars, width)) return ParamStatus::kValueTooLong;
  std::copy(value.begin(), value.end(), field);
  std::memset(field + value.size(), ' ', width - value.size());
  return ParamStatus::kOk;
}

ParamStatus CReportParamString::ParseNumber(std::string_view value, std::int32_t& out) {
  value = TrimBlanks(value);
  if (value.empty()) {
    out = 0;
    return ParamStatus::kOk;
  }
  const char* first = value.data();
  const char* last = first + value.size();
  if (*first == '+') {  // from_chars takes "-" only
    ++first;
    if (first != last && *first == '-') return ParamStatus::kBadValue;
  }
  std::int32_t number = 0;
  const auto result = std::from_chars(first, last, number);
  if (result.ec != std::errc() || result.ptr != last || first == last) return ParamStatus::kBadValue;
  out = number;
  return ParamStatus::kOk;
}

ParamStatus CReportParamString::ParseDate(std::string_view value, std::int32_t& out) {
  if (oem::TrimmedLength(value) == 0) {
    out = 0;
    return ParamStatus::kOk;
  }
  if (value.size() > static_cast<std::size_t>(kMaxValueLength)) return ParamStatus::kBadValue;
  char text[kMaxValueLength + 1];
  std::copy(value.begin(), value.end(), text);
  text[value.size()] = '\0';
  const std::int32_t day = ParamDateFromText(text);
  if (day <= 0) return ParamStatus::kBadValue;
  out = day;
  return ParamStatus::kOk;
}
