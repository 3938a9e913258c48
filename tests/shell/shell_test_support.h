// Helpers of the main program's tests: temporary folders, companies, key
// scripts with their transcripts, and a program tree laid out as the
// installation lays it out, with the stand-in for Qxa-3 (qxtest/programs.h).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixture/company.h"
#include "qxtest/files.h"
#include "qxtest/programs.h"
#include "qxtest/transcript.h"
#include "records/dictionary.h"
#include "records/settings.h"

namespace shelltest {

namespace fs = std::filesystem;

using qxtest::Flat;
using qxtest::ReadAll;
using qxtest::Run;
using qxtest::RunProgram;
using qxtest::TempDir;
using qxtest::WriteAll;

// The program tree of this build with the stand-in for Qxa-3.
class ProgramTree : public qxtest::ProgramTree {
 public:
  explicit ProgramTree(const fs::path& root) : qxtest::ProgramTree(root, qxtest::BuiltProgramFiles()) {}
};

// Writes a company folder: every file of the dictionary, the settings file
// holding "0Company" (with `name`) and "0System" (with the five sibling
// program folders).
inline void MakeCompany(const fs::path& folder, const std::string& name,
                        const std::array<std::string, 5>& programFolders = {}) {
  records::CompanyRecord company{};
  std::memset(&company, 0, sizeof company);
  std::memcpy(company.key, records::MakeSettingsKey("0Company").text, sizeof company.key);
  std::memcpy(company.name, name.data(), std::min(name.size(), sizeof company.name - 1));
  records::SystemRecord system{};
  std::memset(&system, 0, sizeof system);
  std::memcpy(system.key, records::MakeSettingsKey("0System").text, sizeof system.key);
  for (std::size_t i = 0; i < programFolders.size(); ++i) {
    std::memset(system.programFolders[i], ' ', sizeof system.programFolders[i]);
    std::memcpy(system.programFolders[i], programFolders[i].data(),
                std::min(programFolders[i].size(), sizeof system.programFolders[i]));
  }
  fixture::CompanyImage image;
  auto bytes = [](const auto& record) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(&record);
    return std::vector<std::uint8_t>(p, p + sizeof record);
  };
  image.files[records::kFileSettings] = {bytes(company), bytes(system)};
  fixture::Problem problem;
  ASSERT_TRUE(fixture::WriteCompany(image, folder, {true}, &problem)) << problem.Text();
}

}  // namespace shelltest
