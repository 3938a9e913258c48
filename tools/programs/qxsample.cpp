// qxsample: builds the sample company.
//
//   qxsample [options] <company folder>
//     --date yyyy-mm-dd   the company's "today" (default: the clock's)
//     --seed N            the seed of its amounts and choices (default 20)
//     --customers N  --products N  --open-items N  --transactions N
//                         a company of these sizes, for benchmarks
//     --fixture FILE      also write the company as a fixture (- for stdout);
//                         with --fixture the folder may be left out
//     --replace           replace the company in a folder that holds one
//     -h, --help          print the usage (standard output, status 0)
//
// The same options give the same company, byte for byte.  Exit status:
// 0 built, 1 refused, 2 bad usage.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "daynumber.h"
#include "fixture/company.h"
#include "sample/sample_company.h"

namespace {

constexpr char kUsage[] =
    "usage: qxsample [--date yyyy-mm-dd] [--seed N] [--customers N] [--products N]\n"
    "                [--open-items N] [--transactions N] [--fixture FILE] [--replace]\n"
    "                <company folder>\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

template <class T>
bool Number(const char* text, T* out) {
  const char* end = text + std::strlen(text);
  auto [ptr, ec] = std::from_chars(text, end, *out);
  return ec == std::errc() && ptr == end && *out >= 0;
}

bool Date(const char* text, std::int32_t* out) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (std::sscanf(text, "%4d-%2d-%2d%c", &y, &m, &d, &tail) != 3) return false;
  *out = daynum::FromCivil(y, m, d);
  return *out != 0;
}

}  // namespace

int main(int argc, char** argv) {
  sample::Options options;
  fixture::WriteOptions write;
  std::string fixturePath, folder;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    bool ok = true;
    if (arg == "--replace") {
      write.replace = true;
      continue;
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg.rfind("--", 0) == 0) {
      if (!value) return Usage();
      ++i;
      if (arg == "--date") ok = Date(value, &options.today);
      else if (arg == "--seed") ok = Number(value, &options.seed);
      else if (arg == "--customers") ok = Number(value, &options.customers);
      else if (arg == "--products") ok = Number(value, &options.products);
      else if (arg == "--open-items") ok = Number(value, &options.openItems);
      else if (arg == "--transactions") ok = Number(value, &options.transactions);
      else if (arg == "--fixture") fixturePath = value;
      else return Usage();
      if (!ok) {
        std::fprintf(stderr, "qxsample: %s: \"%s\" is not a valid value\n", arg.c_str(), value);
        return 2;
      }
    } else if (folder.empty()) {
      folder = arg;
    } else {
      return Usage();
    }
  }
  if (folder.empty() && fixturePath.empty()) return Usage();

  fixture::CompanyImage company;
  std::string error;
  if (!sample::BuildSampleCompany(options, &company, &error)) {
    std::fprintf(stderr, "qxsample: %s\n", error.c_str());
    return 1;
  }
  if (!fixturePath.empty()) {
    const std::string comment = "The sample company";
    if (fixturePath == "-") {
      fixture::WriteFixture(company, std::cout, comment);
    } else {
      std::ofstream out(fixturePath, std::ios::binary);
      fixture::WriteFixture(company, out, comment);
      if (!out.good()) {
        std::fprintf(stderr, "qxsample: cannot write %s\n", fixturePath.c_str());
        return 1;
      }
    }
  }
  if (!folder.empty()) {
    fixture::Problem problem;
    if (!fixture::WriteCompany(company, folder, write, &problem)) {
      std::fprintf(stderr, "qxsample: %s\n", problem.Text().c_str());
      return 1;
    }
  }
  return 0;
}
