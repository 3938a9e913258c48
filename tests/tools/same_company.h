// Compares the records of two companies and names the first difference (a
// plain comparison of the maps would print every byte of both).
#pragma once

#include <gtest/gtest.h>

#include "fixture/company.h"

namespace fixture {

inline ::testing::AssertionResult SameCompany(const CompanyImage& actual, const CompanyImage& expected) {
  for (const auto& [file, records] : expected.files) {
    auto it = actual.files.find(file);
    const std::size_t have = it == actual.files.end() ? 0 : it->second.size();
    if (have != records.size()) {
      return ::testing::AssertionFailure() << "file " << file << ": " << have << " records, expected " << records.size();
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (it->second[i] != records[i]) {
        std::size_t at = 0;
        while (at < records[i].size() && at < it->second[i].size() && it->second[i][at] == records[i][at]) ++at;
        return ::testing::AssertionFailure() << "file " << file << ", record " << i + 1 << " differs at byte " << at;
      }
    }
  }
  for (const auto& [file, records] : actual.files) {
    if (!expected.files.count(file) && !records.empty()) {
      return ::testing::AssertionFailure() << "file " << file << " has " << records.size() << " records, expected none";
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace fixture
