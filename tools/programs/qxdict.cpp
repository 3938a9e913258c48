// qxdict: writes the record database of one of an installation's folders,
// as the programs are built:
//
//   qxdict <folder>               the data-dictionary folder (QXACDICT): the
//                                 data dictionary of fields (file 95) and the
//                                 journals' column dictionary WQXACCOL.DB
//                                 (file 94), as the base library defines them
//                                 from the stored layouts of records/
//   qxdict --base-files <folder>  the base-data folder (QXA4BASE): the base
//                                 record files 93 and 96-100, empty, so that
//                                 the program never needs to write there
//
// The build runs it, so that what is installed always matches the layouts
// the programs were built with.  The folder's record database is written
// beside it first and moved into place once complete, so that an
// interrupted run leaves the folder as it was.  Exit status: 0 written,
// 1 failed, 2 bad usage.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "btrvc.h"
#include "qxabase/dictionary.h"
#include "qxabase/startup.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  const bool baseFiles = argc == 3 && std::strcmp(argv[1], "--base-files") == 0;
  if ((argc != 2 && !baseFiles) || argv[argc - 1][0] == '\0' || argv[argc - 1][0] == '-') {
    std::fprintf(stderr, "usage: qxdict [--base-files] <folder>\n");
    return 2;
  }
  const char* what = baseFiles ? "base files" : "dictionaries";
  const fs::path folder = argv[argc - 1];
  const fs::path work = folder.string() + ".new";
  std::error_code ec;
  fs::remove_all(work, ec);
  fs::create_directories(work, ec);
  if (ec) {
    std::fprintf(stderr, "qxdict: cannot make %s: %s\n", work.c_str(), ec.message().c_str());
    return 1;
  }
  const int status = baseFiles ? BaseFilesWrite(work.c_str()) : DictionaryFilesWrite(work.c_str());
  BtrvReset();  // closes the database, so that it stands complete in its file
  if (status != kStatusOk) {
    std::fprintf(stderr, "qxdict: the %s could not be written (record-manager status %d)\n", what, status);
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
