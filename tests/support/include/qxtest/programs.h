// The system's programs as a user runs them: a program tree laid out as the
// installation lays it out, and a program run on a key script with its
// transcript (QX_KEYS, QX_TRANSCRIPT), its exit status and what it wrote to
// standard error.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qxtest {

// What a program tree is made of, as the build wrote it.
struct ProgramFiles {
  std::string qxa15;             // the main program
  std::string qxl15;             // the launcher
  std::string qxa3;              // the library laid out as libQxa-3.so (this build's, or a stand-in)
  std::string commonLibraries;   // "file=name|file=name": each shared library and its SONAME file name
  std::string version;           // the project's version, "15.0.0"
};

// The files of this build that the test's CMake named through
// qx_program_tree(<test> ...) (tests/support/CMakeLists.txt).
#ifdef QX_TREE_QXA15_FILE
inline ProgramFiles BuiltProgramFiles() {
  return ProgramFiles{QX_TREE_QXA15_FILE, QX_TREE_QXL15_FILE, QX_TREE_QXA3_FILE, QX_TREE_COMMON_LIBRARIES,
                      QX_TREE_VERSION};
}
#endif

// A program tree as `cmake --install` lays it out: program/ (qxa15, qxl15,
// libQxa-3.so, QXA4BASE with the base data of the source tree and the
// screens library's version file, an empty QXACDICT) and common/ (the shared
// libraries under their SONAME file names).  The files are copies, so that a
// test may take one away or replace it.
class ProgramTree {
 public:
  ProgramTree(const std::filesystem::path& root, const ProgramFiles& files);

  std::filesystem::path Program() const { return root_ / "program"; }
  std::filesystem::path Common() const { return root_ / "common"; }
  std::string Qxa15() const { return (Program() / "qxa15").string(); }
  std::string Qxl15() const { return (Program() / "qxl15").string(); }

  // Copies a file with its permissions, replacing `to`.
  static void Copy(const std::filesystem::path& from, const std::filesystem::path& to);

 private:
  std::filesystem::path root_;
};

// The result of running a program.
struct Run {
  int status = -1;         // exit status; -1 when it did not exit normally
  std::string transcript;  // the key script's transcript, its lines joined (Flat)
  std::string errors;      // standard error
};

// Runs `argv` (argv[0] the program's path) in the folder `work` and waits:
// the key script `keys` and the transcript are files in `work`; the
// environment is this process's without QX_BASEDATA and QX_BTRV_TEST, with
// the changes `env` ("NAME=value"; "NAME=" removes it).  Standard input is
// /dev/null, so the program never finds a terminal.
Run RunProgram(const std::vector<std::string>& argv, const std::string& keys, const std::vector<std::string>& env,
               const std::filesystem::path& work);

// A user of the main program of a program tree, each run one command on a
// company (qxa15 <company> /only /cmd:<id>), started in the user's folder,
// with the registry values in a folder of their own and today fixed.
class ProgramUser {
 public:
  // Lays out the program tree in `folder`/inst and makes the user's folder
  // `folder`/user; the registry values go in `folder`/config.  `today`
  // ("2025-03-31") is the date every run takes as today.
  ProgramUser(const std::filesystem::path& folder, const ProgramFiles& files, std::string today);

  // Runs command `command` on the company folder `company` on the key script
  // `keys`, with the further `arguments` ("/param:..."), as RunProgram does.
  Run Command(const std::string& company, int command, const std::string& keys,
              const std::vector<std::string>& arguments = {}) const;

  // The same run with neither a terminal nor a key script, as a scheduled
  // job starts it: what was said is on standard error, and in the
  // transcript, which QX_TRANSCRIPT still names.
  Run CommandWithoutKeys(const std::string& company, int command, const std::vector<std::string>& arguments = {}) const;

  // The user's folder, where each run starts and writes its files.
  const std::filesystem::path& Folder() const { return user_; }

 private:
  Run Start(const std::string& company, int command, const std::string& keys,
            const std::vector<std::string>& arguments, std::vector<std::string> env) const;

  ProgramTree tree_;
  std::filesystem::path user_, config_;
  std::string today_;
};

}  // namespace qxtest
