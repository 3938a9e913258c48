// The company folder: the check of a folder named as the company.
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "btrvc.h"
#include "qxabase/app_block.h"
#include "qxabase/startup.h"
#include "records/dictionary.h"

namespace {

// The path of record file `fileNo` in `folder`; "" when the dictionary does
// not know the file.
std::string RecordFilePath(const std::string& folder, int fileNo) {
  const records::FileDef* file = records::FindFile(fileNo);
  if (!file) return {};
  return folder + "/" + file->name;
}

// A handle closed on every way out.
class OpenFile {
 public:
  ~OpenFile() {
    if (handle_) BtrvClose(handle_);
  }
  int Open(const std::string& path) { return BtrvOpen(&handle_, path.c_str(), kOpenReadOnly, 0); }
  BtrvHandle handle() const { return handle_; }

 private:
  BtrvHandle handle_ = 0;
};

}  // namespace

int CompanyPathOpen(int fileNo, const char* path, int* error, int* status) {
  auto fail = [&](int e, int s) {
    if (error) *error = e;
    if (status) *status = s;
    return 0;
  };
  if (!path || !*path || std::strlen(path) >= static_cast<std::size_t>(kFolderFieldSize))
    return fail(kCompanyPathEmpty, 0);
  struct stat st {};
  if (stat(path, &st) != 0 || !S_ISDIR(st.st_mode)) return fail(kCompanyPathMissing, 0);
  const std::string file = RecordFilePath(path, fileNo);
  if (file.empty()) return fail(kCompanyPathNoCompany, 0);
  // A folder without the record manager's database, or a database without
  // the file, holds no company; anything else the record manager refuses (a
  // damaged database, a file held by another program) is its error to show.
  if (const int s = BtrvFileExists(file.c_str()); s != kStatusOk)
    return s == kStatusFileNotFound ? fail(kCompanyPathNoCompany, s) : fail(kCompanyPathRecordError, s);
  OpenFile f;
  if (int s = f.Open(file); s != kStatusOk) {
    return s == kStatusFileNotFound ? fail(kCompanyPathNoCompany, s) : fail(kCompanyPathRecordError, s);
  }
  if (error) *error = kCompanyPathOk;
  if (status) *status = 0;
  return 1;
}

std::string CompanyPathRefusal(int error, const std::string& path) {
  switch (error) {
    case kCompanyPathEmpty: return "Type the folder that holds the company's books.";
    case kCompanyPathMissing: return "The folder " + path + " does not exist.";
    default: return "The folder " + path + " holds no company: it has no settings file.";
  }
}

int RecordManagerPathsSet() {
  const SharedAppBlock* app = SharedAppBlockGet();
  unsigned char block[kPathsBlockSize] = {};
  const char* folders[] = {app->programFolder, app->baseDataFolder, app->dictFolder, app->companyPath};
  for (std::size_t i = 0; i < 4; ++i)
    std::memcpy(block + i * kPathsFolderSize, folders[i], strnlen(folders[i], kPathsFolderSize - 1));
  const std::int32_t zero = 0, one = 1;
  std::memcpy(block + 864, &zero, 4);
  std::memcpy(block + 868, &one, 4);
  return BtrvSetPaths(block);
}
