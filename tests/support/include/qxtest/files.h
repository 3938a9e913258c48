// Files of the tests: whole files read and written, folders of a test's own
// that go away with it, and golden files.
#pragma once

#include <filesystem>
#include <string>

namespace qxtest {

// The whole content of the file at `path`; "" when it cannot be read.
std::string ReadAll(const std::filesystem::path& path);

// Writes `text` as the whole content of the file at `path` (replaced when it
// exists).
void WriteAll(const std::filesystem::path& path, const std::string& text);

// A new empty folder under /tmp, removed with everything in it when the
// object goes.  A folder that cannot be made fails the test.
class TempDir {
 public:
  // `prefix` starts the folder's name ("/tmp/<prefix>XXXXXX").
  explicit TempDir(const std::string& prefix = "qxtest");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of `name` inside the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Expects `text` to equal the golden file at `sourcePath` (a path from the
// root of the source tree, "tests/.../golden/x.txt").  With the environment
// variable QX_UPDATE_GOLDEN set, writes the golden file instead.
void ExpectGolden(const std::string& text, const std::string& sourcePath);

// The root of the source tree and its base-data folder (data/).
std::string SourceDir();
std::string SourceDataFolder();

}  // namespace qxtest
