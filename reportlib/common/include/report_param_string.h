// Report parameter strings: the short texts that carry a report's selection
// without its selection screen -- a preset handed to a report entry, the saved
// run printed at the top of a report (so that it can be run again), and the
// drill-down link of a report cell (drilldown.h).
//
// A string is a sequence of pairs, a key, "='", a value and "'", separated by
// one blank, with no blank before the first pair or after the last:
//
//     input='usersel' sortfld='Customer Name' sortfrom='O''Brien' sortto=''
//
// - A key is a word of 1 to 14 characters without blanks, "=" or quotes
//   ("input", "cdno", "sortfld"); keys compare case-sensitively.
// - A value is any text of at most 255 characters.  A quote inside a value is
//   written doubled and read back as one, so every value round-trips.
// - Numbers are written in decimal, dates as date text (param_dates.h).
// - Well-known values: "input" is "screen" or blank (show the selection
//   screen), "usersel" (a saved run) or "default" (a link); "output" is blank
//   or "screen" for the preview, or the path of an HTML file.
//
// CReportParamString reads and writes such strings over a caller's buffer.  It
// never owns the buffer and never writes past its capacity: a pair that does
// not fit is refused, never cut.  Parsing reads at most `capacity` bytes and
// stops at the first NUL, so it is safe on any bytes at all, and refuses what
// is malformed or overlong with a clear status.
//
// Each report kind has a small derived class, CParamStringFor<Record>, whose
// SetParam stores the keys that report knows into its parameter record with
// the Store* helpers below (gl_journal_params.h is an example).
//
// The operations answer bool, as the reports expect; LastStatus() and
// LastErrorText() tell why the last one failed.  Nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Why a parameter-string operation failed.
enum class ParamStatus {
  kOk = 0,
  kNoBuffer,           // no text attached, or a capacity below 1
  kReadOnly,           // a write to a text attached for reading only
  kNoRoom,             // the written string would not fit its buffer
  kBadKey,             // a key that is empty or holds a blank, "=", quote or NUL
  kKeyTooLong,         // a key of more than 14 characters
  kMissingEquals,      // a key without "="
  kMissingQuote,       // a value without its opening quote
  kUnterminatedValue,  // a value without its closing quote
  kTrailingBlanks,     // blanks after the last pair
  kValueTooLong,       // a value of more than 255 characters, or more than its field holds
  kBadValue,           // not a number or a date where one is due, or a value holding a NUL
  kUnknownKey,         // a key the report does not know
  kNoRecord,           // SetParam while no record (or code target) is attached
};

// A short English description of a status ("the value has no closing quote").
const char* ParamStatusText(ParamStatus status);

// How ParseParams treats a key that the report does not know.
enum class ParseMode {
  kStrict,   // presets and links: an unknown key fails the parse at that pair
  kLenient,  // saved runs: an unknown key is skipped; every other fault still fails
};

// True when an input or output text asks for the screen: the text is null or
// blank, or contains "screen" in any case.
bool IsScreenOutput(const char* text);

// True when an output text names an HTML file: it contains ".htm" in any case
// (so ".html" too).
bool IsHtmlOutput(const char* text);

class CReportParamString {
 public:
  static constexpr int kMaxKeyLength = 14;
  static constexpr int kMaxValueLength = 255;

  // Attaches nothing: every write and parse fails with kNoBuffer until Attach.
  CReportParamString() = default;
  // Attach(buffer, capacity) / Attach(text, capacity).
  CReportParamString(char* buffer, int capacity);
  CReportParamString(const char* text, int capacity);
  virtual ~CReportParamString() = default;

  // Attaches a caller's buffer of `capacity` bytes (not owned) for reading and
  // writing, and clears the code target.
  void Attach(char* buffer, int capacity);
  // Attaches a text for reading only (a preset handed to an entry); writes
  // fail with kReadOnly.  `capacity` bounds what is read: the text's length
  // is enough, a NUL ends it earlier.
  void Attach(const char* text, int capacity);

  // The buffer that the base class's SetParam fills for key "cdno": the code,
  // at most size - 1 characters, blank-padded to exactly `size` bytes (the key
  // form of a code; no NUL is written).  Not owned; Attach clears it.
  void SetCodeTarget(char* target, int size);

