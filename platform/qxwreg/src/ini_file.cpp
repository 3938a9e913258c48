// Ini files as lines: reading values and rewriting a value in place.
#include "ini_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <strings.h>

namespace qxwreg {
namespace {

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  std::size_t from = text.find_first_not_of(blanks);
  if (from == std::string::npos) return {};
  std::size_t to = text.find_last_not_of(blanks);
  return text.substr(from, to - from + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The section a line opens, when it is a section line.
std::optional<std::string> SectionOf(const std::string& line) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return std::nullopt;
  std::size_t close = t.find(']');
  if (close == std::string::npos) return std::nullopt;
  return Trim(t.substr(1, close - 1));
}

// The key and value of a "key=value" line (comments and other lines: none).
bool KeyValueOf(const std::string& line, std::string* key, std::string* value) {
  std::string t = Trim(line);
  if (t.empty() || t[0] == ';' || t[0] == '#' || t[0] == '[') return false;
  std::size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  *key = Trim(t.substr(0, eq));
  *value = Trim(t.substr(eq + 1));
  return true;
}

}  // namespace

bool IniFile::Load(const std::string& path) {
  lines_.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return access(path.c_str(), F_OK) != 0;  // missing: empty; unreadable: false
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return false;
  Parse(text.view());
  return true;
}

void IniFile::Parse(std::string_view text) {
  lines_.clear();
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    // Carriage returns that end a line are the line's end, however many
    // (a file saved through two systems' conversions may carry "\r\r\n").
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.emplace_back(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

std::string IniFile::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\n";
  return text;
}

std::optional<std::string> IniFile::Get(const std::string& section, const std::string& key) const {
  bool inside = false;
  for (const std::string& line : lines_) {
    if (auto s = SectionOf(line)) {
      inside = SameName(*s, section);
      continue;
    }
    std::string k, v;
    if (inside && KeyValueOf(line, &k, &v) && SameName(k, key)) return v;
  }
  return std::nullopt;
}

void IniFile::Set(const std::string& section, const std::string& key, const std::string& value) {
  const std::string entry = key + "=" + value;
  bool inside = false;
  std::size_t sectionEnd = lines_.size();  // where a new key of the section goes
  bool sectionFound = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (auto s = SectionOf(lines_[i])) {
      if (inside) break;
      inside = SameName(*s, section);
      if (inside) {
        sectionFound = true;
        sectionEnd = i + 1;
      }
      continue;
    }
    if (!inside) continue;
    std::string k, v;
    if (KeyValueOf(lines_[i], &k, &v) && SameName(k, key)) {
      lines_[i] = entry;
      return;
    }
    if (!Trim(lines_[i]).empty()) sectionEnd = i + 1;
  }
  if (sectionFound) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
    return;
  }
  if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back("");
  lines_.push_back("[" + section + "]");
  lines_.push_back(entry);
}

bool IniFile::Save(const std::string& path) const {
  std::string temp = path + ".new";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::string text = Text();
  const char* p = text.data();
  std::size_t left = text.size();
  bool ok = true;
  while (left > 0) {
    ssize_t n = write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
  std::remove(temp.c_str());
  return false;
}

}  // namespace qxwreg
