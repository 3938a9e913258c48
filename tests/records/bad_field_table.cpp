// Field tables that must not compile (records_field_table_refuses_* tests).
#include "records/masters.h"

namespace records {
#if defined(QX_CASE_wrong_offset)
// The current balance stands at 96, not 95.
inline constexpr FieldDef kWrong[] = {QX_NUMBER(GLAccount, currentBalance, 95)};
#elif defined(QX_CASE_wrong_kind)
// A double is not a date.
inline constexpr FieldDef kWrong[] = {QX_DATE(GLAccount, currentBalance, 96)};
#endif
}  // namespace records
