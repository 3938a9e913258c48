// Key names as key scripts and legends write them.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "internal.h"

namespace {

struct NamedKey {
  const char* name;
  KeyCode key;
};

constexpr NamedKey kNamed[] = {
    {"Esc", kKeyEsc},         {"Enter", kKeyEnter},         {"Tab", kKeyTab},
    {"Shift+Tab", kKeyShiftTab}, {"Backspace", kKeyBackspace}, {"Space", kKeySpace},
    {"Up", kKeyUp},           {"Down", kKeyDown},           {"Left", kKeyLeft},
    {"Right", kKeyRight},     {"Home", kKeyHome},           {"End", kKeyEnd},
    {"PgUp", kKeyPgUp},       {"PgDn", kKeyPgDn},           {"Ins", kKeyIns},
    {"Del", kKeyDel},         {"Ctrl+Home", kKeyCtrlHome},  {"Ctrl+End", kKeyCtrlEnd},
    {"Ctrl+PgUp", kKeyCtrlPgUp}, {"Ctrl+PgDn", kKeyCtrlPgDn}, {"Ctrl+Left", kKeyCtrlLeft},
    {"Ctrl+Right", kKeyCtrlRight}, {"F11", 0x8500},          {"F12", 0x8600},
    {"Escape", kKeyEsc},      {"Return", kKeyEnter},        {"PageUp", kKeyPgUp},
    {"PageDown", kKeyPgDn},   {"Insert", kKeyIns},          {"Delete", kKeyDel},
    {"Close", kKeyClose},
};

// PC scan codes of the letters A..Z (QWERTY layout).
constexpr unsigned char kLetterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                           0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                           0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

bool EqualNoCase(const std::string& a, const char* b) {
  std::size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return i == a.size() && b[i] == 0;
}

// "F1".."F10" -> 1..10, else 0.
int FunctionNumber(const std::string& s) {
  if (s.size() < 2 || (s[0] != 'F' && s[0] != 'f')) return 0;
  for (std::size_t i = 1; i < s.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(s[i]))) return 0;
  int n = std::atoi(s.c_str() + 1);
  return n >= 1 && n <= 10 ? n : 0;
}

}  // namespace

KeyCode KeyAltOf(char ch) {
  unsigned char c = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(ch)));
  if (c >= 'A' && c <= 'Z') return kLetterScan[c - 'A'] << 8;
  if (c >= '1' && c <= '9') return (0x78 + (c - '1')) << 8;
  if (c == '0') return 0x81 << 8;
  return 0;
}

KeyCode KeyFromName(const std::string& token) {
  if (token.empty()) return -1;
  for (const NamedKey& k : kNamed)
    if (EqualNoCase(token, k.name)) return k.key;
  if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
    char* end = nullptr;
    long v = std::strtol(token.c_str() + 2, &end, 16);
    if (end && *end == 0 && v > 0 && v <= 0xFFFF) return static_cast<KeyCode>(v);
    return -1;
  }
  if (int n = FunctionNumber(token)) return (0x3B + n - 1) << 8;
  auto prefixed = [&](const char* prefix, std::string* rest) {
    std::size_t n = std::char_traits<char>::length(prefix);
    if (token.size() <= n || !EqualNoCase(token.substr(0, n), prefix)) return false;
    *rest = token.substr(n);
    return true;
  };
  std::string rest;
  if (prefixed("Shift+", &rest)) {
    if (int n = FunctionNumber(rest)) return (0x54 + n - 1) << 8;
    if (EqualNoCase(rest, "Tab")) return kKeyShiftTab;
    return -1;
  }
  if (prefixed("Ctrl+", &rest)) {
    if (int n = FunctionNumber(rest)) return (0x5E + n - 1) << 8;
    if (rest.size() == 1 && std::isalpha(static_cast<unsigned char>(rest[0])))
      return std::toupper(static_cast<unsigned char>(rest[0])) - 'A' + 1;
    return -1;
  }
  if (prefixed("Alt+", &rest)) {
    if (int n = FunctionNumber(rest)) return (0x68 + n - 1) << 8;
    if (rest.size() == 1) {
      KeyCode k = KeyAltOf(rest[0]);
      return k ? k : -1;
    }
    return -1;
  }
  return -1;
}

std::string KeyName(KeyCode key) {
  for (const NamedKey& k : kNamed)
    if (k.key == key) return k.name;
  if (key >= 0x3B00 && key <= 0x4400 && (key & 0xFF) == 0) return "F" + std::to_string((key >> 8) - 0x3B + 1);
  if (key >= 0x5400 && key <= 0x5D00 && (key & 0xFF) == 0)
    return "Shift+F" + std::to_string((key >> 8) - 0x54 + 1);
  if (key >= 0x5E00 && key <= 0x6700 && (key & 0xFF) == 0)
    return "Ctrl+F" + std::to_string((key >> 8) - 0x5E + 1);
  if (key >= 0x6800 && key <= 0x7100 && (key & 0xFF) == 0)
    return "Alt+F" + std::to_string((key >> 8) - 0x68 + 1);
  if (key == kKeyMenuPick) return "MenuPick";
  if (key == kKeyMouse) return "Click";
  if ((key & 0xFF) == 0 && key != 0) {
    for (char c = 'A'; c <= 'Z'; ++c)
      if (KeyAltOf(c) == key) return std::string("Alt+") + c;
    for (char c = '0'; c <= '9'; ++c)
      if (KeyAltOf(c) == key) return std::string("Alt+") + c;
  }
  if (key >= 1 && key <= 26) return std::string("Ctrl+") + static_cast<char>('A' + key - 1);
  if (key > 32 && key < 256) {
    std::string s = "'";
    s += oem::ToUtf8(std::string(1, static_cast<char>(key)));
    return s + "'";
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(key));
  return buf;
}
