// Helpers of the main program's tests: temporary folders, companies, key
// scripts with their transcripts, and a program tree laid out as the
// installation lays it out.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fixture/company.h"
#include "records/dictionary.h"
#include "records/settings.h"

namespace shelltest {

namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// A transcript with its lines joined by blanks: message boxes wrap long
// lines, so texts are looked for in this form.
inline std::string Flat(std::string text) {
  for (char& c : text)
    if (c == '\n') c = ' ';
  return text;
}

// A temporary folder removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/qxshellXXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
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

// The result of running a program.
struct Run {
  int status = -1;        // exit status; -1 when it did not exit normally
  std::string transcript; // the key script's transcript
  std::string errors;     // standard error
};

// Runs `argv` with the environment changes `env` ("NAME=value"; "NAME="
// removes it), keys `keys` (a key script) and a transcript, and waits.
inline Run RunProgram(const std::vector<std::string>& argv, const std::string& keys,
                      const std::vector<std::string>& env, const fs::path& work) {
  const fs::path keyFile = work / "keys.txt", transcript = work / "transcript.txt",
                 errors = work / "stderr.txt";
  WriteAll(keyFile, keys);
  fs::remove(transcript);
  pid_t pid = fork();
  if (pid == 0) {
    setenv("QX_KEYS", keyFile.c_str(), 1);
    setenv("QX_TRANSCRIPT", transcript.c_str(), 1);
    unsetenv("QX_BASEDATA");
    unsetenv("QX_BTRV_TEST");
    for (const std::string& e : env) {
      const std::size_t eq = e.find('=');
      const std::string name = e.substr(0, eq), value = e.substr(eq + 1);
      if (value.empty())
        unsetenv(name.c_str());
      else
        setenv(name.c_str(), value.c_str(), 1);
    }
    std::freopen(errors.c_str(), "w", stderr);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  Run run;
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  if (WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
  run.transcript = Flat(ReadAll(transcript));
  run.errors = ReadAll(errors);
  return run;
}

// A program tree as `cmake --install` lays it out: program/ (qxa15, qxl15,
// libQxa-3.so, QXA4BASE with the base data, QXACDICT) and common/ (the
// shared libraries under their SONAME file names).  Copies, so that a test
// may take a file away or replace it.
class ProgramTree {
 public:
  explicit ProgramTree(const fs::path& root) : root_(root) {
    fs::create_directories(Program() / "QXACDICT");
    fs::create_directories(Common());
    Copy(QX_QXA15_FILE, Program() / "qxa15");
    Copy(QX_QXL15_FILE, Program() / "qxl15");
    Copy(QX_FAKE_QXA3_FILE, Program() / "libQxa-3.so");
    fs::copy(QX_SOURCE_DIR "/data", Program() / "QXA4BASE", fs::copy_options::recursive);
    fs::remove(Program() / "QXA4BASE" / "CMakeLists.txt");
    WriteAll(Program() / "QXA4BASE" / "qxascrns.ver", QX_PROJECT_VERSION "\n");
    std::istringstream libs(QX_COMMON_LIBRARIES);
    std::string entry;  // "file=name|file=name"
    while (std::getline(libs, entry, '|')) {
      const std::size_t eq = entry.find('=');
      Copy(entry.substr(0, eq), Common() / entry.substr(eq + 1));
    }
  }
  fs::path Program() const { return root_ / "program"; }
  fs::path Common() const { return root_ / "common"; }
  std::string Qxa15() const { return (Program() / "qxa15").string(); }
  std::string Qxl15() const { return (Program() / "qxl15").string(); }

  static void Copy(const fs::path& from, const fs::path& to) {
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::status(from).permissions());
  }

 private:
  fs::path root_;
};

}  // namespace shelltest
