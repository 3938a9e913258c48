// Registry values in the user's configuration folder, and ini-file reading.
#include "qxwreg.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "ini_file.h"

namespace {

std::string& RegistryPath() {
  static std::string path;
  return path;
}

bool UsableName(const char* name) {
  if (!name || !*name || std::strlen(name) > 64 || name[0] == '.') return false;
  for (const char* p = name; *p; ++p) {
    const char c = *p;
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '.' || c == '-' || c == '_';
    if (!ok) return false;
  }
  return true;
}

std::string ConfigFolder() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') {
    const passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  if (!home || home[0] != '/') return {};
  return std::string(home) + "/.config";
}

// Makes `folder` and its missing parents (owner-only for the new ones).
bool MakeFolders(const std::string& folder) {
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    std::string part = folder.substr(0, at);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat st {};
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ValidName(const char* text) {
  return text && *text && !std::strpbrk(text, "[]=\r\n");
}

int CopyOut(const std::string& value, char* out, int size) {
  if (!out || size <= 0) return 0;
  std::size_t n = std::min(value.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(out, value.data(), n);
  out[n] = 0;
  return static_cast<int>(n);
}

int Store(const char* section, const char* name, const std::string& value) {
  const std::string& path = RegistryPath();
  if (path.empty() || !ValidName(section) || !ValidName(name)) return -1;
  if (value.find_first_of("\r\n") != std::string::npos) return -1;
  std::string folder = path.substr(0, path.rfind('/'));
  if (!MakeFolders(folder)) return -1;
  qxwreg::IniFile ini;
  if (!ini.Load(path)) return -1;
  ini.Set(section, name, value);
  return ini.Save(path) ? 0 : -1;
}

std::optional<std::string> Lookup(const char* section, const char* name) {
  const std::string& path = RegistryPath();
  if (path.empty() || !ValidName(section) || !ValidName(name)) return std::nullopt;
  qxwreg::IniFile ini;
  if (!ini.Load(path)) return std::nullopt;
  return ini.Get(section, name);
}

}  // namespace

int RegInit(const char* application, int /*id*/) {
  RegistryPath().clear();
  if (!UsableName(application)) return -1;
  std::string folder = ConfigFolder();
  if (folder.empty()) return -1;
  RegistryPath() = folder + "/quarlex/" + application + ".ini";
  return 0;
}

const char* RegFilePath() { return RegistryPath().c_str(); }

int RegGetInt(const char* section, const char* name, int defaultValue) {
  auto value = Lookup(section, name);
  if (!value || value->empty()) return defaultValue;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(value->c_str(), &end, 10);
  if (errno || *end || v < INT_MIN || v > INT_MAX) return defaultValue;
  return static_cast<int>(v);
}

int RegSetInt(const char* section, const char* name, int value) {
  return Store(section, name, std::to_string(value));
}

int RegGetString(const char* section, const char* name, const char* defaultValue, char* out,
                 int size) {
  auto value = Lookup(section, name);
  return CopyOut(value ? *value : std::string(defaultValue ? defaultValue : ""), out, size);
}

int RegSetString(const char* section, const char* name, const char* value) {
  return Store(section, name, value ? value : "");
}

int ProfileGetString(const char* section, const char* key, const char* defaultValue, char* out,
                     int size, const char* file) {
  std::optional<std::string> value;
  if (file && *file && ValidName(section) && ValidName(key)) {
    qxwreg::IniFile ini;
    if (ini.Load(file)) value = ini.Get(section, key);
  }
  return CopyOut(value ? *value : std::string(defaultValue ? defaultValue : ""), out, size);
}
