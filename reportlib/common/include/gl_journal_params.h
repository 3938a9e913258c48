// The general-ledger journal's run parameters, and the parameter-string class
// that fills them from a preset or a drill-down link.
//
// GLJournalParams is an in-memory record, one per journal run: the journal
// zeroes it, sets its defaults, then lets CGLJournalParamString override the
// fields that the string names.
//
// Keys (any other key is unknown; see ParseMode):
//   "input", "output"    the input and output texts (at most 255 characters);
//                        input is lower-cased, output (a file path) keeps its case
//   "type"               listing flag := 1 when the number is 1, else 0
//   "tran"               one transaction: at most 10 characters, blank-padded to
//                        11, into both tranNoFrom and tranNoTo
//   "jrnlbeg", "jrnlend" journal code from / to: at most 6 characters,
//                        blank-padded to 7; an empty value leaves the field as
//                        it was (an open end keeps its default)
//   "datebeg", "dateend" date from / to, as date text (an empty value is 0)
// A value that is too long or not a number or date fails the parse; the
// field keeps what it held.
//
// A drill-down link to the journal (command 301) is written as
//   input='default' type='1' tran='<number>' jrnlbeg='SU' jrnlend='SU'
#pragma once

#include <cstdint>
#include <type_traits>

#include "report_param_string.h"

struct GLJournalParams {
  std::uint8_t listingFlag;    // 1 Listing (chosen ranges), 0 Journal (the period's unposted)
  std::int32_t reportNumber;   // handed to the report writer; default 1
  char journalCodeFrom[7];     // 6 characters and a blank (key form), default empty
  char journalCodeTo[7];       // default six 0xFF bytes (all codes)
  std::int32_t dateFrom;       // day numbers
  std::int32_t dateTo;
  char tranNoFrom[11];         // 10 characters and a blank (key form), default empty
  char tranNoTo[11];
  std::int32_t periodNumber;   // default the period of today
  std::uint8_t printComments;  // 1 print transaction comments
  char input[256];             // the parameter string's texts, NUL-terminated
  char output[256];
};

static_assert(std::is_trivially_copyable_v<GLJournalParams>);

class CGLJournalParamString final : public CParamStringFor<GLJournalParams> {
 public:
  using CParamStringFor::CParamStringFor;

  ParamStatus SetParam(std::string_view key, std::string_view value) override;
};
