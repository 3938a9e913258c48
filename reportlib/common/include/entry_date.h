// The date field of a command that writes entries dated on it or moves the
// amounts of its period: the posting date of the postings, the as-of date of
// the finance charges, the end-of-period date of receivables and payables.
//
// An entry date is a valid date of an open fiscal period of this year or
// next, so that a closed period never changes.  Every such field takes its
// date through EntryDateField::Take, which refuses any other date with the
// message that says why: 13 for a text that is not a date, the base
// library's for a day in no period and for one in a closed period ("The
// date 02/28/2025 falls in period 2 (02/01/2025 to 02/28/2025), which is
// closed.").  The cursor stays on the field, and nothing is written.
//
// A screen left while its date stands refused (Esc, or a key script that
// ran out after the refusal) did not do its work: the field, which lives as
// long as its screen, then marks the command not done (CommandNotDone), so
// that a command-only run ends with exit status 4.  A date accepted after a
// refusal takes the refusal back.
//
// Dates a command only reads, or closes periods up to, may lie in a closed
// period; they do not come here (docs/architecture.md names them).
#pragma once

#include <cstdint>

#include "ravadodo.h"
#include "records/settings.h"

class EntryDateField {
 public:
  EntryDateField() = default;
  // Marks the command not done when the last date taken was refused.
  ~EntryDateField();
  EntryDateField(const EntryDateField&) = delete;
  EntryDateField& operator=(const EntryDateField&) = delete;

  // Takes the text of field `field` of `form` as the entry date.  True with
  // its day number in *day and its period in *info (the pending posting
  // period filled too when `periods` is null).  False after the message
  // that says why, with the cursor kept on the field (also when the check
  // runs from a key handler such as F10); *info is then filled as far as the
  // date allows and *day left alone.  `periods` is the company's "0Periods"
  // as the caller holds it, or null to have it read.
  bool Take(Form* form, int field, const records::PeriodsRecord* periods, records::FiscalPeriodInfo* info,
            std::int32_t* day);

  // True while the last date taken was refused.
  bool Refused() const { return refused_; }

 private:
  bool refused_ = false;
};
