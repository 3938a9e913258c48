// qxdump: prints the record files of a company folder as a fixture.
//
//   qxdump <company folder> [file...]
//
// Files are named by number or name; without any, every file of the company
// that holds records is printed.  The output is a fixture that qxload takes
// back, giving the same records byte for byte.  Exit status: 0 printed,
// 1 refused (unknown file, unreadable company), 2 bad usage.  -h or --help
// prints the usage (standard output, status 0).
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "fixture/company.h"

namespace {

constexpr char kUsage[] =
    "usage: qxdump <company folder> [file...]\n"
    "Prints the company's record files as a fixture (JSON) that qxload takes back;\n"
    "files are named by name or number, every file with records when none is named.\n"
    "  -h, --help  print this text and end\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc < 2 || argv[1][0] == '-') {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::vector<int> files;
  for (int i = 2; i < argc; ++i) {
    const records::FileDef* file = fixture::FileByNameOrNumber(argv[i]);
    if (!file) {
      std::fprintf(stderr, "qxdump: %s: no file of the company has this name or number\n", argv[i]);
      return 1;
    }
    files.push_back(file->number);
  }
  fixture::CompanyImage company;
  fixture::Problem problem;
  if (!fixture::ReadCompany(argv[1], files, &company, &problem)) {
    std::fprintf(stderr, "qxdump: %s\n", problem.Text().c_str());
    return 1;
  }
  fixture::WriteFixture(company, std::cout);
  std::cout.flush();
  return std::cout.good() ? 0 : 1;
}
