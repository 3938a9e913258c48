// Records of the supporting files: the audit trail log, the users named in
// it, the vendors' 1099 amounts and batches, and the AutoComplete entries.
//
// Each struct is the record's byte image as stored: little-endian, exactly
// the record's length, numbers as Unaligned<T> (records/unaligned.h).  Bytes
// that no field names are carried through every rewrite.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/field.h"
#include "records/record_image.h"

namespace records {

// Audit trail log entry (file 75).
struct AuditLogEntry {
  I32 entryNumber;
  char userId[15];
  I32 date;
  I32 time;
  I32 entityType;  // `ENTITY_TYPE`; modulo 100 the entity id
  I16 changeType;
  QX_UNNAMED(33, 12);
  char reference[41];
};

// User (file 64), named by the audit trail log.
struct UserRecord {
  char userId[15];
  char name[41];
};

// A vendor's 1099 amount for one tax year (`Vendor1099AmountRecord`, file 63).
struct Vendor1099AmountRecord {
  char vendorCode[11];
  I32 taxYear;
  F64 amount;
};

// A 1099 batch (`TagBatchForm1099`, file 84): one printing of the year's
// forms, which the 1096 summary transmits.  The name keeps 11 characters
// (byte 11 is always 0).  The payer block is kept empty: the 1096 takes the
// payer from the company record.
struct TagBatchForm1099 {
  char name[12];
  char payerName[51];
  char payerAddress1[52];
  char payerAddress2[51];
  char payerAddress3[51];
  U32 createdStamp;   // seconds since 1970 (DateTimeStamp) when the batch was made
  I32 formCount;      // the forms the 1099 run printed
  U32 reserved1;
  U32 reserved2;
  F64 totalAmount;    // the sum of their 1099 amounts
  char form1096;      // 'Y' once the batch's 1096 was asked for, else 'N'
  char contactName[41];
  char contactPhone[16];
  char contactLine2[151];
  QX_UNNAMED(450, 109);
};

// An AutoComplete entry (file 104): a text typed before in a screen field,
// offered again as the user types.  Key 0 is the field and the text.
struct AutoCompleteEntry {
  I16 fieldId;
  char text[41];
};

static_assert(sizeof(AuditLogEntry) == 86);
static_assert(sizeof(AutoCompleteEntry) == 43);
static_assert(sizeof(UserRecord) == 56);
static_assert(sizeof(Vendor1099AmountRecord) == 23);
static_assert(sizeof(TagBatchForm1099) == 559);

inline constexpr FieldDef kAuditLogFields[] = {
    QX_NUMBER(AuditLogEntry, entryNumber, 0),
    QX_TEXT(AuditLogEntry, userId, 4),
    QX_DATE(AuditLogEntry, date, 19),
    QX_NUMBER(AuditLogEntry, time, 23),
    QX_NUMBER(AuditLogEntry, entityType, 27),
    QX_NUMBER(AuditLogEntry, changeType, 31),
    QX_TEXT(AuditLogEntry, reference, 45),
};
inline constexpr Layout kAuditLogLayout{"AuditLogEntry", sizeof(AuditLogEntry), kAuditLogFields};

inline constexpr FieldDef kUserFields[] = {
    QX_TEXT(UserRecord, userId, 0),
    QX_TEXT(UserRecord, name, 15),
};
inline constexpr Layout kUserLayout{"UserRecord", sizeof(UserRecord), kUserFields};

inline constexpr FieldDef kVendor1099Fields[] = {
    QX_TEXT(Vendor1099AmountRecord, vendorCode, 0),
    QX_NUMBER(Vendor1099AmountRecord, taxYear, 11),
    QX_NUMBER(Vendor1099AmountRecord, amount, 15),
};
inline constexpr Layout kVendor1099Layout{"Vendor1099AmountRecord", sizeof(Vendor1099AmountRecord),
                                          kVendor1099Fields};

inline constexpr FieldDef kBatch1099Fields[] = {
    QX_TEXT(TagBatchForm1099, name, 0),
    QX_TEXT(TagBatchForm1099, payerName, 12),
    QX_TEXT(TagBatchForm1099, payerAddress1, 63),
    QX_TEXT(TagBatchForm1099, payerAddress2, 115),
    QX_TEXT(TagBatchForm1099, payerAddress3, 166),
    QX_NUMBER(TagBatchForm1099, createdStamp, 217),
    QX_NUMBER(TagBatchForm1099, formCount, 221),
    QX_NUMBER(TagBatchForm1099, totalAmount, 233),
    QX_CHAR(TagBatchForm1099, form1096, 241),
    QX_TEXT(TagBatchForm1099, contactName, 242),
    QX_TEXT(TagBatchForm1099, contactPhone, 283),
    QX_TEXT(TagBatchForm1099, contactLine2, 299),
};
inline constexpr Layout kBatch1099Layout{"TagBatchForm1099", sizeof(TagBatchForm1099),
                                         kBatch1099Fields};

inline constexpr FieldDef kAutoCompleteFields[] = {
    QX_NUMBER(AutoCompleteEntry, fieldId, 0),
    QX_TEXT(AutoCompleteEntry, text, 2),
};
inline constexpr Layout kAutoCompleteLayout{"AutoCompleteEntry", sizeof(AutoCompleteEntry), kAutoCompleteFields};

static_assert(ValidLayout(kAuditLogLayout));
static_assert(ValidLayout(kAutoCompleteLayout));
static_assert(ValidLayout(kUserLayout));
static_assert(ValidLayout(kVendor1099Layout));
static_assert(ValidLayout(kBatch1099Layout));

}  // namespace records
