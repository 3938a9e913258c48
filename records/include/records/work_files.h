// Records of the work files that commands make in the program's temporary
// folder (never in the company folder): one command's selections, deleted
// when the command ends.
//
// Each struct is the record's byte image as stored, like the company's
// records (records/masters.h).  The data dictionary of fields describes
// them by field number for the pick lists that show them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/field.h"
#include "records/record_image.h"

namespace records {

// A line of "TEMPCUST.DB", the finance charges' selection: one chargeable
// invoice of a customer, with the charge it would take.  Its key keeps one
// customer's lines together, in invoice order.
struct FinanceChargeListLine {
  char customerCode[11];
  char invoiceNumber[11];
  char customerName[41];
  char mark;  // 'N' as written; 'Y' once the user marks the line to be charged
  I32 invoiceDate;
  I32 dueDate;
  F64 previousBalance;  // what the invoice owes
  F64 financeCharge;
  F64 newBalance;       // previous balance + charge
  U32 customerPosition; // the record-manager position of the customer's record

  static constexpr char kMarked = 'Y';
  static constexpr char kUnmarked = 'N';
  static constexpr std::uint16_t kPageSize = 1024;
};

static_assert(sizeof(FinanceChargeListLine) == 100);

inline constexpr FieldDef kFinanceChargeListFields[] = {
    QX_TEXT(FinanceChargeListLine, customerCode, 0),
    QX_TEXT(FinanceChargeListLine, invoiceNumber, 11),
    QX_TEXT(FinanceChargeListLine, customerName, 22),
    QX_CHAR(FinanceChargeListLine, mark, 63),
    QX_DATE(FinanceChargeListLine, invoiceDate, 64),
    QX_DATE(FinanceChargeListLine, dueDate, 68),
    QX_NUMBER(FinanceChargeListLine, previousBalance, 72),
    QX_NUMBER(FinanceChargeListLine, financeCharge, 80),
    QX_NUMBER(FinanceChargeListLine, newBalance, 88),
    QX_NUMBER(FinanceChargeListLine, customerPosition, 96),
};
inline constexpr Layout kFinanceChargeListLayout{"FinanceChargeListLine", sizeof(FinanceChargeListLine),
                                                 kFinanceChargeListFields};
static_assert(ValidLayout(kFinanceChargeListLayout));

}  // namespace records