  // Appends the pair key='value' (one blank before it when the buffer already
  // holds text), doubling any quote inside the value.  With `clear` the
  // buffer is emptied first (all `capacity` bytes zeroed).  Returns false and
  // leaves the buffer exactly as it was when there is no writable buffer, the
  // key is not a valid key, the value is longer than 255 characters or holds
  // a NUL, or the string with its terminating NUL would not fit the capacity.
  bool WriteParam(std::string_view key, std::string_view value, bool clear);
  // WriteParam with at most `n` characters of `value`, which need not be
  // NUL-terminated within them (a fixed-width field).
  bool WriteParamN(std::string_view key, const char* value, int n, bool clear);
  // WriteParam with the value in decimal.
  bool WriteIntParam(std::string_view key, long long value, bool clear);
  // WriteParam with the date text of a day number (the empty text for 0).
  bool WriteDateParam(std::string_view key, std::int32_t day, bool clear);

  // Parses the attached text and hands each pair to SetParam, in order.  An
  // empty text succeeds.  Fails at the first fault (see ParamStatus): pairs
  // before it have been stored and stay stored.  Leading blanks are skipped;
  // blanks around a key are trimmed; text between a key's "=" and the opening
  // quote is skipped; a text that ends just after a key's "=" succeeds and
  // stores nothing for that key; blanks after the last pair fail the parse
  // after the last pair has been stored.
  bool ParseParams(ParseMode mode = ParseMode::kStrict);

  // Stores one pair.  The base class knows only "cdno" (see SetCodeTarget);
  // derived classes know their report's keys.  Returns kUnknownKey for a key
  // it does not know, and kNoRecord when it has nowhere to store.
  virtual ParamStatus SetParam(std::string_view key, std::string_view value);

  // Why the last write or parse failed (kOk after a success), and a message
  // naming the key and the position: "parameter "sortfrom" at character 57:
  // the value is longer than its field holds".
  ParamStatus LastStatus() const { return lastStatus_; }
  std::string LastErrorText() const;

  // The attached text (null when none) and capacity.
  const char* Text() const { return text_; }
  int Capacity() const { return capacity_; }

 protected:
  // Store helpers for SetParam.  Each refuses a value that does not fit
  // (kValueTooLong) rather than cut it, and leaves the field unchanged then.

  // A NUL-terminated text field of `size` bytes: at most size - 1 characters;
  // the rest of the field is zeroed.
  static ParamStatus StoreText(char* field, std::size_t size, std::string_view value);
  // The same, lower-cased: for key words such as the "input" value.
  static ParamStatus StoreKeyword(char* field, std::size_t size, std::string_view value);
  // A code in key form: at most `maxChars` characters, blank-padded to exactly
  // `width` bytes; nothing past the field, and no NUL, is written.
  static ParamStatus StoreCode(char* field, std::size_t width, std::size_t maxChars,
                               std::string_view value);
  // A decimal whole number (blanks around it allowed; a blank value is 0);
  // kBadValue when it is not one or does not fit 32 bits.
  static ParamStatus ParseNumber(std::string_view value, std::int32_t& out);
  // A date text (a blank value is 0, "no date"); kBadValue when not a date.
  static ParamStatus ParseDate(std::string_view value, std::int32_t& out);

  template <std::size_t N>
  static ParamStatus StoreText(char (&field)[N], std::string_view value) {
    return StoreText(field, N, value);
  }
  template <std::size_t N>
  static ParamStatus StoreKeyword(char (&field)[N], std::string_view value) {
    return StoreKeyword(field, N, value);
  }

 private:
  bool Fail(ParamStatus status, std::string_view key, int offset);
  bool Succeed();

  char* buffer_ = nullptr;      // writable buffer, null when read-only or none
  const char* text_ = nullptr;  // the attached text
  int capacity_ = 0;
  char* codeTarget_ = nullptr;
  int codeTargetSize_ = 0;

  ParamStatus lastStatus_ = ParamStatus::kOk;
  char lastKey_[kMaxKeyLength + 1] = {};
  int lastOffset_ = -1;  // the failing pair's first character, -1 when none
};

// The base of each report's parameter-string class: ParseInto parses into one
// parameter record, which SetParam reaches through record() while the parse
// runs (null at any other time, and SetParam then answers kNoRecord).
template <class Record>
class CParamStringFor : public CReportParamString {
 public:
  using CReportParamString::CReportParamString;

  // Parses the attached text into `record`.  The record is not reset first:
  // the caller sets the defaults, and a pair overrides its own field only.
  // Pairs stored before a failing pair stay stored.
  bool ParseInto(Record* record, ParseMode mode = ParseMode::kStrict) {
    record_ = record;
    const bool ok = ParseParams(mode);
    record_ = nullptr;
    return ok;
  }

 protected:
  Record* record() const { return record_; }

 private:
  Record* record_ = nullptr;
};
