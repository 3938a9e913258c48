// Helpers of the record-manager client's tests: a scratch folder, file and
// key specifications built from readable parts, a sample "people" file, and
// a way to run a piece of code in a second process.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "btrvc.h"

namespace btrvc_test {

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "btrvc-XXXXXX").string();
    path_ = mkdtemp(tmpl.data());
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct Seg {
  std::uint16_t position;  // 1-based
  std::uint16_t length;
  std::uint16_t flags;
  std::uint8_t type = kKeyTypeString;
  std::uint8_t nullValue = 0;
};
using KeySpec = std::vector<Seg>;

inline void Put16(std::string& s, std::size_t at, unsigned v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}

// The segments of `keys` (16 bytes each), kKeyFlagSegmented set on all but
// each key's last, kKeyFlagExtendedType on all.
inline std::string Segments(const std::vector<KeySpec>& keys) {
  std::string out;
  for (const KeySpec& key : keys) {
    for (std::size_t i = 0; i < key.size(); ++i) {
      std::string s(kKeySegmentSize, '\0');
      unsigned flags = key[i].flags | kKeyFlagExtendedType;
      if (i + 1 < key.size()) flags |= kKeyFlagSegmented;
      Put16(s, 0, key[i].position);
      Put16(s, 2, key[i].length);
      Put16(s, 4, flags);
      s[10] = static_cast<char>(key[i].type);
      s[11] = static_cast<char>(key[i].nullValue);
      out += s;
    }
  }
  return out;
}

inline std::string FileSpec(unsigned recordLength, std::size_t keyCount, unsigned fileFlags = 0,
                            unsigned version = 0) {
  std::string s(kFileSpecSize, '\0');
  Put16(s, 0, recordLength);
  Put16(s, 2, 4096);
  s[4] = static_cast<char>(keyCount);
  s[5] = static_cast<char>(version);
  Put16(s, 10, fileFlags);
  return s;
}

inline int Create(const std::string& path, unsigned recordLength, const std::vector<KeySpec>& keys,
                  unsigned fileFlags = 0, unsigned version = 0, const std::string& sequence = "") {
  const std::string spec = FileSpec(recordLength, keys.size(), fileFlags, version);
  const std::string segs = Segments(keys) + sequence;
  return BtrvCreate(path.c_str(), spec.data(), segs.data());
}

// The sample file: 100-byte records of a person.
//   0  int32  id      key 0, unique, modifiable
//   4  char20 name    key 1, duplicates, case-insensitive, modifiable
//   24 double amount  key 2, duplicates, modifiable
//   32 char68 note    no key
constexpr unsigned kPersonLength = 100;
inline std::vector<KeySpec> PersonKeys() {
  return {
      {{1, 4, kKeyFlagModifiable, kKeyTypeInteger}},
      {{5, 20, kKeyFlagDuplicates | kKeyFlagModifiable | kKeyFlagNoCase, kKeyTypeString}},
      {{25, 8, kKeyFlagDuplicates | kKeyFlagModifiable, kKeyTypeFloat}},
  };
}

inline std::string Person(std::int32_t id, const std::string& name, double amount,
                          const std::string& note = "") {
  std::string r(kPersonLength, '\0');
  std::memcpy(r.data(), &id, 4);
  std::memcpy(r.data() + 4, name.data(), std::min<std::size_t>(name.size(), 20));
  std::memcpy(r.data() + 24, &amount, 8);
  std::memcpy(r.data() + 32, note.data(), std::min<std::size_t>(note.size(), 68));
  return r;
}

inline std::int32_t IdOf(const std::string& record) {
  std::int32_t id = 0;
  std::memcpy(&id, record.data(), 4);
  return id;
}

inline std::string NameOf(const std::string& record) {
  std::string n = record.substr(4, 20);
  return n.substr(0, n.find('\0'));
}

// Key images of the sample file's keys.
inline std::string IdKey(std::int32_t id) { return std::string(reinterpret_cast<char*>(&id), 4); }
inline std::string NameKey(const std::string& name) {
  std::string k(20, ' ');
  k.replace(0, name.size(), name);
  return k;
}
inline std::string AmountKey(double amount) {
  return std::string(reinterpret_cast<char*>(&amount), 8);
}

// Reads by `op` into a fresh record; the record (empty on failure) and status.
struct Read {
  int status;
  std::string record;
  std::string key;
};
inline Read Get(int op, BtrvHandle h, std::string key = std::string(255, '\0'),
                std::string record = std::string(kPersonLength, '\0')) {
  key.resize(255, '\0');
  const int st = BtrvGetOp(op, h, key.data(), record.data(), static_cast<unsigned>(record.size()));
  return {st, st == 0 ? record : std::string(), key};
}

inline int Insert(BtrvHandle h, const std::string& record) {
  return BtrvWriteOp(kOpInsert, h, nullptr, record.data(), static_cast<unsigned>(record.size()));
}
inline int Update(BtrvHandle h, const std::string& record) {
  return BtrvWriteOp(kOpUpdate, h, nullptr, record.data(), static_cast<unsigned>(record.size()));
}
inline int Delete(BtrvHandle h) { return BtrvWriteOp(kOpDelete, h, nullptr, nullptr, 0); }

// Counts the records by walking key 0.
inline int Count(BtrvHandle h) {
  const int saved = BtrvGetKey(h);
  BtrvSetKey(h, 0, -1);
  int n = 0;
  for (Read r = Get(kOpGetFirst, h); r.status == 0; r = Get(kOpGetNext, h)) ++n;
  BtrvSetKey(h, saved, -1);
  return n;
}

// Runs `body` in a child process and returns its exit code (or -signal).
// The child leaves through _exit, so the parent's test state is untouched.
inline int InChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

// A folder with the sample file and five people, the handle open on it.
class BtrvcPeople : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Create(path_, kPersonLength, PersonKeys()), 0);
    ASSERT_EQ(BtrvOpen(&h_, path_.c_str(), kOpenNormal, 0), 0);
  }
  void TearDown() override { BtrvReset(); }

  void AddPeople() {
    ASSERT_EQ(Insert(h_, Person(1, "Alpha", 10.5)), 0);
    ASSERT_EQ(Insert(h_, Person(2, "bravo", -3)), 0);
    ASSERT_EQ(Insert(h_, Person(3, "BRAVO", 0)), 0);
    ASSERT_EQ(Insert(h_, Person(4, "Charlie", -100.25)), 0);
    ASSERT_EQ(Insert(h_, Person(5, "delta", 7)), 0);
  }

  ScratchFolder dir_;
  std::string path_ = dir_.File("PEOPLE.DAT");
  BtrvHandle h_ = 0;
};

}  // namespace btrvc_test
