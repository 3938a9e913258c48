// The records that belong to a master record: user-defined data, pictures
// and note files; and the bills of materials that keep a product.
#include "qxabase/related_records.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/files.h"
#include "records/dictionary.h"

namespace {

namespace fs = std::filesystem;

// The related files keep the master record's code in their first 16 bytes.
constexpr std::size_t kCodeBytes = sizeof(records::UserDefinedData::code);

// The width of the code a master record begins with; 0 for a file without
// related records.
std::size_t CodeWidth(int masterFileNo) {
  switch (masterFileNo) {
    case records::kFileCustomers:
    case records::kFileVendors: return sizeof(records::CustVendRecord::code);
    case records::kFileProducts: return sizeof(records::TagProduct::number);
    case records::kFileServices: return sizeof(records::ServiceRecord::code);
    default: return 0;
  }
}

std::string_view TextOf(const char* field, std::size_t n) {
  std::string_view t(field, strnlen(field, n));
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return t;
}

bool SameCode(const char* key, const void* record) {
  return oem::CompareText(TextOf(key, kCodeBytes), TextOf(static_cast<const char*>(record), kCodeBytes)) == 0;
}

// True when a record of `bills` read by key `keyNumber` from `code` begins
// with it (the assembly of key 0, the component of key 1).
bool NamedBy(BtrvHandle bills, int keyNumber, const char (&code)[15], int* status) {
  BtrvSetKey(bills, keyNumber, -1);
  char key[255] = {};
  std::memcpy(key, code, sizeof code);
  records::BillOfMaterials bill{};
  const int read = BtrvGetOp(kOpGetGreaterOrEqual, bills, key, &bill, sizeof bill);
  if (read == kStatusEndOfFile || read == kStatusKeyNotFound) return false;
  if (read != kStatusOk) {
    if (status) *status = read;
    return true;
  }
  const char(&named)[15] = keyNumber == 0 ? bill.assemblyNumber : bill.componentNumber;
  return oem::CompareText(TextOf(named, sizeof named), TextOf(code, sizeof code)) == 0;
}

}  // namespace

// --- Keys -----------------------------------------------------------------------------------

bool UdfKeyBuild(int masterFileNo, const void* master, char* key) {
  std::memset(key, 0, 255);
  const std::size_t width = CodeWidth(masterFileNo);
  if (width == 0 || master == nullptr) return false;
  const std::string_view code = TextOf(static_cast<const char*>(master), width - 1);
  std::memcpy(key, code.data(), code.size());
  return true;
}

int UdfKeyNext(BtrvHandle handle, const char* key, void* record, unsigned length) {
  char buffer[255] = {};
  const int status = BtrvGetOp(kOpGetNext, handle, buffer, record, length);
  if (status != kStatusOk) return status;
  return SameCode(key, record) ? kStatusOk : kStatusEndOfFile;
}

int UdfRecordTest(const records::TagProduct* product, BtrvHandle bills, int* status) {
  if (product == nullptr) return 0;
  return UdfCodeInBills(product->number, bills, status);
}

int UdfCodeInBills(const char (&code)[15], BtrvHandle bills, int* status) {
  BtrvKeyScope keyScope(bills);
  return NamedBy(bills, 0, code, status) || NamedBy(bills, 1, code, status) ? 1 : 0;
}

// --- Related tables ---------------------------------------------------------------------------

CQxRelatedTable::CQxRelatedTable(int relatedFileNo, int masterFileNo)
    : relatedFileNo_(relatedFileNo), masterFileNo_(masterFileNo) {}

CQxRelatedTable::~CQxRelatedTable() { Close(); }

bool CQxRelatedTable::Open() {
  Close();
  const char* path = FilePathGet(relatedFileNo_);
  result_ = *path == '\0' ? kStatusFileNotFound : BtrvOpen(&handle_, path, kOpenNormal, 0);
  own_ = result_ == kStatusOk;
  if (!own_) handle_ = 0;
  return own_;
}

void CQxRelatedTable::Close() {
  if (own_ && handle_ != 0) BtrvClose(handle_);
  handle_ = 0;
  own_ = false;
}

void CQxRelatedTable::SetHandle(BtrvHandle handle) {
  Close();
  handle_ = handle;
}

