#include "launcher/url_handler.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qxl {
namespace {

// The commands a report's link or "Run again" leads to: the journal and the
// reports that take a parameter string.  Nothing that posts or changes the
// books is ever started from a link.
constexpr int kLinkedCommands[] = {301, 329, 337, 338, 340, 344, 345, 350, 354, 359};

bool Linked(int command) {
  for (int c : kLinkedCommands) {
    if (c == command) return true;
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Percent-decoding; false for a broken escape or a control character.
bool Decode(const std::string& text, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%') {
      const int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
      const int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
      if (hi < 0 || lo < 0) return false;
      c = static_cast<char>(hi * 16 + lo);
      i += 2;
    } else if (c == '+') {
      c = ' ';
    }
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    *out += c;
  }
  return true;
}

// A whole number of at most 5 digits.
bool Number(const std::string& text, int* value) {
  if (text.empty() || text.size() > 5) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

// Checks the parameter string's grammar (blank-separated pairs of a key,
// "=" and a quoted value, a quote inside written doubled) and that no key
// is "output".
bool ParamsAsReportsWriteThem(const std::string& params, std::string* why) {
  std::size_t i = 0;
  while (true) {
    while (i < params.size() && params[i] == ' ') ++i;
    if (i >= params.size()) return true;
    const std::size_t eq = params.find('=', i);
    if (eq == std::string::npos || eq == i) return *why = "its parameters are not pairs of a key and a value", false;
    std::string key = params.substr(i, eq - i);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (key.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789") != std::string::npos)
      return *why = "its parameters are not pairs of a key and a value", false;
    if (key == "output") return *why = "it names a file to write", false;
    if (eq + 1 >= params.size() || params[eq + 1] != '\'')
      return *why = "a value of its parameters is not quoted", false;
    std::size_t j = eq + 2;
    for (;; ++j) {
      if (j >= params.size()) return *why = "a value of its parameters is not closed", false;
      if (params[j] != '\'') continue;
      if (j + 1 < params.size() && params[j + 1] == '\'') {
        ++j;
        continue;
      }
      break;
    }
    i = j + 1;
  }
}

}  // namespace

bool ParseQxaUrl(const std::string& url, QxaLink* link, std::string* why) {
  const std::string scheme = "qxa:";
  if (url.compare(0, scheme.size(), scheme) != 0) return *why = "it is not a qxa: link", false;
  const std::size_t question = url.find('?');
  const std::string command = url.substr(scheme.size(), question == std::string::npos ? std::string::npos
                                                                                      : question - scheme.size());
  QxaLink parsed;
  if (!Number(command, &parsed.command) || !Linked(parsed.command))
    return *why = "it does not name a report of this system", false;
  bool haveKind = false, haveParams = false;
  std::size_t at = question == std::string::npos ? url.size() : question + 1;
  while (at < url.size()) {
    const std::size_t amp = url.find('&', at);
    const std::string pair = url.substr(at, amp == std::string::npos ? std::string::npos : amp - at);
    at = amp == std::string::npos ? url.size() : amp + 1;
    const std::size_t eq = pair.find('=');
    const std::string name = pair.substr(0, eq);
    std::string value;
    if (eq == std::string::npos || !Decode(pair.substr(eq + 1), &value))
      return *why = "its part \"" + name + "\" cannot be read", false;
    if (name == "kind") {
      if (!Number(value, &parsed.kind) || (parsed.kind != 1 && parsed.kind != 2))
        return *why = "its kind is not a kind of link", false;
      haveKind = true;
    } else if (name == "p") {
      parsed.params = value;
      haveParams = true;
    } else if (name == "co") {
      if (value.empty() || value[0] != '/') return *why = "its company folder is not a full path", false;
      parsed.company = value;
    } else {
      return *why = "it has a part \"" + name + "\" that links do not have", false;
    }
  }
  if (!haveKind || !haveParams) return *why = "it lacks its kind or its parameters", false;
  if (parsed.params.size() > 1023) return *why = "its parameters are longer than 1023 characters", false;
  if (!ParamsAsReportsWriteThem(parsed.params, why)) return false;
  *link = std::move(parsed);
  return true;
}

std::vector<std::string> QxaLinkArguments(const std::string& launcher, const QxaLink& link) {
  std::vector<std::string> argv{launcher};
  if (!link.company.empty()) argv.push_back(link.company);
  argv.push_back("/only");
  argv.push_back("/cmd:" + std::to_string(link.command));
  argv.push_back("/param:" + link.params);
  return argv;
}

int UrlHandlerMain(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qxaurl qxa:<command>?kind=<kind>&p=<parameters>[&co=<company folder>]\n");
    return 2;
  }
  QxaLink link;
  std::string why;
  if (!ParseQxaUrl(argv[1], &link, &why)) {
    std::fprintf(stderr, "qxaurl: this link cannot be opened: %s.\n", why.c_str());
    return 2;
  }
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) {
    std::fprintf(stderr, "qxaurl: its own folder cannot be found: %s.\n", ec.message().c_str());
    return 1;
  }
  const std::string launcher = (self.parent_path() / "qxl15").string();
  const std::vector<std::string> args = QxaLinkArguments(launcher, link);
  std::vector<char*> raw;
  for (const std::string& a : args) raw.push_back(const_cast<char*>(a.c_str()));
  raw.push_back(nullptr);
  ::execv(launcher.c_str(), raw.data());
  std::fprintf(stderr, "qxaurl: %s cannot be started: %s.\n", launcher.c_str(), std::strerror(errno));
  return 1;
}

}  // namespace qxl
