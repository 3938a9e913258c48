// The lines of one billing, purchasing, purchase-order or quote transaction,
// found by the header's line key and checked against a copy of it.
#include "qxabase/bipo_lines.h"

#include <cstddef>
#include <cstring>

#include "posting_internal.h"
#include "records/dictionary.h"

using qxb::posting::KeyPrefixImage;
using records::BiPoLine;

namespace {

// The line key: type letter, transaction number and third key part, the
// bytes of a line before its sequence.
constexpr std::size_t kLineKey = offsetof(BiPoLine, sequence);

}  // namespace

BiPoLineWalk::BiPoLineWalk(BtrvHandle lines, int headerFileNo, const records::TagBiPoHeader& header)
    : lines_(lines), savedKey_(BtrvGetKey(lines)) {
  BiPoLine probe{};
  probe.typeLetter = header.LineTypeLetter(headerFileNo);
  std::memcpy(probe.transactionNumber, header.transactionNumber, sizeof probe.transactionNumber);
  probe.keyPart = header.keyPart;
  std::memcpy(key_, &probe, kLineKey);
  const int lineFileNo = records::BiPoLineFileOf(headerFileNo);
  if (lineFileNo == 0) return;
  file_ = records::FindFile(lineFileNo);
  sought_ = KeyPrefixImage(*file_, key_, kLineKey);
  if (savedKey_ > 0) BtrvSetKey(lines_, 0, -1);
}

BiPoLineWalk::~BiPoLineWalk() {
  if (file_ != nullptr && savedKey_ > 0) BtrvSetKey(lines_, savedKey_, -1);
}

int BiPoLineWalk::LineFileNo() const { return file_ != nullptr ? file_->number : 0; }

int BiPoLineWalk::Next(BiPoLine* line) {
  if (file_ == nullptr) return kStatusInvalidOperation;
  if (done_) return kStatusEndOfFile;
  op_ = started_ ? kOpGetNext : kOpGetGreaterOrEqual;
  const int status = BtrvGetOp(op_, lines_, key_, line, sizeof *line);
  if (status != kStatusOk) {
    done_ = status == kStatusEndOfFile;
    return status;
  }
  // The key buffer now holds the key of the line read, from which get-next
  // goes on; whether the line belongs is told by the copy.
  started_ = true;
  if (KeyPrefixImage(*file_, line, kLineKey) != sought_) {
    done_ = true;
    return kStatusEndOfFile;
  }
  return kStatusOk;
}
