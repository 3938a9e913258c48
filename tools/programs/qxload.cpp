// qxload: builds a company folder from a fixture file.
//
//   qxload [--replace] <fixture.json> <company folder>
//
// Every file of the company is created, with the fixture's records.  A
// fixture that names an unknown file or field, or holds a value that does not
// fit its field, is refused with a message naming the file, record and field,
// and nothing is written.  Exit status: 0 loaded, 1 refused, 2 bad usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "fixture/company.h"

int main(int argc, char** argv) {
  fixture::WriteOptions options;
  const char* args[2] = {nullptr, nullptr};
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--replace") == 0) {
      options.replace = true;
    } else if (argv[i][0] == '-' && argv[i][1] == '-') {
      std::fprintf(stderr, "qxload: unknown option %s\n", argv[i]);
      return 2;
    } else if (count < 2) {
      args[count++] = argv[i];
    } else {
      count = 3;
    }
  }
  if (count != 2) {
    std::fprintf(stderr, "usage: qxload [--replace] <fixture.json> <company folder>\n");
    return 2;
  }
  fixture::Problem problem;
  if (!fixture::LoadFixture(args[0], args[1], options, &problem)) {
    std::fprintf(stderr, "qxload: %s\n", problem.Text().c_str());
    return 1;
  }
  return 0;
}
