#include "qxsys/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qxsys {
namespace {

// The value of an environment variable that names an absolute path, else "".
std::string AbsoluteVariable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return "";
  std::string path = value;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string Home() {
  if (std::string home = AbsoluteVariable("HOME"); !home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') return pw->pw_dir;
  return "/tmp";
}

std::string Under(const char* variable, const char* fallback) {
  std::string base = AbsoluteVariable(variable);
  if (base.empty()) base = Home() + fallback;
  return (base == "/" ? "" : base) + "/quarlex";
}

}  // namespace

std::string UserConfigFolder() { return Under("XDG_CONFIG_HOME", "/.config"); }

std::string UserStateFolder() { return Under("XDG_STATE_HOME", "/.local/state"); }

std::string TemporaryFolder() {
  for (const char* name : {"TMPDIR", "XDG_RUNTIME_DIR"}) {
    if (std::string folder = AbsoluteVariable(name); !folder.empty()) return folder;
  }
  return "/tmp";
}

std::string MakeFolders(const std::string& folder) {
  for (std::size_t i = 1; i <= folder.size(); ++i) {
    if (i < folder.size() && folder[i] != '/') continue;
    const std::string path = folder.substr(0, i);
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
      return "the folder \"" + path + "\" cannot be made: " + std::strerror(errno);
    }
  }
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return "\"" + folder + "\" is not a folder";
  return "";
}

}  // namespace qxsys
