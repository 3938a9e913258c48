#include "qxtest/files.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace qxtest {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteAll(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

TempDir::TempDir(const std::string& prefix) {
  std::string pattern = "/tmp/" + prefix + "XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (mkdtemp(name.data()) == nullptr) {
    ADD_FAILURE() << "cannot make a folder " << pattern;
    return;
  }
  path_ = name.data();
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void ExpectGolden(const std::string& text, const std::string& sourcePath) {
  const std::filesystem::path path = std::filesystem::path(SourceDir()) / sourcePath;
  if (std::getenv("QX_UPDATE_GOLDEN")) {
    WriteAll(path, text);
    return;
  }
  EXPECT_EQ(ReadAll(path), text) << "differs from " << path.string();
}

std::string SourceDir() { return QX_SOURCE_DIR; }
std::string SourceDataFolder() { return std::string(QX_SOURCE_DIR) + "/data"; }

}  // namespace qxtest
