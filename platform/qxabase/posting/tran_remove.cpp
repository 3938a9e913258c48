// Removal services: a transaction taken out with its lines (cash, assembly),
// a serial-numbered unit with its movements, and the check register's old
// entries.  They remove the records and nothing else: what a posted
// transaction did to the books stays done.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "oemtext.h"
#include "posting_internal.h"
#include "qxabase/cash_services.h"
#include "qxabase/files.h"
#include "qxabase/posting.h"
#include "qxabase/purge_services.h"
#include "records/dictionary.h"

using namespace qxb::posting;

std::string qxb::posting::KeyPrefixImage(const records::FileDef& file, const void* record, std::size_t n) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  std::string image(reinterpret_cast<const char*>(bytes), n);
  for (const records::KeySegment& s : file.keys[0].Segments()) {
    for (std::size_t i = s.offset; i < std::size_t{s.offset} + s.length && i < n; ++i) {
      if (s.type != kKeyTypeString) continue;
      unsigned char c = bytes[i] == 0 ? ' ' : bytes[i];
      if (s.noCase) c = oem::ToUpper(c);
      image[i] = static_cast<char>(c);
    }
  }
  return image;
}

int RelatedRecordsRemove(BtrvHandle handle, int fileNo, const void* owner, std::size_t n, TagPostWork* work) {
  const records::FileDef& file = *records::FindFile(fileNo);
  const std::string want = KeyPrefixImage(file, owner, n);
  std::vector<unsigned char> record(file.recordLength);
  char key[255] = {};
  std::memcpy(key, owner, n);
  BtrvKeyScope keyScope(handle);
  if (BtrvGetKey(handle) != 0) BtrvSetKey(handle, 0, -1);
  int op = kOpGetGreaterOrEqual;
  int status = BtrvGetOp(op, handle, key, record.data(), file.recordLength);
  while (status == kStatusOk && KeyPrefixImage(file, record.data(), n) == want) {
    op = kOpDelete;
    status = BtrvWriteOp(kOpDelete, handle, nullptr, nullptr, 0);
    if (status != kStatusOk) break;
    // The walk goes on from the record just deleted.
    op = kOpGetNext;
    status = BtrvGetOp(op, handle, key, record.data(), file.recordLength);
  }
  if (status != kStatusOk && status != kStatusEndOfFile) return Fail(work, fileNo, op, status);
  return kStatusOk;
}

int KeyedRecordRemove(BtrvHandle handle, int fileNo, const void* record, std::size_t n, TagPostWork* work) {
  const records::FileDef& file = *records::FindFile(fileNo);
  std::vector<unsigned char> current(file.recordLength);
  unsigned char place[4] = {};
  if (BtrvPosition(kOpGetDirect, handle, place) == kStatusOk) {
    std::memcpy(current.data(), place, sizeof place);
    char key[255] = {};
    if (BtrvGetOp(kOpGetDirect, handle, key, current.data(), file.recordLength) == kStatusOk &&
        KeyPrefixImage(file, current.data(), n) == KeyPrefixImage(file, record, n)) {
      const int status = BtrvWriteOp(kOpDelete, handle, nullptr, nullptr, 0);
      return status == kStatusOk ? kStatusOk : Fail(work, fileNo, kOpDelete, status);
    }
  }
  KeyLookup lookup(handle);
  int status = lookup.Find(std::string(static_cast<const char*>(record), n), current.data());
  if (status != kStatusOk) return Fail(work, fileNo, kOpGetEqual, status);
  status = BtrvWriteOp(kOpDelete, handle, nullptr, nullptr, 0);
  return status == kStatusOk ? kStatusOk : Fail(work, fileNo, kOpDelete, status);
}

