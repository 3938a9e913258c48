// The general ledger on line: the G/L transaction of one receivables or
// payables transaction, written as the transaction is posted.
#include "qxabase/online_gl.h"


#include <cstring>
#include <string>
#include <utility>

#include "posting_internal.h"
#include "qxabase/bipo_lines.h"
#include "qxabase/bipo_posting.h"
#include "qxabase/files.h"
#include "qxabase/posting.h"
#include "qxabase/settings.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/masters.h"
#include "records/settings.h"

using namespace qxb::posting;
using records::GLLine;
using records::RecPayDetail;
using records::TagBiPoHeader;
using records::TagGLHeader;
using records::TagRecPayHeader;

static_assert(sizeof(GLLine) == sizeof(RecPayDetail), "a detail line is handed on as a G/L line");
static_assert(offsetof(records::SysPrefsRecord, glOnLine) ==
              records::SysPrefsRecord::kFlagsOffset + kSysFlagGLOnLine);

namespace {

constexpr int kReceivables = 1;

int OpenOwn(int fileNo, BtrvHandle* handle) {
  if (*handle != 0) return kStatusOk;
  const char* path = FilePathGet(fileNo);
  if (path == nullptr || *path == '\0') return kStatusFileNotFound;
  return BtrvOpen(handle, path, kOpenNormal, 0);
}

// A comment line's code: it begins with 'C' and names no account on file.
bool IsCommentCode(BtrvHandle accounts, const char* code) {
  if (code[0] != 'C') return false;
  records::GLAccount account{};
  TagPostWork work{};
  const int status = PostReadAccount(1, accounts, code, &account, &work);
  return status == kStatusKeyNotFound || status == kStatusEndOfFile;
}

}  // namespace

CBaseGL::~CBaseGL() {
  for (BtrvHandle h : {glHeaders_, glLines_, sequences_, accounts_, details_[0], details_[1], biPoLines_[0],
                       biPoLines_[1], codes_[0], codes_[1], parties_[0], parties_[1], products_, services_,
                       taxCodes_})
    if (h != 0) BtrvClose(h);
}

bool CBaseGL::IsOnLine() const { return SysFlagGet(kSysFlagGLOnLine) != 0; }

void CBaseGL::SetPostRef(const char* reference) {
  records::SetText(reference_, reference ? std::string_view(reference, strnlen(reference, sizeof reference_ - 1)) : "");
}

int CBaseGL::Open() {
  for (auto [fileNo, handle] : {std::pair{records::kFileGLHeaders, &glHeaders_},
                                std::pair{records::kFileGLLines, &glLines_},
                                std::pair{records::kFileTranSequences, &sequences_},
                                std::pair{records::kFileGLAccounts, &accounts_}}) {
    if (const int status = OpenOwn(fileNo, handle); status != kStatusOk) return status;
  }
  return kStatusOk;
}

int CBaseGL::WriteHeader(const char* journal, std::int32_t date, TagGLHeader* gl, TagPostWork* work) {
  *gl = TagGLHeader{};
  records::SetPadded(gl->journalCode, journal);
  if (const int status = GLTranHeaderCreate(sequences_, gl->transactionNumber, gl, work); status != kStatusOk)
    return status;
  gl->date = date;
  std::memcpy(gl->reference, reference_, sizeof reference_);
  gl->postedFlag = 'N';
  gl->sourceFlag = 'N';
  gl->checkFlag = 'N';
  gl->journalPrinted = date;
  if (const int status = GLTranDetailCreate(glHeaders_, gl, work); status != kStatusOk) return status;
  key_ = TransactionKey(*gl);
  return kStatusOk;
}

bool CBaseGL::UpdateFromArTran(const TagRecPayHeader* header) { return UpdateFromTran(kReceivables, header); }
bool CBaseGL::UpdateFromApTran(const TagRecPayHeader* header) { return UpdateFromTran(2, header); }

