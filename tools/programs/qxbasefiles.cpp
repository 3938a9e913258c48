// qxbasefiles: writes the base record files of an installation's base-data
// folder (QXA4BASE): files 93 and 96-100, empty, in the folder's record
// database.
//
//   qxbasefiles <folder>
//
// The build runs it, so that an installation carries them and the program
// never needs to write its base-data folder.  The database is written in a
// folder beside the target first and moved into place once complete, so
// that an interrupted run leaves the target as it was.  Exit status: 0
// written, 1 failed, 2 bad usage.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "btrvc.h"
#include "qxabase/startup.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: qxbasefiles <folder>\n");
    return 2;
  }
  const fs::path folder = argv[1];
  const fs::path work = folder.string() + ".new";
  std::error_code ec;
  fs::remove_all(work, ec);
  fs::create_directories(work, ec);
  if (ec) {
    std::fprintf(stderr, "qxbasefiles: cannot make %s: %s\n", work.c_str(), ec.message().c_str());
    return 1;
  }
  const int status = BaseFilesWrite(work.c_str());
  BtrvReset();  // closes the database, so that it stands complete in its file
  if (status != kStatusOk) {
    std::fprintf(stderr, "qxbasefiles: the base files could not be written (record-manager status %d)\n", status);
    fs::remove_all(work, ec);
    return 1;
  }
  fs::create_directories(folder, ec);
  const char* const database = "qxrecords.sqlite";
  if (!ec) fs::rename(work / database, folder / database, ec);
  if (ec) {
    std::fprintf(stderr, "qxbasefiles: cannot write %s: %s\n", (folder / database).c_str(), ec.message().c_str());
    fs::remove_all(work, ec);
    return 1;
  }
  fs::remove_all(work, ec);
  return 0;
}