namespace {

// A transaction whose lines begin with its header's key 0 (the header's
// first `n` bytes): the lines, then the header, as one unit.
int RemoveWithLines(BtrvHandle headers, int headerFileNo, BtrvHandle lines, int lineFileNo, const void* header,
                    std::size_t n, TagPostWork* work) {
  return Guarded(work, headerFileNo, kOpDelete, [&]() -> int {
    Clear(work);
    if (header == nullptr) return Fail(work, headerFileNo, kOpDelete, kStatusInvalidOperation);
    SetKey(work, Trim(static_cast<const char*>(header), n));
    ServiceUnit unit;
    if (const int status = unit.Begin(); status != kStatusOk) return Fail(work, 0, kOpBeginTransaction, status);
    if (const int status = RelatedRecordsRemove(lines, lineFileNo, header, n, work); status != kStatusOk) return status;
    if (const int status = KeyedRecordRemove(headers, headerFileNo, header, n, work); status != kStatusOk) return status;
    if (const int status = unit.Commit(); status != kStatusOk)
      return Fail(work, headerFileNo, kOpEndTransaction, status);
    return kStatusOk;
  });
}

}  // namespace

int PostAssemblyTranRemove(int /*mode*/, BtrvHandle headers, BtrvHandle components,
                           const records::AssemblyHeader* header, TagPostWork* work) {
  return RemoveWithLines(headers, records::kFileAssemblyHeaders, components, records::kFileAssemblyComponents, header,
                         sizeof header->transactionNumber, work);
}

int OpenInvoiceRemove(int /*mode*/, BtrvHandle headers, BtrvHandle lines, BtrvHandle /*openInvoices*/,
                      int /*reserved*/, const records::CashHeader* header, records::CashLine* /*line*/,
                      void* /*spare*/, TagPostWork* work) {
  constexpr std::size_t kTransactionKey = sizeof header->journalCode + sizeof header->transactionNumber;
  return RemoveWithLines(headers, records::kFileCashHeaders, lines, records::kFileCashLines, header, kTransactionKey,
                         work);
}

int SerialRecordRemove(BtrvHandle serials, BtrvHandle movements, const records::SerialNumber* record, void* /*work*/,
                       void* /*spare*/, int /*reserved*/) {
  if (record == nullptr) return kStatusInvalidOperation;
  constexpr std::size_t kUnitKey = sizeof record->productCode + sizeof record->serialNumber;
  TagPostWork work;
  if (const int status = RelatedRecordsRemove(movements, records::kFileSerialMovements, record, kUnitKey, &work);
      status != kStatusOk)
    return status;
  return KeyedRecordRemove(serials, records::kFileSerialNumbers, record, kUnitKey, &work);
}

bool CBaseCheckReg::Purge(std::int32_t through, const char* bankAccount) {
  purged_ = 0;
  TagPostWork work;
  result_ = Guarded(&work, records::kFileCheckRegister, kOpDelete, [&]() -> int {
    if (const int status = Open(); status != kStatusOk) return status;
    const std::string bank(bankAccount ? Trim(bankAccount, strnlen(bankAccount, 11)) : std::string_view());
    char key[255] = {};
    std::memcpy(key, bank.data(), bank.size());
    BtrvKeyScope keyScope(handle_);
    if (BtrvGetKey(handle_) != 0) BtrvSetKey(handle_, 0, -1);
    records::TagCheckRegister entry{};
    int status = BtrvGetOp(kOpGetGreaterOrEqual, handle_, key, &entry, sizeof entry);
    while (status == kStatusOk && oem::CompareText(std::string(Trim(entry.bankAccount)), bank) == 0) {
      if (entry.date <= through && !entry.IsOpen()) {
        ServiceUnit unit;
        if (status = unit.Begin(); status != kStatusOk) return status;
        if (status = BtrvWriteOp(kOpDelete, handle_, nullptr, nullptr, 0); status != kStatusOk) return status;
        if (status = unit.Commit(); status != kStatusOk) return status;
        ++purged_;
      }
      status = BtrvGetOp(kOpGetNext, handle_, key, &entry, sizeof entry);
    }
    return status == kStatusEndOfFile ? kStatusOk : status;
  });
  return result_ == kStatusOk;
}
