// The one-time upgrade of base file 93 to the current record format.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "btrvc.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "shell/components.h"

namespace qxa {
namespace {

constexpr std::uint16_t kNewRecordLength = 98;
constexpr std::uint16_t kNewPageSize = 4096;
// Room for the file specification, every key segment a file can have and
// the collating sequence.
constexpr std::size_t kStatBufferSize = kFileSpecSize + 128 * kKeySegmentSize + kCollatingSequenceSize;

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// A record file handle closed on every way out.
class RecordFile {
 public:
  RecordFile() = default;
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;
  ~RecordFile() { Close(); }
  int Open(const std::string& path, int mode = kOpenNormal) { return BtrvOpen(&handle_, path.c_str(), mode, 0); }
  void Close() {
    if (handle_) BtrvClose(handle_);
    handle_ = 0;
  }
  BtrvHandle handle() const { return handle_; }

 private:
  BtrvHandle handle_ = 0;
};

// The new file's name: the old one's with the extension ".V11".
std::string ConvertedPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  const std::size_t stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : path.size();
  return path.substr(0, stem) + ".V11";
}

// The bytes of the key segments (and collating sequence) that follow the
// file specification of a statistics buffer, for a file of `keys` keys.
std::vector<unsigned char> KeySpecifications(const unsigned char* stat, unsigned keys) {
  const unsigned char* segments = stat + kFileSpecSize;
  std::size_t count = 0;
  bool collating = false;
  for (unsigned key = 0; key < keys; ++key) {
    // A key's segments run until one without the segmented flag.
    for (;;) {
      if (kFileSpecSize + (count + 1) * kKeySegmentSize > kStatBufferSize - kCollatingSequenceSize) return {};
      const std::uint16_t flags = U16(segments + count * kKeySegmentSize + 4);
      collating |= (flags & kKeyFlagAltCollating) != 0;
      ++count;
      if (!(flags & kKeyFlagSegmented)) break;
    }
  }
  std::size_t size = count * kKeySegmentSize + (collating ? kCollatingSequenceSize : 0);
  return std::vector<unsigned char>(segments, segments + size);
}

}  // namespace

int ConvertBaseFiles() { return UpgradeBaseFile(FilePathGet(kFileBaseConvert)); }

int UpgradeBaseFile(const char* path) {
  if (!path || !*path || BtrvFileExists(path) != kStatusOk) return 1;
  // Only read: a file of the current format (an installation's, which
  // nobody may write) is left as it is.
  RecordFile old;
  if (int s = old.Open(path, kOpenReadOnly)) {
    MsgRecordError(s, 1, kErrorOpOpen, kFileBaseConvert, 0);
    return 0;
  }
  std::vector<unsigned char> stat(kStatBufferSize, 0);
  if (int s = BtrvStat(old.handle(), stat.data(), static_cast<unsigned>(stat.size()))) {
    MsgRecordError(s, 1, kOpStat, kFileBaseConvert, 0);
    return 0;
  }
  if (stat[5] >= kFormatVersionCurrent) return 1;

  const std::uint16_t oldLength = U16(stat.data());
  const unsigned keys = stat[4];
  std::vector<unsigned char> keySpecs = KeySpecifications(stat.data(), keys);
  unsigned char spec[kFileSpecSize] = {};
  spec[0] = kNewRecordLength & 0xFF;
  spec[1] = kNewRecordLength >> 8;
  spec[2] = kNewPageSize & 0xFF;
  spec[3] = kNewPageSize >> 8;
  spec[4] = static_cast<unsigned char>(keys);

  // A ".V11" file left by an attempt that was cut short is replaced.
  const std::string converted = ConvertedPath(path);
  if (BtrvCreate(converted.c_str(), spec, keySpecs.data(), true) != kStatusOk) return 0;
  int status = kStatusOk;
  {
    RecordFile next;
    if (int s = next.Open(converted)) {
      old.Close();
      BtrvFileDelete(converted.c_str());
      MsgRecordError(s, 1, kErrorOpOpen, kFileBaseConvert, 0);
      return 0;
    }
    // The record buffer holds the longest old record and at least a new one;
    // bytes an old record does not fill stay zero in the new one.
    std::vector<unsigned char> record(std::max<std::size_t>(oldLength, kNewRecordLength) + 1, 0);
    std::vector<unsigned char> key(256, 0);
    int op = kOpGetFirst;
    for (;;) {
      status = BtrvGetOp(op, old.handle(), key.data(), record.data(), static_cast<unsigned>(record.size()));
      if (status != kStatusOk) break;
      status = BtrvWriteOp(kOpInsert, next.handle(), nullptr, record.data(), kNewRecordLength);
      if (status != kStatusOk) break;
      op = kOpGetNext;
    }
  }
  old.Close();
  // Only a copy that reached the end of the old file replaces it; the rename
  // replaces it in one step, so the old file is there until the new one is.
  if (status != kStatusEndOfFile || BtrvFileRename(converted.c_str(), path) != kStatusOk) {
    BtrvFileDelete(converted.c_str());
    return 0;
  }
  return 1;
}

}  // namespace qxa