bool CBaseGL::UpdateFromTran(int ledger, const TagRecPayHeader* header) {
  try {
    result_ = kStatusOk;
    if (header == nullptr) return (result_ = kStatusInvalidOperation) == kStatusOk;
    const bool receivables = ledger == kReceivables;
    BtrvHandle& details = details_[receivables ? 0 : 1];
    int status = Open();
    if (status == kStatusOk)
      status = OpenOwn(receivables ? records::kFileReceivablesDetails : records::kFilePayablesDetails, &details);
    if (status != kStatusOk) return (result_ = status) == kStatusOk;

    const char* journal = receivables ? "AR" : "AP";
    TagPostWork work{};
    TagGLHeader gl{};
    if (WriteHeader(journal, header->date, &gl, &work) != kStatusOk) return (result_ = work.status) == kStatusOk;

    // The detail lines of the transaction follow each other in key 0: the
    // ledger code blank-padded to 7 and the transaction number.
    std::string key(255, '\0');
    std::memset(key.data(), ' ', 7);
    std::memcpy(key.data(), journal, 2);
    std::memcpy(key.data() + 7, header->transactionNumber, sizeof header->transactionNumber);
    if (BtrvGetKey(details) != 0) BtrvSetKey(details, 0, -1);
    CBaseCheckReg checks;
    int debitCounter = 1, creditCounter = 10000;
    RecPayDetail detail{};
    status = BtrvGetOp(kOpGetGreaterOrEqual, details, key.data(), &detail, sizeof detail);
    while (status == kStatusOk && records::Trimmed(detail.ledgerCode) == journal &&
           records::Trimmed(detail.transactionNumber) == records::Trimmed(header->transactionNumber)) {
      if (!IsCommentCode(accounts_, detail.account)) {
        GLLine line{};
        std::memcpy(&line, &detail, sizeof line);
        std::memcpy(line.journalCode, gl.journalCode, sizeof line.journalCode);
        std::memcpy(line.transactionNumber, gl.transactionNumber, sizeof line.transactionNumber);
        line.date = gl.date;
        if (PostGLLine(0, glLines_, &debitCounter, &creditCounter, &line, &work) != kStatusOk)
          return (result_ = work.status) == kStatusOk;
      }
      // A check of the transaction is posted in the register; one the
      // register does not hold leaves nothing to mark.
      if (detail.checkNumber > 0 && !checks.Post(detail.checkNumber, nullptr) &&
          checks.GetResult() != kStatusKeyNotFound)
        return (result_ = checks.GetResult()) == kStatusOk;
      status = BtrvGetOp(kOpGetNext, details, key.data(), &detail, sizeof detail);
    }
    if (status != kStatusOk && status != kStatusEndOfFile) return (result_ = status) == kStatusOk;
    return true;
  } catch (...) {
    result_ = kStatusIoError;
    return false;
  }
}

bool CBaseGL::ReadGLHeader(const char* key, TagGLHeader* header) {
  try {
    result_ = kStatusOk;
    // The number of a key may end in its NUL: the key is its 18 bytes.
    if (key == nullptr || header == nullptr || *key == '\0') return (result_ = kStatusKeyNotFound) == kStatusOk;
    if (const int status = Open(); status != kStatusOk) return (result_ = status) == kStatusOk;
    KeyLookup lookup(glHeaders_);
    result_ = lookup.Find(std::string(key, 18), header);
    return result_ == kStatusOk;
  } catch (...) {
    result_ = kStatusIoError;
    return false;
  }
}

// --- Billing and purchasing ------------------------------------------------------------------

int CBaseGL::OpenBiPo(bool purchasing) {
  const int i = purchasing ? 1 : 0;
  for (auto [fileNo, handle] :
       {std::pair{purchasing ? records::kFilePurchasingLines : records::kFileBillingLines, &biPoLines_[i]},
        std::pair{purchasing ? records::kFilePurchasingCodes : records::kFileBillingCodes, &codes_[i]},
        std::pair{purchasing ? records::kFileVendors : records::kFileCustomers, &parties_[i]},
        std::pair{records::kFileProducts, &products_}, std::pair{records::kFileServices, &services_},
        std::pair{records::kFileTaxCodes, &taxCodes_}}) {
    if (const int status = OpenOwn(fileNo, handle); status != kStatusOk) return status;
  }
  return Open();
}

