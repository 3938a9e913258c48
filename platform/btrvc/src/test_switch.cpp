#include "test_switch.h"

#include <cctype>
#include <cstdlib>
#include <sstream>

namespace btrvc {
namespace {

bool ToInt(const std::string& text, long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtol(text.c_str(), &end, 10);
  return *end == '\0';
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

bool TestSwitches::Set(const std::string& spec) {
  TestSwitches next;
  std::istringstream in(spec);
  std::string item;
  while (in >> item) {
    const auto eq = item.find('=');
    if (eq == std::string::npos) return false;
    const std::string name = item.substr(0, eq);
    const std::string value = item.substr(eq + 1);
    long n = 0;
    if (name == "resident") {
      if (!ToInt(value, n)) return false;
      next.notResident_ = n == 0;
    } else if (name == "version") {
      const auto dot = value.find('.');
      long major = 0, minor = 0;
      if (!ToInt(value.substr(0, dot), major)) return false;
      if (dot != std::string::npos && !ToInt(value.substr(dot + 1), minor)) return false;
      next.hasVersion_ = true;
      next.major_ = static_cast<int>(major);
      next.minor_ = static_cast<int>(minor);
    } else if (name == "fail") {
      // <op>:<file>:<n>:<status>; the file name may not hold a colon.
      std::vector<std::string> parts;
      std::string part;
      std::istringstream fields(value);
      while (std::getline(fields, part, ':')) parts.push_back(part);
      Rule rule;
      long op = 0, status = 0;
      if (parts.size() != 4 || parts[1].empty() || !ToInt(parts[0], op) ||
          !ToInt(parts[2], rule.nth) || !ToInt(parts[3], status) || rule.nth < 1 || status <= 0)
        return false;
      rule.op = static_cast<int>(op);
      rule.file = Upper(parts[1]);
      rule.status = static_cast<int>(status);
      next.rules_.push_back(rule);
    } else if (name == "commit") {
      // <n>:<status>
      const auto colon = value.find(':');
      long status = 0;
      if (colon == std::string::npos || !ToInt(value.substr(0, colon), next.commitNth_) ||
          !ToInt(value.substr(colon + 1), status) || next.commitNth_ < 1 || status <= 0)
        return false;
      next.commitStatus_ = static_cast<int>(status);
    } else if (name == "group") {
      // <units>:<millis>
      const auto colon = value.find(':');
      long units = 0, millis = 0;
      if (colon == std::string::npos || !ToInt(value.substr(0, colon), units) ||
          !ToInt(value.substr(colon + 1), millis) || units < 1 || millis < 1)
        return false;
      next.groupUnits_ = static_cast<int>(units);
      next.groupMillis_ = static_cast<int>(millis);
    } else {
      return false;
    }
  }
  *this = next;
  return true;
}

bool TestSwitches::Version(int& major, int& minor) const {
  if (!hasVersion_) return false;
  major = major_;
  minor = minor_;
  return true;
}

int TestSwitches::Fail(int op, const std::string& foldedFile) {
  int status = 0;
  for (Rule& r : rules_) {
    if (r.op != op || (r.file != "*" && r.file != foldedFile)) continue;
    if (++r.calls == r.nth && status == 0) status = r.status;
  }
  return status;
}

int TestSwitches::FailCommit() {
  if (commitStatus_ == 0) return 0;
  return ++commits_ == commitNth_ ? commitStatus_ : 0;
}

void TestSwitches::GroupBounds(int& units, int& millis) const {
  if (groupUnits_ == 0) return;
  units = groupUnits_;
  millis = groupMillis_;
}

}  // namespace btrvc
