// Fuzzes the key-script reader with arbitrary bytes, as QX_KEYS may name any
// file: key names, quoted texts (UTF-8, with backslash escapes), comments,
// clicks and breaks.
//
// Besides the sanitizers' checks, it asserts what the reader promises: a
// refusal names a line of the script; an accepted script's every key carries
// a line of the script; and the script device then hands out exactly those
// keys, and the window's closing after them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "../src/internal.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 16 * 1024) return 0;
  const std::string text(reinterpret_cast<const char*>(data), size);
  int lines = 1;
  for (char c : text) lines += c == '\n';

  std::vector<rv::ScriptToken> tokens;
  std::string error;
  if (!rv::ParseKeyScript(text, &tokens, &error)) {
    Check(error.rfind("key script line ", 0) == 0);
    return 0;
  }
  for (const rv::ScriptToken& t : tokens) Check(t.line >= 1 && t.line <= lines);

  auto device = rv::MakeScriptDevice(text, nullptr);
  Check(device != nullptr);
  for (const rv::ScriptToken& t : tokens) Check(device->Read() == t.key);
  Check(device->Read() == kKeyClose);
  return 0;
}
