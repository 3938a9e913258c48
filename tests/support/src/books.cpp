#include "qxtest/books.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "qxtest/files.h"

namespace qxtest {

BooksReport CheckBooksDump(const std::filesystem::path& dumpFile) {
  const std::string command =
      "python3 '" + SourceDir() + "/tests/support/books_invariants.py' '" + dumpFile.string() + "' 2>&1";
  BooksReport out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    out.report = "cannot run: " + command;
    return out;
  }
  std::array<char, 4096> chunk{};
  std::size_t n = 0;
  while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) out.report.append(chunk.data(), n);
  const int status = pclose(pipe);
  out.hold = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return out;
}

}  // namespace qxtest
