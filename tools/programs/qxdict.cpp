// qxdict: writes the data-dictionary folder of an installation (QXACDICT):
// the data dictionary of fields (file 95) and the journals' column
// dictionary WQXACCOL.DB (file 94), as the base library defines them from
// the stored layouts of records/.
//
//   qxdict <folder>
//
// The build runs it, so that the installed dictionaries always match the
// layouts the programs were built with.  The folder's record database is
// written beside it first and moved into place once complete, so that an
// interrupted run leaves the folder as it was.  Exit status: 0 written,
// 1 failed, 2 bad usage.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "btrvc.h"
#include "qxabase/dictionary.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: qxdict <folder>\n");
    return 2;
  }
  const fs::path folder = argv[1];
  const fs::path work = folder.string() + ".new";
  std::error_code ec;
  fs::remove_all(work, ec);
  fs::create_directories(work, ec);
  if (ec) {
    std::fprintf(stderr, "qxdict: cannot make %s: %s\n", work.c_str(), ec.message().c_str());
    return 1;
  }
  const int status = DictionaryFilesWrite(work.c_str());
  BtrvReset();  // closes the database, so that it stands complete in its file
  if (status != kStatusOk) {
    std::fprintf(stderr, "qxdict: the dictionaries could not be written (record-manager status %d)\n", status);
    fs::remove_all(work, ec);
    return 1;
  }
  fs::create_directories(folder, ec);
  const char* const database = "qxrecords.sqlite";
  if (!ec) fs::rename(work / database, folder / database, ec);
  if (ec) {
    std::fprintf(stderr, "qxdict: cannot write %s: %s\n", (folder / database).c_str(), ec.message().c_str());
    fs::remove_all(work, ec);
    return 1;
  }
  fs::remove_all(work, ec);
  return 0;
}
