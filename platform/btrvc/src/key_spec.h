// Record-file layouts and key encoding.
//
// A file's layout (record length, flags, keys) is read from the record
// manager's byte specifications, checked, and kept in this parsed form.  Every
// key value is stored and searched in an encoded form whose bytes sort with
// memcmp in the key's own order, so that SQLite's plain BLOB ordering walks the
// keys the way the record manager defines them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace btrvc {

// How a segment's bytes are compared.
enum class SegmentKind : std::uint8_t {
  kString,    // blank-padded text, trailing NULs read as blanks
  kZString,   // text up to its first NUL
  kSigned,    // little-endian two's complement, 1/2/4/8 bytes
  kUnsigned,  // little-endian unsigned of any length
  kFloat,     // IEEE float (4) or double (8)
};

struct Segment {
  std::uint16_t offset = 0;  // 0-based byte offset in the record
  std::uint16_t length = 0;
  std::uint16_t flags = 0;   // KeyFlag bits as given
  std::uint8_t extendedType = 0;
  std::uint8_t nullValue = 0;
  SegmentKind kind = SegmentKind::kString;
};

struct Key {
  std::vector<Segment> segments;
  std::uint16_t length = 0;  // bytes of the key image (segments side by side)
  bool duplicates = false;
  bool modifiable = false;
  bool nullKey = false;      // records whose segments all hold the null value are left out
  // The byte map of the alternate collating sequence (256 bytes) when a
  // segment asks for it, else empty.
  std::string collating;

  // The end of the last byte any segment reads (records must reach it).
  std::size_t Extent() const;
  // Appends the encoded key of `record` to `out`; false (and nothing
  // appended) when the key is null for this record.
  bool EncodeRecord(const unsigned char* record, std::string& out) const;
  // Appends the encoded form of a key image (segments side by side) to `out`.
  void EncodeImage(const unsigned char* image, std::string& out) const;
  // Copies the key image of `record` (its segments side by side) to `image`.
  void CopyImage(const unsigned char* record, unsigned char* image) const;
};

struct FileLayout {
  std::uint16_t recordLength = 0;
  std::uint16_t pageSize = 0;
  std::uint8_t formatVersion = 0;
  std::uint16_t fileFlags = 0;
  std::vector<Key> keys;
  std::string segmentBytes;  // the key segments as given (16 bytes each)
  std::string collating;     // the 265-byte alternate collating sequence, or empty

  bool VariableLength() const;
  // The smallest record every key can be read from.
  std::size_t MinimumRecord() const;
};

// Parses a BtrvCreate specification: the 16-byte file specification, the key
// segments and, when a segment asks for it, the collating sequence that
// follows them.  Returns 0 or the record-manager status of the first fault.
int ParseFileSpec(const unsigned char* fileSpec, const unsigned char* keySpecs, FileLayout& out);

// Parses one key (for BtrvCreateIndex) from `length` bytes of segments and an
// optional collating sequence, checked against `recordLength`.  Returns 0 or
// the status of the first fault; `segmentBytes` receives the segments.
int ParseIndexSpec(const unsigned char* spec, std::size_t length, std::uint16_t recordLength,
                   Key& out, std::string& segmentBytes);

// Rebuilds a layout from what the catalogue stores (ParseFileSpec's output).
int LoadLayout(std::uint16_t recordLength, std::uint16_t pageSize, std::uint8_t formatVersion,
               std::uint16_t fileFlags, int keyCount, const std::string& segmentBytes,
               const std::string& collating, FileLayout& out);

// The client's own collating sequence: case-folding by the system's text rule.
std::string CaseFoldingSequence();

}  // namespace btrvc
