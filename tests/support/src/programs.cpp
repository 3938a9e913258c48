#include "qxtest/programs.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <utility>

#include "qxtest/files.h"
#include "qxtest/transcript.h"

namespace qxtest {

namespace fs = std::filesystem;

ProgramTree::ProgramTree(const fs::path& root, const ProgramFiles& files) : root_(root) {
  fs::create_directories(Program() / "QXACDICT");
  fs::create_directories(Common());
  Copy(files.qxa15, Program() / "qxa15");
  if (!files.qxl15.empty()) Copy(files.qxl15, Program() / "qxl15");
  Copy(files.qxa3, Program() / "libQxa-3.so");
  fs::copy(SourceDataFolder(), Program() / "QXA4BASE", fs::copy_options::recursive);
  fs::remove(Program() / "QXA4BASE" / "CMakeLists.txt");
  WriteAll(Program() / "QXA4BASE" / "qxascrns.ver", files.version + "\n");
  std::istringstream libraries(files.commonLibraries);
  std::string entry;  // "file=name"
  while (std::getline(libraries, entry, '|')) {
    const std::size_t eq = entry.find('=');
    Copy(entry.substr(0, eq), Common() / entry.substr(eq + 1));
  }
}

void ProgramTree::Copy(const fs::path& from, const fs::path& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  fs::permissions(to, fs::status(from).permissions());
}

Run RunProgram(const std::vector<std::string>& argv, const std::string& keys, const std::vector<std::string>& env,
               const fs::path& work) {
  const fs::path keyFile = work / "keys.txt", transcript = work / "transcript.txt", errors = work / "stderr.txt";
  WriteAll(keyFile, keys);
  std::error_code ec;
  fs::remove(transcript, ec);
  // Everything the child needs is made before fork: it only sets its
  // environment and starts the program.
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(work.c_str()) != 0) _exit(126);
    setenv("QX_KEYS", keyFile.c_str(), 1);
    setenv("QX_TRANSCRIPT", transcript.c_str(), 1);
    unsetenv("QX_BASEDATA");
    unsetenv("QX_BTRV_TEST");
    for (const std::string& e : env) {
      const std::size_t eq = e.find('=');
      const std::string name = e.substr(0, eq), value = eq == std::string::npos ? "" : e.substr(eq + 1);
      if (value.empty())
        unsetenv(name.c_str());
      else
        setenv(name.c_str(), value.c_str(), 1);
    }
    if (std::freopen("/dev/null", "r", stdin) == nullptr) _exit(126);
    if (std::freopen(errors.c_str(), "w", stderr) == nullptr) _exit(126);
    execv(args[0], args.data());
    _exit(127);
  }
  Run run;
  int wstatus = 0;
  if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) run.status = WEXITSTATUS(wstatus);
  run.transcript = Flat(ReadAll(transcript));
  run.errors = ReadAll(errors);
  return run;
}

ProgramUser::ProgramUser(const fs::path& folder, const ProgramFiles& files, std::string today)
    : tree_(folder / "inst", files), user_(folder / "user"), config_(folder / "config"), today_(std::move(today)) {
  fs::create_directories(user_);
}

Run ProgramUser::Command(const std::string& company, int command, const std::string& keys,
                         const std::vector<std::string>& arguments) const {
  return Start(company, command, keys, arguments, {});
}

Run ProgramUser::CommandWithoutKeys(const std::string& company, int command,
                                    const std::vector<std::string>& arguments) const {
  return Start(company, command, "", arguments, {"QX_KEYS="});
}

Run ProgramUser::Start(const std::string& company, int command, const std::string& keys,
                       const std::vector<std::string>& arguments, std::vector<std::string> env) const {
  std::vector<std::string> argv = {tree_.Qxa15(), company, "/only", "/cmd:" + std::to_string(command)};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  env.insert(env.begin(), {"QX_TODAY=" + today_, "XDG_CONFIG_HOME=" + config_.string(),
                           "XDG_STATE_HOME=" + (config_.parent_path() / "state").string()});
  return RunProgram(argv, keys, env, user_);
}

}  // namespace qxtest