bool CQxRelatedTable::Find(const void* master) {
  found_ = false;
  result_ = kStatusOk;
  if (handle_ == 0) {
    result_ = kStatusFileNotOpen;
    return false;
  }
  if (!UdfKeyBuild(masterFileNo_, master, key_)) return false;
  const records::FileDef* file = records::FindFile(relatedFileNo_);
  std::vector<unsigned char> record(file ? file->recordLength : 255);
  if (BtrvGetKey(handle_) != 0) BtrvSetKey(handle_, 0, -1);
  char key[255];
  std::memcpy(key, key_, sizeof key);
  const int status = BtrvGetOp(kOpGetGreaterOrEqual, handle_, key, record.data(), static_cast<unsigned>(record.size()));
  if (status == kStatusEndOfFile || status == kStatusKeyNotFound) return false;
  if (status != kStatusOk) {
    result_ = status;
    return false;
  }
  found_ = SameCode(key_, record.data());
  return found_;
}

bool CQxRelatedTable::Delete() {
  result_ = kStatusOk;
  if (!found_) return true;
  found_ = false;
  const records::FileDef* file = records::FindFile(relatedFileNo_);
  std::vector<unsigned char> record(file ? file->recordLength : 255);
  int status = kStatusOk;
  do {
    if (status = BtrvWriteOp(kOpDelete, handle_, nullptr, nullptr, 0); status != kStatusOk) break;
    // The walk goes on from the record just deleted.
    status = UdfKeyNext(handle_, key_, record.data(), static_cast<unsigned>(record.size()));
  } while (status == kStatusOk);
  if (status != kStatusEndOfFile) result_ = status;
  return result_ == kStatusOk;
}

CQxUDFDCV::CQxUDFDCV(int fileNo)
    : CQxUDFDBase(fileNo == records::kFileVendors ? records::kFileVendorUserData : records::kFileCustomerUserData,
                  fileNo) {}

CQxUDFDPS::CQxUDFDPS(int fileNo)
    : CQxUDFDBase(fileNo == records::kFileServices ? records::kFileServiceUserData : records::kFileProductUserData,
                  fileNo) {}

CProductBitmapTbl::CProductBitmapTbl() : CQxRelatedTable(records::kFileProductPictures, records::kFileProducts) {}

// --- Note files ---------------------------------------------------------------------------------

NoteFileState NoteFileFind(const char* name, std::size_t width, std::string* path) {
  std::string text(name ? std::string_view(name, strnlen(name, width)) : std::string_view());
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return NoteFileState::kNone;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  // A name from the root of a drive, or with a drive, never stays below
  // the company folder.
  if (text.front() == '\\' || text.front() == '/' || text.find(':') != std::string::npos) return NoteFileState::kOutside;

  const char* company = SharedAppBlockGet()->companyPath;
  if (company == nullptr || *company == '\0') return NoteFileState::kMissing;
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(fs::path(company), ec);
  if (ec) return NoteFileState::kMissing;
  fs::path at = root;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find_first_of("\\/", start);
    const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() + 1 : end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") return NoteFileState::kOutside;
    // The part as it stands, else the one entry that matches it without
    // regard to letter case.
    fs::path next = at / part;
    if (!fs::exists(fs::symlink_status(next, ec))) {
      next.clear();
      for (const fs::directory_entry& e : fs::directory_iterator(at, ec)) {
        if (oem::CompareText(e.path().filename().string(), part) == 0) {
          next = e.path();
          break;
        }
      }
      if (next.empty()) return NoteFileState::kMissing;
    }
    at = next;
  }
  // A link may lead anywhere: only what truly lies below the folder counts.
  const fs::path real = fs::weakly_canonical(at, ec);
  if (ec) return NoteFileState::kMissing;
  if (std::mismatch(root.begin(), root.end(), real.begin(), real.end()).first != root.end())
    return NoteFileState::kOutside;
  if (!fs::is_regular_file(real, ec)) return NoteFileState::kMissing;
  if (path) *path = real.string();
  return NoteFileState::kPresent;
}

bool NoteFileDelete(const char* name, std::size_t width) {
  std::string path;
  switch (NoteFileFind(name, width, &path)) {
    case NoteFileState::kNone:
    case NoteFileState::kMissing: return true;
    case NoteFileState::kOutside: return false;
    case NoteFileState::kPresent: break;
  }
  std::error_code ec;
  return fs::remove(path, ec) && !ec;
}
