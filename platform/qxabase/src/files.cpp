// File sets, file paths and table names, and the temporary record files.
#include "qxabase/files.h"

#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "internal.h"
#include "qxsys/user_folders.h"
#include "qxabase/app_block.h"
#include "qxabase/messages.h"
#include "records/dictionary.h"

namespace {

constexpr int kMsgFileSetList = 1941;  // %1 the problem
constexpr int kMsgTempFolder = 1943;   // %1 the folder

// Files beyond the company's, by number: their names and folders.
enum class Folder { kCompany, kBaseData, kDictionary };
struct SystemFile {
  int number;
  const char* name;
  Folder folder;
};
constexpr SystemFile kSystemFiles[] = {
    {kFileBaseConvert, "QXAMAST.DB", Folder::kBaseData},
    {kFileColumnDictionary, "WQXACCOL.DB", Folder::kDictionary},
    {kFileFieldDictionary, "QXAFIELD.DB", Folder::kDictionary},
    {96, "QXAFORM.DB", Folder::kBaseData},
    {97, "QXAFFLD.DB", Folder::kBaseData},
    {98, "QXAREP.DB", Folder::kBaseData},
    {99, "QXARCOL.DB", Folder::kBaseData},
    {100, "QXARFNT.DB", Folder::kBaseData},
};

const SystemFile* FindSystemFile(int number) {
  for (const SystemFile& f : kSystemFiles)
    if (f.number == number) return &f;
  return nullptr;
}

std::string FolderOf(Folder folder) {
  const SharedAppBlock* app = SharedAppBlockGet();
  switch (folder) {
    case Folder::kCompany: return app->companyPath;
    case Folder::kBaseData: return qxb::BaseDataFolder();
    case Folder::kDictionary: return app->dictFolder;
  }
  return "";
}

// The folder of the user's remembered report values for the company in
// `company`: they are the user's, not the books', so they live in the
// user's state folder, one folder per company (its name and a hash of its
// path, so that two companies of one name stay apart).
std::string RememberedValuesFolder(const std::string& company) {
  std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
  for (unsigned char c : company) hash = (hash ^ c) * 1099511628211ull;
  std::string name = company.substr(company.find_last_of('/') + 1);
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_') c = '_';
  }
  if (name.size() > 40) name.resize(40);
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "-%016llx", static_cast<unsigned long long>(hash));
  return qxsys::UserStateFolder() + "/remembered/" + (name.empty() || name[0] == '.' ? "company" : name) + suffix;
}

std::string PathOf(int fileNo) {
  fileNo &= ~kFileModeMask;
  if (fileNo == records::kFileReportMru) {
    const std::string company = FolderOf(Folder::kCompany);
    if (company.empty()) return "";
    return qxb::JoinPath(RememberedValuesFolder(company), records::FindFile(fileNo)->name);
  }
  if (const records::FileDef* f = records::FindFile(fileNo)) {
    const std::string folder = FolderOf(Folder::kCompany);
    return folder.empty() ? std::string() : qxb::JoinPath(folder, f->name);
  }
  if (const SystemFile* f = FindSystemFile(fileNo)) {
    const std::string folder = FolderOf(f->folder);
    return folder.empty() ? std::string() : qxb::JoinPath(folder, f->name);
  }
  return "";
}

int OpenModeOf(int id) {
  switch (id & kFileModeMask) {
    case kFileModeShared: return kOpenShared;
    case kFileModeReadOnly: return kOpenReadOnly;
    case kFileModeExclusive: return kOpenExclusive;
    default: return kOpenNormal;
  }
}

// The largest record of a file the dictionary does not describe.
constexpr unsigned kUnknownRecordLength = 4096;

void RefuseList(const std::string& problem) {
  MsgShowArgsList(kMsgFileSetList, 0, 0, 1, {MsgArg{MsgArg::Kind::kText, problem.c_str(), 0, 0}});
}

// --- The temporary folder ----------------------------------------------------------

struct TempFolder {
  std::string path;
  pid_t owner = 0;
  bool failed = false;
};

TempFolder& Temp() {
  static TempFolder temp;
  return temp;
}

void RemoveTempFolder() {
  TempFolder& t = Temp();
  // A child made by fork inherits the path but not the folder's ownership.
  if (t.path.empty() || t.owner != ::getpid()) return;
  std::error_code ec;
  std::filesystem::remove_all(t.path, ec);
  t.path.clear();
}

}  // namespace

// --- File sets -----------------------------------------------------------------------

FileSet::~FileSet() { FileSetClose(this); }

BtrvHandle FileSet::HandleOf(int number) const {
  for (int i = 0; i < count; ++i)
    if (fileNo[i] == number) return handle[i];
  return 0;
}

namespace {

// The number of files of a list, checked: -1 after the message that says
// what is wrong with it.
int CheckedListLength(const int* list) {
  int n = 0;
  while (list && list[n] != 0) {
    if (n == kFileSetMaxFiles) {
      RefuseList("more than " + std::to_string(kFileSetMaxFiles) + " files were asked for at once");
      return -1;
    }
    const int number = list[n] & ~kFileModeMask;
    if (PathOf(number).empty()) {
      RefuseList(std::string("file ") + std::to_string(number) +
                 (SharedAppBlockGet()->companyPath[0] ? " is not a file of the company"
                                                      : " cannot be opened: no company is open"));
      return -1;
    }
    ++n;
  }
  if (n == 0) {
    RefuseList("no file was asked for");
    return -1;
  }
  return n;
}

// Opens the `n` files of a checked list into `set`.  On a failure the files
// opened before it are closed again, *failedFile names it and its status is
// returned; nothing is shown.
int OpenListedFiles(FileSet* set, const int* list, int n, int* failedFile) {
  for (int i = 0; i < n; ++i) {
    const int number = list[i] & ~kFileModeMask;
    BtrvHandle h = 0;
    const int status = BtrvOpen(&h, PathOf(number).c_str(), OpenModeOf(list[i]), 0);
    if (status != kStatusOk) {
      FileSetClose(set);
      *failedFile = number;
      return status;
    }
    const records::FileDef* def = records::FindFile(number);
    const unsigned length = def ? def->recordLength : kUnknownRecordLength;
    set->fileNo[i] = number;
    set->handle[i] = h;
    set->recordLength[i] = length;
    set->record[i] = static_cast<std::uint8_t*>(std::calloc(length, 1));
    set->count = i + 1;
  }
  return kStatusOk;
}

constexpr char kWaitFilesInUse[] = "RSWaitFilesInUse";

}  // namespace

