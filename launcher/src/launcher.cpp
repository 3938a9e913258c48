// The launcher: its folder's parent, the library search path, and the start
// of the main program in its place.
#include "launcher/launcher.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace qxl {
namespace {

constexpr char kSearchPathVariable[] = "LD_LIBRARY_PATH";
constexpr char kMainProgram[] = "qxa15";
constexpr char kStartFolderVariable[] = "QX_START_FOLDER";
constexpr char kCaption[] = "Quarlex Accounting";
// Files the user names in the environment (the key script, the transcript).
constexpr const char* kUserFileVariables[] = {"QX_KEYS", "QX_TRANSCRIPT"};

std::string WithoutTrailingSlash(std::string path) {
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

bool IsBlank(const char* text) {
  if (!text) return true;
  for (; *text; ++text)
    if (*text != ' ') return false;
  return true;
}

}  // namespace

LaunchPlan PlanLaunch(const std::string& selfPath) {
  LaunchPlan plan;
  const std::size_t slash = selfPath.find_last_of('/');
  if (slash == std::string::npos) return plan;
  const std::string folder = selfPath.substr(0, slash + 1);
  const std::string name = selfPath.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
  plan.mainProgram = folder + kMainProgram + extension;
  plan.workingFolder = folder;

  // The parent is the folder cut at its last slash; the root has none, and
  // the root is the parent of a folder just below it.
  const std::string trimmed = WithoutTrailingSlash(folder);
  const std::size_t cut = trimmed.find_last_of('/');
  if (trimmed.empty() || cut == std::string::npos) return plan;
  plan.commonFolder = WithoutTrailingSlash(trimmed.substr(0, cut) + "/common");
  plan.valid = true;
  return plan;
}

std::string PathFromFolder(const std::string& folder, const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  return WithoutTrailingSlash(folder) + "/" + path;
}

bool SearchPathHolds(const std::string& list, const std::string& folder) {
  const std::string wanted = WithoutTrailingSlash(folder);
  std::size_t from = 0;
  for (;;) {
    const std::size_t colon = list.find(':', from);
    const std::string entry = list.substr(from, colon == std::string::npos ? std::string::npos : colon - from);
    if (!entry.empty() && WithoutTrailingSlash(entry) == wanted) return true;
    if (colon == std::string::npos) return false;
    from = colon + 1;
  }
}

std::string SearchPathWith(const std::string& commonFolder, const char* current) {
  if (!current || !*current) return commonFolder;
  if (SearchPathHolds(current, commonFolder)) return current;
  return commonFolder + ":" + current;
}

std::vector<std::string> MainProgramArguments(const std::string& mainProgram, int argc,
                                              const char* const* argv) {
  std::vector<std::string> args{mainProgram};
  bool allBlank = true;
  for (int i = 1; i < argc; ++i) allBlank = allBlank && IsBlank(argv[i]);
  if (!allBlank)
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  return args;
}

int LauncherMain(int argc, char** argv) {
  std::error_code ec;
  const std::string self = std::filesystem::read_symlink("/proc/self/exe", ec).string();
  const LaunchPlan plan = PlanLaunch(ec ? std::string() : self);
  if (!plan.valid) {
    std::fprintf(stderr, "%s: Invalid path. You must run this program from the same folder where %s is located.\n",
                 kCaption, kMainProgram);
    return 1;
  }
  const std::string path = SearchPathWith(plan.commonFolder, std::getenv(kSearchPathVariable));
  // The main program starts in its own folder; it learns the user's folder
  // from kStartFolderVariable, so that relative paths the user types (a
  // company folder, a report file) keep meaning what they meant.
  const std::string userFolder = std::filesystem::current_path(ec).string();
  if (!ec && std::getenv(kStartFolderVariable) == nullptr) setenv(kStartFolderVariable, userFolder.c_str(), 1);
  // The key script and the transcript the user names are files of that
  // folder too, not of the program's.
  if (const char* start = std::getenv(kStartFolderVariable); start && *start == '/') {
    for (const char* variable : kUserFileVariables) {
      const char* value = std::getenv(variable);
      if (value == nullptr) continue;
      const std::string absolute = PathFromFolder(start, value);
      if (absolute != value) setenv(variable, absolute.c_str(), 1);
    }
  }
  if (setenv(kSearchPathVariable, path.c_str(), 1) != 0 || chdir(plan.workingFolder.c_str()) != 0) {
    std::fprintf(stderr, "%s: %s: %s\n", kCaption, plan.workingFolder.c_str(), std::strerror(errno));
    return 1;
  }
  const std::vector<std::string> args = MainProgramArguments(plan.mainProgram, argc, argv);
  std::vector<char*> list;
  for (const std::string& a : args) list.push_back(const_cast<char*>(a.c_str()));
  list.push_back(nullptr);
  execv(plan.mainProgram.c_str(), list.data());
  std::fprintf(stderr, "%s: cannot start %s: %s\n", kCaption, plan.mainProgram.c_str(), std::strerror(errno));
  return 1;
}

}  // namespace qxl
