// The base files of the base-data folder: written empty into the
// installation, and held open for reading while the program runs.
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "btrvc.h"
#include "qxabase/files.h"
#include "qxabase/startup.h"

namespace {

constexpr unsigned kBaseRecordLength = 98;
constexpr unsigned kBasePageSize = 4096;
constexpr unsigned kBaseKeyLength = 16;

void Put16(unsigned char* p, unsigned v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

// Handles of one open set, closed together.  Closed by the program's
// shut-down (and by BtrvReset), never by a static destructor: the record
// manager may be gone by then.
class BaseFileSet {
 public:
  int Open(const char* folder, std::initializer_list<const char*> names) {
    Close();
    for (const char* name : names) {
      if (!folder || !*folder || !name || !*name) return kStatusInvalidFileName;
      const std::string path = std::string(folder) + "/" + name;
      if (int s = BaseFileMake(path.c_str())) return s;
      BtrvHandle h = 0;
      if (int s = BtrvOpen(&h, path.c_str(), kOpenReadOnly, 0)) return s;
      handles_.push_back(h);
    }
    return 0;
  }
  void Close() {
    for (BtrvHandle h : handles_) BtrvClose(h);
    handles_.clear();
  }

 private:
  std::vector<BtrvHandle> handles_;
};

BaseFileSet& Pair() {
  static BaseFileSet set;
  return set;
}
BaseFileSet& Triple() {
  static BaseFileSet set;
  return set;
}

}  // namespace

void BaseFileSpecification(unsigned char* spec) {
  std::memset(spec, 0, kFileSpecSize + kKeySegmentSize);
  Put16(spec, kBaseRecordLength);
  Put16(spec + 2, kBasePageSize);
  spec[4] = 1;  // one key
  unsigned char* key = spec + kFileSpecSize;
  Put16(key, 1);  // positions count from 1
  Put16(key + 2, kBaseKeyLength);
  Put16(key + 4, kKeyFlagDuplicates | kKeyFlagModifiable | kKeyFlagExtendedType);
  key[10] = kKeyTypeString;
}

int BaseFileMake(const char* path) {
  if (!path || !*path) return kStatusInvalidFileName;
  if (BtrvFileExists(path) == kStatusOk) return 0;
  unsigned char spec[kFileSpecSize + kKeySegmentSize];
  BaseFileSpecification(spec);
  // Another program starting at the same moment may have made it.
  const int s = BtrvCreate(path, spec, spec + kFileSpecSize);
  return s == kStatusFileExists ? 0 : s;
}

int BaseFilesOpenPair(const char* folder, const char* first, const char* second) {
  return Pair().Open(folder, {first, second});
}

int BaseFilesOpenTriple(const char* folder, const char* first, const char* second, const char* third) {
  return Triple().Open(folder, {first, second, third});
}

void BaseFilesClosePair() { Pair().Close(); }
void BaseFilesCloseTriple() { Triple().Close(); }

int BaseFilesWrite(const char* folder) {
  if (!folder || !*folder) return kStatusInvalidFileName;
  for (int number : {kFileBaseConvert, 96, 97, 98, 99, 100}) {
    const std::string path = std::string(folder) + "/" + FileTableName(number);
    if (int s = BaseFileMake(path.c_str())) return s;
  }
  return 0;
}
