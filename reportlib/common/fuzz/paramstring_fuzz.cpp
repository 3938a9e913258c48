// Fuzzes the report parameter-string parser with arbitrary bytes, as a link or
// a saved run from an untrusted HTML page could hand it.
//
// Besides the sanitizers' checks, it asserts the format's round trip: when
// the bytes parse, writing the pairs back gives a string that parses to the
// same pairs, in a buffer of exactly the needed size (and a byte less is
// refused, never overrun).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cv_param_string.h"
#include "gl_journal_params.h"
#include "report_param_string.h"
#include "tran_drill_params.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

class PairRecorder : public CReportParamString {
 public:
  using CReportParamString::CReportParamString;
  Pairs pairs;
  ParamStatus SetParam(std::string_view key, std::string_view value) override {
    pairs.emplace_back(key, value);
    return ParamStatus::kOk;
  }
};

void Check(bool condition) {
  if (!condition) std::abort();
}

// Exactly sized heap copies, so that AddressSanitizer sees any overrun.
void ParseWithEveryClass(const char* text, int capacity) {
  for (ParseMode mode : {ParseMode::kStrict, ParseMode::kLenient}) {
    auto gl = std::make_unique<GLJournalParams>();
    CGLJournalParamString glString(text, capacity);
    glString.ParseInto(gl.get(), mode);
    Check(std::memchr(gl->input, '\0', sizeof gl->input) != nullptr);
    Check(std::memchr(gl->output, '\0', sizeof gl->output) != nullptr);

    auto tran = std::make_unique<TranDrillParams>();
    CTranDrillParamString tranString(text, capacity);
    tranString.ParseInto(tran.get(), mode);

    for (int vendor : {0, 1}) {
      auto cv = std::make_unique<CustVendReportParams>();
      cv->menuId = vendor ? 344 : 337;
      CCustVendParamString cvString(vendor, text, capacity);
      cvString.ParseInto(cv.get(), mode);
      Check(std::memchr(cv->input, '\0', sizeof cv->input) != nullptr);
      Check(std::memchr(cv->sortRange.fromText, '\0', sizeof cv->sortRange.fromText) != nullptr);
      Check(std::memchr(cv->rankRange.caption, '\0', sizeof cv->rankRange.caption) != nullptr);
      ResolveCustVendRanges(cv.get(), nullptr);
    }

    auto code = std::make_unique<char[]>(11);
    CReportParamString base(text, capacity);
    base.SetCodeTarget(code.get(), 11);
    base.ParseParams(mode);
    (void)base.LastErrorText();
  }
}

void CheckRoundTrip(const char* text, int capacity) {
  PairRecorder first(text, capacity);
  if (!first.ParseParams()) return;

  std::size_t needed = 1;
  for (const auto& [key, value] : first.pairs) {
    needed += (needed > 1 ? 1 : 0) + key.size() + 3 + value.size();
    for (char c : value) needed += c == '\'' ? 1 : 0;
  }

  auto buffer = std::make_unique<char[]>(needed);
  CReportParamString writer(buffer.get(), static_cast<int>(needed));
  bool clear = true;
  for (const auto& [key, value] : first.pairs) {
    Check(writer.WriteParam(key, value, clear));
    clear = false;
  }
  Check(std::strlen(buffer.get()) + 1 == needed);

  PairRecorder second(buffer.get(), static_cast<int>(needed));
  Check(second.ParseParams());
  Check(second.pairs == first.pairs);

  if (!first.pairs.empty()) {
    auto small = std::make_unique<char[]>(needed - 1);
    CReportParamString tight(small.get(), static_cast<int>(needed - 1));
    bool ok = true;
    clear = true;
    for (const auto& [key, value] : first.pairs) {
      ok = tight.WriteParam(key, value, clear);
      if (!ok) break;
      clear = false;
    }
    Check(!ok && tight.LastStatus() == ParamStatus::kNoRoom);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return 0;
  // The bytes as they come, without a terminating NUL: the parser must stop
  // at the capacity.
  auto text = std::make_unique<char[]>(size == 0 ? 1 : size);
  std::memcpy(text.get(), data, size);
  const int capacity = static_cast<int>(size);

  ParseWithEveryClass(text.get(), capacity);
  CheckRoundTrip(text.get(), capacity);
  return 0;
}
