// Fuzzes the ini reader and writer with arbitrary bytes, as the registry file
// and WINPOP.INI may hold anything.
//
// The input's first line names a section, a key and a value ("section TAB
// key TAB value"), its second line another section and key; the rest is the
// ini text.  Besides the sanitizers' checks, it asserts what the writer
// promises: a value set is read back as set; every other value reads as it
// did; and the written text reads back to the same lines.
#include <strings.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../src/ini_file.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string_view NextLine(std::string_view* text) {
  const std::size_t end = text->find('\n');
  const std::string_view line = text->substr(0, end);
  text->remove_prefix(end == std::string_view::npos ? text->size() : end + 1);
  return line;
}

// A name or value an ini line can carry: no line breaks, no NUL, no blanks
// around it, and none of `forbidden`.
std::string Clean(std::string_view field, std::string_view forbidden) {
  std::string out;
  for (char c : field) {
    if (c == '\n' || c == '\r' || c == '\0' || forbidden.find(c) != std::string_view::npos) continue;
    out += c;
  }
  const std::size_t from = out.find_first_not_of(" \t");
  if (from == std::string::npos) return {};
  return out.substr(from, out.find_last_not_of(" \t") - from + 1);
}

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> fields(3);
  for (std::size_t i = 0; i < 3; ++i) {
    const std::size_t tab = line.find('\t');
    fields[i] = std::string(line.substr(0, tab));
    line.remove_prefix(tab == std::string_view::npos ? line.size() : tab + 1);
  }
  return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 16 * 1024) return 0;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> probe = Fields(NextLine(&input));
  const std::vector<std::string> other = Fields(NextLine(&input));

  qxwreg::IniFile ini;
  ini.Parse(input);
  const std::string text = ini.Text();
  qxwreg::IniFile again;
  again.Parse(text);
  Check(again.Text() == text);

  const std::string section = Clean(probe[0], "[]");
  // A key may not begin a comment.
  std::string key = Clean(probe[1], "=[");
  while (!key.empty() && (key[0] == ';' || key[0] == '#')) key = Clean(key.substr(1), "");
  const std::string value = Clean(probe[2], "");
  if (section.empty() || key.empty()) return 0;

  const std::optional<std::string> otherBefore = ini.Get(other[0], other[1]);
  ini.Set(section, key, value);
  Check(ini.Get(section, key) == value);
  const bool same = strcasecmp(other[0].c_str(), section.c_str()) == 0 &&
                    strcasecmp(other[1].c_str(), key.c_str()) == 0;
  if (!same && other[0].find('\0') == std::string::npos && other[1].find('\0') == std::string::npos) {
    Check(ini.Get(other[0], other[1]) == otherBefore);
  }
  qxwreg::IniFile written;
  written.Parse(ini.Text());
  Check(written.Get(section, key) == value);
  return 0;
}
