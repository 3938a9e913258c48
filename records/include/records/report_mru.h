// The remembered report parameters of the company (file 88, "report_mru"):
// one record per screen field whose value a user last accepted on a report's
// selection screen.  The base library's report-parameter memory
// (qxabase/report_mru.h) is the only writer.
//
// Key 0, unique: user name, report key (both compared without case) and
// field number, so one user's set for one report reads in field order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/field.h"
#include "records/record_image.h"

namespace records {

#pragma pack(push, 1)

struct ReportMruRecord {
  char userName[32];         // SharedAppBlock::userName; "" on a single-user install
  char reportKey[32];        // "CustAging", "ProdList", ...
  std::uint8_t fieldNumber;  // the screen field, 1..255
  std::uint8_t kind;         // 0 text, 2 date, 8 choice, 16 number (as the screen's table says)
  // NUL-ended: a choice field's entry number ("2"), a date's day number
  // ("45731"; "" for none), any other field's text as shown.
  char value[78];
};

#pragma pack(pop)

static_assert(sizeof(ReportMruRecord) == 144);

inline constexpr FieldDef kReportMruFields[] = {
    QX_TEXT(ReportMruRecord, userName, 0),
    QX_TEXT(ReportMruRecord, reportKey, 32),
    QX_NUMBER(ReportMruRecord, fieldNumber, 64),
    QX_NUMBER(ReportMruRecord, kind, 65),
    QX_TEXT(ReportMruRecord, value, 66),
};
inline constexpr Layout kReportMruLayout{"ReportMruRecord", sizeof(ReportMruRecord),
                                         kReportMruFields};
static_assert(ValidLayout(kReportMruLayout));

}  // namespace records
