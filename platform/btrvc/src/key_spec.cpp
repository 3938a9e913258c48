#include "key_spec.h"

#include <cstring>
#include <limits>

#include "btrvc.h"
#include "oemtext.h"

namespace btrvc {
namespace {

constexpr int kMaxKeys = 119;
constexpr std::size_t kMaxKeyLength = 255;
constexpr std::size_t kSequenceHeader = 9;  // 0xAC and the 8-character name

std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// The segment's kind from its flags and extended type; -1 for a type this
// client does not know.
int KindOf(std::uint16_t flags, std::uint8_t type, SegmentKind& kind) {
  if (!(flags & kKeyFlagExtendedType)) {
    kind = (flags & kKeyFlagBinary) ? SegmentKind::kUnsigned : SegmentKind::kString;
    return 0;
  }
  switch (type) {
    case kKeyTypeString: kind = SegmentKind::kString; return 0;
    case kKeyTypeZString: kind = SegmentKind::kZString; return 0;
    case kKeyTypeInteger: kind = SegmentKind::kSigned; return 0;
    case kKeyTypeUnsigned: kind = SegmentKind::kUnsigned; return 0;
    case kKeyTypeFloat: kind = SegmentKind::kFloat; return 0;
    default: return -1;
  }
}

bool IsPowerLength(std::uint16_t n) { return n == 1 || n == 2 || n == 4 || n == 8; }

// Reads the keys' segments.  `available` bounds the bytes that may be read
// (the specification of BtrvCreate has no length: unbounded there).
int ParseKeys(const unsigned char* p, std::size_t available, int keyCount,
              std::uint16_t recordLength, std::vector<Key>& keys, std::string& segmentBytes,
              std::size_t& consumed, bool& needsSequence) {
  consumed = 0;
  needsSequence = false;
  keys.clear();
  segmentBytes.clear();
  for (int k = 0; k < keyCount; ++k) {
    Key key;
    for (bool more = true; more;) {
      if (consumed + kKeySegmentSize > available) return kStatusInvalidKeyLength;
      const unsigned char* s = p + consumed;
      Segment seg;
      const std::uint16_t position = U16(s);
      seg.length = U16(s + 2);
      seg.flags = U16(s + 4);
      seg.extendedType = s[10];
      seg.nullValue = s[11];
      if (KindOf(seg.flags, seg.extendedType, seg.kind) != 0) return kStatusKeyTypeError;
      if (seg.length == 0) return kStatusInvalidKeyLength;
      if ((seg.kind == SegmentKind::kSigned || (seg.kind == SegmentKind::kUnsigned &&
                                                (seg.flags & kKeyFlagExtendedType))) &&
          !IsPowerLength(seg.length))
        return kStatusInvalidKeyLength;
      if (seg.kind == SegmentKind::kFloat && seg.length != 4 && seg.length != 8)
        return kStatusInvalidKeyLength;
      if (position == 0 || position - 1 + seg.length > recordLength)
        return kStatusInvalidRecordLength;
      seg.offset = static_cast<std::uint16_t>(position - 1);
      if (key.segments.empty()) {
        key.duplicates = seg.flags & kKeyFlagDuplicates;
        key.modifiable = seg.flags & kKeyFlagModifiable;
        key.nullKey = seg.flags & kKeyFlagNullKey;
      } else if (key.duplicates != bool(seg.flags & kKeyFlagDuplicates) ||
                 key.modifiable != bool(seg.flags & kKeyFlagModifiable) ||
                 key.nullKey != bool(seg.flags & kKeyFlagNullKey)) {
        return kStatusInconsistentKeyFlags;
      }
      if (seg.flags & kKeyFlagAltCollating) needsSequence = true;
      key.length = static_cast<std::uint16_t>(key.length + seg.length);
      if (key.length > kMaxKeyLength) return kStatusInvalidKeyLength;
      more = seg.flags & kKeyFlagSegmented;
      key.segments.push_back(seg);
      // The distinct-value count (bytes 6-9) is statistics, not specification.
      std::string bytes(reinterpret_cast<const char*>(s), kKeySegmentSize);
      std::memset(bytes.data() + 6, 0, 4);
      std::memset(bytes.data() + 12, 0, 4);
      bytes[4] = static_cast<char>(bytes[4] & ~kKeyFlagSupplemental);
      segmentBytes += bytes;
      consumed += kKeySegmentSize;
    }
    keys.push_back(std::move(key));
  }
  return 0;
}

int AttachSequence(const unsigned char* p, std::vector<Key>& keys, std::string& sequence) {
  if (p[0] != 0xAC) return kStatusInvalidCollatingSequence;
  sequence.assign(reinterpret_cast<const char*>(p), kCollatingSequenceSize);
  for (Key& key : keys) {
    for (const Segment& seg : key.segments) {
      if (seg.flags & kKeyFlagAltCollating) key.collating = sequence.substr(kSequenceHeader);
    }
  }
  return 0;
}

// Appends the ordered form of one segment read from `src` (every kind
// encodes to as many bytes as the segment is long).
void EncodeSegment(const Segment& seg, const std::string& collating, const unsigned char* src,
                   std::string& out) {
  const std::size_t start = out.size();
  const std::size_t n = seg.length;
  out.resize(start + n);
  auto* dst = reinterpret_cast<unsigned char*>(out.data() + start);
  const bool alternate = (seg.flags & kKeyFlagAltCollating) && !collating.empty();
  const bool noCase = seg.flags & kKeyFlagNoCase;
  auto mapText = [&](unsigned char c) -> unsigned char {
    if (alternate) return static_cast<unsigned char>(collating[c]);
    if (noCase) return oem::ToUpper(c);
    return c;
  };
  switch (seg.kind) {
    case SegmentKind::kString: {
      std::size_t end = n;
      while (end > 0 && (src[end - 1] == 0 || src[end - 1] == ' ')) --end;
      for (std::size_t i = 0; i < end; ++i) dst[i] = mapText(src[i]);
      if (end < n) std::memset(dst + end, mapText(' '), n - end);
      break;
    }
    case SegmentKind::kZString: {
      std::size_t end = 0;
      while (end < n && src[end] != 0) ++end;
      for (std::size_t i = 0; i < end; ++i) dst[i] = mapText(src[i]);
      if (end < n) std::memset(dst + end, 0, n - end);
      break;
    }
    case SegmentKind::kSigned:
      for (std::size_t i = 0; i < n; ++i) dst[i] = src[n - 1 - i];
      dst[0] ^= 0x80;
      break;
    case SegmentKind::kUnsigned:
      for (std::size_t i = 0; i < n; ++i) dst[i] = src[n - 1 - i];
      break;
    case SegmentKind::kFloat: {
      std::uint64_t bits = 0;
      for (std::size_t i = n; i-- > 0;) bits = bits << 8 | src[i];
      const std::uint64_t sign = std::uint64_t{1} << (n * 8 - 1);
      const std::uint64_t all = n == 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (n * 8)) - 1;
      if (bits == sign) bits = 0;  // -0 sorts and matches as +0
      bits = (bits & sign) ? (~bits & all) : (bits | sign);
      for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<unsigned char>(bits >> ((n - 1 - i) * 8));
      break;
    }
  }
  if (seg.flags & kKeyFlagDescending) {
    for (std::size_t i = 0; i < n; ++i) dst[i] = static_cast<unsigned char>(~dst[i]);
  }
}

}  // namespace