int FileSetOpenList(FileSet* set, const int* list) { return FileSetOpenListWaiting(set, list, 0); }

int FileSetOpenListWaiting(FileSet* set, const int* list, int waitMillis) {
  if (set == nullptr) return kStatusInvalidOperation;
  FileSetClose(set);
  const int n = CheckedListLength(list);
  if (n < 0) return kStatusInvalidOperation;
  int failed = 0;
  int status = OpenListedFiles(set, list, n, &failed);
  if (status == kStatusFileInUse && waitMillis > 0) {
    // Tries again at moments that differ between programs, so that two
    // programs waiting for each other's files do not keep meeting.
    std::minstd_rand jitter(static_cast<unsigned>(::getpid()));
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMillis);
    const int wait = MsgWaitOpen(kWaitFilesInUse, 0);
    while (status == kStatusFileInUse && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20 + jitter() % 40));
      MsgWaitStep(wait, 0);
      status = OpenListedFiles(set, list, n, &failed);
    }
    MsgWaitClose(wait);
  }
  if (status != kStatusOk) MsgRecordError(status, 1, kErrorOpOpen, failed, 0);
  return status;
}

void FileSetClose(FileSet* set) {
  if (set == nullptr) return;
  for (int i = 0; i < set->count; ++i) {
    if (set->handle[i] != 0) BtrvClose(set->handle[i]);
    std::free(set->record[i]);
    set->handle[i] = 0;
    set->record[i] = nullptr;
    set->recordLength[i] = 0;
    set->fileNo[i] = 0;
  }
  set->count = 0;
}

// --- Paths and names ---------------------------------------------------------------------

const char* FilePathGet(int fileNo) {
  static char ring[8][512];
  static int next = 0;
  char* out = ring[next];
  next = (next + 1) % 8;
  if (FilePathGet(fileNo, out, sizeof ring[0]) != 0) out[0] = '\0';
  return out;
}

int FilePathGet(int fileNo, char* out, int size) {
  if (out == nullptr || size <= 0) return -1;
  out[0] = '\0';
  const std::string path = PathOf(fileNo);
  if (path.empty() || path.size() >= static_cast<std::size_t>(size)) return -1;
  std::memcpy(out, path.c_str(), path.size() + 1);
  return 0;
}

const char* FileTableName(int fileNo) {
  fileNo &= ~kFileModeMask;
  if (const records::FileDef* f = records::FindFile(fileNo)) return f->name;
  if (const SystemFile* f = FindSystemFile(fileNo)) return f->name;
  return "";
}

// --- Temporary record files ------------------------------------------------------------------

const char* TempFolderGet() {
  TempFolder& t = Temp();
  if (!t.path.empty() && t.owner == ::getpid()) return t.path.c_str();
  if (t.failed) return "";
  std::string pattern = qxb::JoinPath(qxsys::TemporaryFolder(), "qxa-work-XXXXXX");
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) {
    t.failed = true;
    MsgShowArgsList(kMsgTempFolder, 0, 0, 1, {MsgArg{MsgArg::Kind::kText, pattern.c_str(), 0, 0}});
    return "";
  }
  const bool first = t.owner == 0;
  t.path = buffer.data();
  t.owner = ::getpid();
  if (first) std::atexit(RemoveTempFolder);
  return t.path.c_str();
}

int TempFilePathGet(const char* name, char* pathOut, int* keyCount, void* keySpecs) {
  int keys = 0;
  std::vector<std::uint8_t> segments;
  if (name == nullptr || !qxb::TempFileKeys(name, &keys, &segments)) return 1;
  if (pathOut) {
    const std::string folder = TempFolderGet();
    std::snprintf(pathOut, 260, "%s", folder.empty() ? "" : qxb::JoinPath(folder, name).c_str());
  }
  if (keyCount) *keyCount = keys;
  if (keySpecs) std::memcpy(keySpecs, segments.data(), segments.size());
  return 0;
}

int FileCreate(int mode, BtrvHandle* handle, char* pathOut, const char* name, const void* fileSpec,
               const void* keySpecs) {
  if (handle == nullptr || name == nullptr || fileSpec == nullptr) return kStatusInvalidOperation;
  *handle = 0;
  const std::string folder = TempFolderGet();
  if (folder.empty()) return kStatusIoError;
  const std::string path = qxb::JoinPath(folder, name);
  if (pathOut) std::snprintf(pathOut, 260, "%s", path.c_str());
  int status = BtrvCreate(path.c_str(), fileSpec, keySpecs, true);
  int op = kOpCreate;
  if (status == kStatusOk) {
    op = kErrorOpOpen;
    status = BtrvOpen(handle, path.c_str(), OpenModeOf(mode), 0);
  }
  if (status != kStatusOk) {
    *handle = 0;
    qxb::ShowBox(qxb::RecordErrorTextFor(status, op, std::string("the work file ") + name), kCaptionError,
                 nullptr, 1, 0);
  }
  return status;
}
