// Registry values in the user's configuration folder, and ini-file reading.
#include "qxwreg.h"
#include "qxsys/user_folders.h"

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
  if (!qxsys::MakeFolders(folder).empty()) return -1;
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
  RegistryPath() = qxsys::UserConfigFolder() + "/" + application + ".ini";
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
