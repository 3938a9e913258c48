// PostTranRead: the header walk of a posting run, and the unit of each
// header it hands out.
#include <cstring>

#include "posting_internal.h"
#include "qxabase/posting.h"
#include "qxabase/tables.h"
#include "records/transactions.h"

using namespace qxb::posting;

int PostTranRead(int /*deleteFlag*/, int op, BtrvHandle handle, int headerFileNo, void* key, void* header,
                 const records::FiscalPeriodInfo* period, TagPostWork* work) {
  return Guarded(work, headerFileNo, op, [&]() -> int {
    RunState& r = Run();
    r.walkedLines.valid = false;
    // The header handed out last is done once its caller asks for another:
    // its unit is complete.
    if (const int status = UnitCommit(); status != kStatusOk) {
      r.walked.valid = false;
      if (work) work->result = kPostStop;
      return Fail(work, headerFileNo, kOpEndTransaction, status);
    }
    r.walked.valid = false;

    unsigned char scratch[255] = {};
    unsigned char* keyBuffer = key ? static_cast<unsigned char*>(key) : scratch;
    int readOp = op;
    if (op != kOpGetNext) {
      readOp = kOpGetGreaterOrEqual;
      // Starting at the period's first day: a walk that began at the file's
      // first header would end at once on any header dated before the period.
      const records::HeaderTraits* traits = records::HeaderTraitsOf(headerFileNo);
      if (traits && period && traits->dateKey >= 0 && BtrvGetKey(handle) == traits->dateKey) {
        std::memset(keyBuffer, 0, 255);
        const std::int32_t first = period->startDate;
        std::memcpy(keyBuffer, &first, sizeof first);
      }
    }
    const int status = RecordRead(headerFileNo, readOp, handle, keyBuffer, header, 0);
    if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return status;
    if (status != kStatusOk) return Fail(work, headerFileNo, readOp, status);

    unsigned char place[4];
    if (BtrvPosition(kOpGetDirect, handle, place) == kStatusOk) {
      r.walked.handle = handle;
      r.walked.fileNo = headerFileNo;
      std::memcpy(&r.walked.position, place, 4);
      r.walked.key.clear();
      if (headerFileNo == records::kFileGLHeaders)
        r.walked.key = TransactionKey(*static_cast<const records::TagGLHeader*>(header));
      r.walked.valid = true;
    }
    if (const int begin = UnitBegin(); begin != kStatusOk) {
      r.walked.valid = false;
      return Fail(work, headerFileNo, kOpBeginTransaction, begin);
    }
    return kStatusOk;
  });
}
