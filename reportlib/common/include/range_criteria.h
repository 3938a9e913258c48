// Range criteria: a from/to selection on one field of a record, as the
// selection screens and parameter strings give it.
//
// A criterion keeps the two ends as they were entered (the texts, which a
// saved run writes back) and, for fields that are not texts, the ends
// converted to the field's kind: a whole number, a date (day number) or an
// amount.  An end that is empty or all blanks is open: every value passes it.
// The reports test each record's value of the field against the criterion.
//
// Texts compare by the system's one text rule (oem::CompareText: without
// regard to letter case, trailing blanks ignored): the match tests, the
// from <= to check and the temporary sort indexes all agree on it.
//
// The walk past the end: a report that reads its records in the order of a
// criterion's field can stop as soon as a record lies beyond the criterion's
// "to" end.  Each test sets *pastEnd for that case; a record below the
// "from" end is only not a match (the records after it may match).  A
// caller that reads in another order ignores the flag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

// The kind of value a criterion's field holds.
enum class RangeKind : std::uint8_t {
  kText,    // a text, compared by the system's text rule
  kDate,    // a day number (0: no date, below every date)
  kAmount,  // an amount (a double, compared after rounding to cents)
  kCount,   // a whole number
};

struct RangeCriterion {
  char caption[41];   // the field's caption as the report prints it ("Customer Name")
  char fromText[41];  // the from end as entered
  char toText[41];    // the to end as entered
  std::int32_t fromLong, toLong;      // count fields
  std::int32_t fromDate, toDate;      // date fields
  double fromAmount, toAmount;        // amount fields
  std::int32_t fromEmpty, toEmpty;    // non-zero: the end is open
  std::int16_t fieldId;               // the field of the report's caption table
};
static_assert(std::is_trivially_copyable_v<RangeCriterion>);

// What RangeCriterionSet found.
inline constexpr int kRangeOk = 0;
inline constexpr int kRangeFromAfterTo = 1;  // both ends given and from lies after to
inline constexpr int kRangeBadValue = 2;     // an end is not a date or a number of the field's kind

// Fills `criterion`: field id, caption (at most 40 characters), the two end
// texts as given (null is empty; at most 40 characters each, a longer text
// is cut at 40), their open flags, and for a date, amount or count field the
// converted ends.  Only the typed pair of the field's kind is written; the
// other pairs keep what they held.  Returns kRangeOk, kRangeFromAfterTo, or
// kRangeBadValue (a converted end is then 0).
int RangeCriterionSet(RangeCriterion* criterion, int fieldId, const char* caption, RangeKind kind,
                      const char* fromText, const char* toText);

// The tests.  Each sets *pastEnd to 0, then to 1 when the value lies beyond
// the to end (amounts never set it: a report reads amounts in no order it
// could stop on).  A criterion with both ends open passes every value.
bool RangeMatchText(const RangeCriterion& criterion, std::string_view value, int* pastEnd);
bool RangeMatchDate(const RangeCriterion& criterion, std::int32_t day, int* pastEnd);
bool RangeMatchAmount(const RangeCriterion& criterion, double amount, int* pastEnd);
bool RangeMatchCount(const RangeCriterion& criterion, std::int32_t count, int* pastEnd);

// A range end given for a zip code, as the zip codes it is compared with are
// kept: the characters of its picture "ccccc-cccc" without the picture's
// dash, blanks at the end dropped ("98370-" is 98370, "98370-1234" is
// 983701234).  Null is "".
std::string ZipRangeEnd(const char* text);
