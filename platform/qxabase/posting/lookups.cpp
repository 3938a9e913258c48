// The look-ups of the posting runs: a G/L account by its code, and a master
// record (customer, vendor, product, service, tax code) by key 0.
#include <cstring>
#include <string>

#include "posting_internal.h"
#include "qxabase/posting.h"
#include "records/dictionary.h"
#include "records/masters.h"

using namespace qxb::posting;

namespace {

// The code as key 0 of `fileNo` takes it: the text up to its NUL, cut to the
// key's length; the key compares trailing NULs as blanks.
std::string CodeKey(int fileNo, const char* code) {
  const records::FileDef* file = records::FindFile(fileNo);
  const std::size_t length = file && !file->keys.empty() ? file->keys[0].Length() : 255;
  std::string key(255, '\0');
  if (code != nullptr) {
    const std::size_t n = strnlen(code, length);
    std::memcpy(key.data(), code, n);
  }
  return key;
}

int ReadByCode(BtrvHandle handle, int fileNo, const char* code, void* record, TagPostWork* work) {
  Clear(work);
  SetKey(work, code ? std::string_view(code, strnlen(code, 254)) : std::string_view());
  std::string key = CodeKey(fileNo, code);
  // The record found becomes the handle's current record (for the caller's
  // rewrite); the handle keeps its key.
  const int savedKey = BtrvGetKey(handle);
  if (savedKey > 0) BtrvSetKey(handle, 0, -1);
  const int status = BtrvGetOp(kOpGetEqual, handle, key.data(), record, 0);
  if (savedKey > 0) BtrvSetKey(handle, savedKey, -1);
  return Fail(work, fileNo, kOpGetEqual, status);
}

}  // namespace

int PostReadAccount(int /*mode*/, BtrvHandle accounts, const char* account, void* accountRecord,
                    TagPostWork* work) {
  return Guarded(work, records::kFileGLAccounts, kOpGetEqual, [&]() -> int {
    char code[12] = {};
    if (account != nullptr) std::memcpy(code, account, strnlen(account, 11));
    // An account code is at most ten characters; blanks after it are padding.
    code[11] = '\0';
    const std::string text(Trim(code, 11));
    // The run reads the same accounts over and over: where one was found is
    // read first, and taken when the account there still has the code.
    auto& known = Run().accountAt;
    if (const auto at = known.find(text); at != known.end() && accountRecord != nullptr) {
      std::memcpy(accountRecord, &at->second, 4);
      if (BtrvGetOp(kOpGetDirect, accounts, nullptr, accountRecord, 0) == kStatusOk &&
          Trim(static_cast<const records::GLAccount*>(accountRecord)->code) == text) {
        Clear(work);
        SetKey(work, text);
        return Fail(work, records::kFileGLAccounts, kOpGetEqual, kStatusOk);
      }
      known.erase(at);
    }
    const int status = ReadByCode(accounts, records::kFileGLAccounts, text.c_str(), accountRecord, work);
    unsigned char place[4];
    if (status == kStatusOk && BtrvPosition(kOpGetDirect, accounts, place) == kStatusOk) {
      std::uint32_t position = 0;
      std::memcpy(&position, place, 4);
      known[text] = position;
    }
    return status;
  });
}

int PostReadRecordWork(BtrvHandle handle, int fileNo, const char* code, void* record, TagPostWork* work) {
  return Guarded(work, fileNo, kOpGetEqual,
                 [&]() -> int { return ReadByCode(handle, fileNo, code, record, work); });
}
