// The sample company as a test's company.
//
// Header only: a test that includes it links the sample company's generator
// (qxsamplecompany) and the fixture loader (qxfixture).
#pragma once

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "fixture/company.h"
#include "sample/sample_company.h"

namespace qxtest {

// The records of the sample company of `today` (a day number).
inline fixture::CompanyImage SampleCompany(std::int32_t today) {
  sample::Options options;
  options.today = today;
  fixture::CompanyImage image;
  std::string error;
  EXPECT_TRUE(sample::BuildSampleCompany(options, &image, &error)) << error;
  return image;
}

}  // namespace qxtest