std::size_t Key::Extent() const {
  std::size_t end = 0;
  for (const Segment& s : segments) end = std::max<std::size_t>(end, s.offset + s.length);
  return end;
}

bool Key::EncodeRecord(const unsigned char* record, std::string& out) const {
  if (nullKey) {
    bool allNull = true;
    for (const Segment& s : segments) {
      for (std::size_t i = 0; i < s.length && allNull; ++i)
        allNull = record[s.offset + i] == s.nullValue;
    }
    if (allNull) return false;
  }
  for (const Segment& s : segments) EncodeSegment(s, collating, record + s.offset, out);
  return true;
}

void Key::EncodeImage(const unsigned char* image, std::string& out) const {
  for (const Segment& s : segments) {
    EncodeSegment(s, collating, image, out);
    image += s.length;
  }
}

void Key::CopyImage(const unsigned char* record, unsigned char* image) const {
  for (const Segment& s : segments) {
    std::memcpy(image, record + s.offset, s.length);
    image += s.length;
  }
}

bool FileLayout::VariableLength() const { return fileFlags & kFileFlagVariableLength; }

std::size_t FileLayout::MinimumRecord() const {
  std::size_t end = 0;
  for (const Key& k : keys) end = std::max(end, k.Extent());
  return end;
}

int ParseFileSpec(const unsigned char* fileSpec, const unsigned char* keySpecs, FileLayout& out) {
  out = FileLayout{};
  out.recordLength = U16(fileSpec);
  out.pageSize = U16(fileSpec + 2);
  const int keyCount = fileSpec[4];
  out.formatVersion = fileSpec[5] ? fileSpec[5] : kFormatVersionCurrent;
  out.fileFlags = U16(fileSpec + 10);
  if (out.recordLength == 0) return kStatusInvalidRecordLength;
  if (keyCount > kMaxKeys) return kStatusInvalidKeyNumber;
  if (keyCount > 0 && keySpecs == nullptr) return kStatusInvalidKeyLength;
  std::size_t consumed = 0;
  bool needsSequence = false;
  if (int st = ParseKeys(keySpecs, std::numeric_limits<std::size_t>::max(), keyCount,
                         out.recordLength, out.keys, out.segmentBytes, consumed, needsSequence))
    return st;
  if (needsSequence) return AttachSequence(keySpecs + consumed, out.keys, out.collating);
  return 0;
}

