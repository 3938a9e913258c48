// The records of a company folder as stored, read back by the tests that run
// the programs on it.
//
// Header only: a test that includes it links the fixture loader (qxfixture).
#pragma once

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "fixture/company.h"

namespace qxtest {

// Every record of file `fileNo` of the company in `folder`, in the order
// written, each copied into a `Record` (the file's stored layout).  A file
// that cannot be read fails the test and gives none.
template <class Record>
std::vector<Record> StoredRecords(const std::filesystem::path& folder, int fileNo) {
  fixture::CompanyImage image;
  fixture::Problem problem;
  const int files[] = {fileNo};
  EXPECT_TRUE(fixture::ReadCompany(folder, files, &image, &problem)) << problem.Text();
  std::vector<Record> out;
  for (const auto& bytes : image.files[fileNo]) {
    Record r{};
    std::memcpy(&r, bytes.data(), std::min(bytes.size(), sizeof r));
    out.push_back(r);
  }
  return out;
}

}  // namespace qxtest
