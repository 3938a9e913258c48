// qxload: builds a company folder from a fixture file.
//
//   qxload [--replace] <fixture.json> <company folder>
//
// Every file of the company is created, with the fixture's records.  A
// fixture that names an unknown file or field, or holds a value that does not
// fit its field, is refused with a message naming the file, record and field,
// and nothing is written.  -h or --help prints the usage (standard output,
// status 0).  Exit status: 0 loaded, 1 refused, 2 bad usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "fixture/company.h"

namespace {

constexpr char kUsage[] =
    "usage: qxload [--replace] <fixture.json> <company folder>\n"
    "Builds the company folder from the fixture (a JSON file, as qxdump prints it).\n"
    "  --replace   replace the company the folder holds (otherwise refused)\n"
    "  -h, --help  print this text and end\n";

}  // namespace

int main(int argc, char** argv) {
  fixture::WriteOptions options;
  const char* args[2] = {nullptr, nullptr};
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--replace") == 0) {
      options.replace = true;
    } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      std::fprintf(stderr, "qxload: unknown option %s\n%s", argv[i], kUsage);
      return 2;
    } else if (count < 2) {
      args[count++] = argv[i];
    } else {
      count = 3;
    }
  }
  if (count != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  fixture::Problem problem;
  if (!fixture::LoadFixture(args[0], args[1], options, &problem)) {
    std::fprintf(stderr, "qxload: %s\n", problem.Text().c_str());
    return 1;
  }
  return 0;
}