int ParseIndexSpec(const unsigned char* spec, std::size_t length, std::uint16_t recordLength,
                   Key& out, std::string& segmentBytes) {
  if (spec == nullptr) return kStatusInvalidKeyLength;
  std::vector<Key> keys;
  std::size_t consumed = 0;
  bool needsSequence = false;
  if (int st = ParseKeys(spec, length, 1, recordLength, keys, segmentBytes, consumed, needsSequence))
    return st;
  if (needsSequence) {
    if (consumed + kCollatingSequenceSize > length) return kStatusInvalidCollatingSequence;
    std::string sequence;
    if (int st = AttachSequence(spec + consumed, keys, sequence)) return st;
  }
  out = std::move(keys.front());
  return 0;
}

int LoadLayout(std::uint16_t recordLength, std::uint16_t pageSize, std::uint8_t formatVersion,
               std::uint16_t fileFlags, int keyCount, const std::string& segmentBytes,
               const std::string& collating, FileLayout& out) {
  out = FileLayout{};
  out.recordLength = recordLength;
  out.pageSize = pageSize;
  out.formatVersion = formatVersion;
  out.fileFlags = fileFlags;
  std::size_t consumed = 0;
  bool needsSequence = false;
  std::string segments;
  if (int st = ParseKeys(reinterpret_cast<const unsigned char*>(segmentBytes.data()),
                         segmentBytes.size(), keyCount, recordLength, out.keys, segments, consumed,
                         needsSequence))
    return st;
  out.segmentBytes = segmentBytes;
  if (needsSequence) {
    if (collating.size() != kCollatingSequenceSize) return kStatusInvalidCollatingSequence;
    return AttachSequence(reinterpret_cast<const unsigned char*>(collating.data()), out.keys,
                          out.collating);
  }
  return 0;
}

std::string CaseFoldingSequence() {
  std::string seq;
  seq += static_cast<char>(0xAC);
  seq += "QXUPPER ";
  for (int c = 0; c < 256; ++c) seq += static_cast<char>(oem::ToUpper(static_cast<unsigned char>(c)));
  return seq;
}

}  // namespace btrvc
