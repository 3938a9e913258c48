#include "automation/registry.h"

#include <new>

#include "automation/spreadsheet/application.h"
#include "automation/wordprocessor/application.h"

namespace qx::automation {

namespace {

struct ServerClass {
  std::string_view progId;
  DispatchPtr (*create)();
};

constexpr ServerClass kServers[] = {
    {"Quarlex.Spreadsheet", &spreadsheet::CreateApplication},
    {"Quarlex.WordProcessor", [] { return wordprocessor::CreateApplication(); }},
};

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

HResult CreateObject(std::string_view progId, DispatchPtr* object) noexcept {
  for (const ServerClass& server : kServers) {
    if (!SameName(server.progId, progId)) continue;
    try {
      *object = server.create();
      return kOk;
    } catch (const std::bad_alloc&) {
      return kErrorOutOfMemory;
    }
  }
  return kClassNotFound;
}

}  // namespace qx::automation
