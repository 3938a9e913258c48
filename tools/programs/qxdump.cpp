// qxdump: prints the record files of a company folder as a fixture.
//
//   qxdump <company folder> [file...]
//
// Files are named by number or name; without any, every file of the company
// that holds records is printed.  The output is a fixture that qxload takes
// back, giving the same records byte for byte.  Exit status: 0 printed,
// 1 refused (unknown file, unreadable company), 2 bad usage.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "fixture/company.h"

int main(int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: qxdump <company folder> [file...]\n");
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