bool CBaseGL::UpdateFromBiTran(const TagBiPoHeader* header) { return UpdateFromBiPoTran(false, header); }
bool CBaseGL::UpdateFromPoTran(const TagBiPoHeader* header) { return UpdateFromBiPoTran(true, header); }

bool CBaseGL::UpdateFromBiPoTran(bool purchasing, const TagBiPoHeader* header) {
  try {
    result_ = kStatusOk;
    if (header == nullptr) return (result_ = kStatusInvalidOperation) == kStatusOk;
    const int kind = BiPoKindOf(purchasing, header->typeLetter);
    if (kind == kBiPoNotPosted) return (result_ = kStatusInvalidOperation) == kStatusOk;
    if (const int status = OpenBiPo(purchasing); status != kStatusOk) return (result_ = status) == kStatusOk;
    const int i = purchasing ? 1 : 0;
    auto fail = [this](int status) { return (result_ = status) == kStatusOk; };

    records::InterfaceRecord iface{};
    if (const int status = SettingsRecordRead(kSettingsRead, 0, sizeof iface, "0Interface", &iface);
        status != kStatusOk)
      return fail(status);
    TagPostWork work{};
    const std::string partyCode(Trim(header->custVendCode));
    records::CustVendRecord party{};
    const int partyFile = purchasing ? records::kFileVendors : records::kFileCustomers;
    int status = PostReadRecordWork(parties_[i], partyFile, partyCode.c_str(), &party, &work);
    if (status != kStatusOk && status != kStatusKeyNotFound) return fail(status);
    BiPoLedgerLines ledger(purchasing, iface);
    ledger.Begin(kind, *header, status == kStatusOk ? &party : nullptr);

    BiPoLineWalk walk(biPoLines_[i], purchasing ? records::kFilePurchasingHeaders : records::kFileBillingHeaders,
                      *header);
    records::BiPoLine line{};
    while ((status = walk.Next(&line)) == kStatusOk) {
      const std::string item(Trim(line.item));
      if (line.IsProductLine()) {
        records::TagProduct product{};
        if (int s = PostReadRecordWork(products_, records::kFileProducts, item.c_str(), &product, &work)) return fail(s);
        ledger.ProductLine(line, purchasing ? 0.0 : static_cast<double>(line.extendedCost), product);
      } else if (line.lineKind == records::BiPoLine::kServiceLine) {
        records::ServiceRecord service{};
        if (int s = PostReadRecordWork(services_, records::kFileServices, item.c_str(), &service, &work)) return fail(s);
        ledger.ServiceLine(line, service.AccountSegment().data());
      } else if (line.lineKind == records::BiPoLine::kCodeLine) {
        records::PricedCode code{};
        const std::string codeText(line.CodeOfKindFour());
        const int codeFile = purchasing ? records::kFilePurchasingCodes : records::kFileBillingCodes;
        if (int s = PostReadRecordWork(codes_[i], codeFile, codeText.c_str(), &code, &work)) return fail(s);
        ledger.CodeLine(line, code.glAccount);
      }
    }
    if (status != kStatusEndOfFile) return fail(status);
    if (!NumIsZero(header->tax)) {
      records::TaxCode tax{};
      const std::string taxCode(Trim(header->taxCode));
      if (int s = PostReadRecordWork(taxCodes_, records::kFileTaxCodes, taxCode.c_str(), &tax, &work)) return fail(s);
      ledger.Tax(&tax);
    }
    ledger.PaymentAndFreight();
    ledger.Summary();

    TagGLHeader gl{};
    if (WriteHeader(purchasing ? "PO" : "BI", header->date, &gl, &work) != kStatusOk) return fail(work.status);
    int debitCounter = 1, creditCounter = 1000;
    for (GLLine l : ledger.Lines()) {
      std::memcpy(l.journalCode, gl.journalCode, sizeof l.journalCode);
      std::memcpy(l.transactionNumber, gl.transactionNumber, sizeof l.transactionNumber);
      l.date = gl.date;
      if (PostGLLine(1, glLines_, &debitCounter, &creditCounter, &l, &work) != kStatusOk) return fail(work.status);
    }
    return true;
  } catch (...) {
    result_ = kStatusIoError;
    return false;
  }
}
