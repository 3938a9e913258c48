// Drill-down descriptors: what a report cell links to, and the saved run that a
// report prints at its top so that it can be run again.
//
// A descriptor names a target command and the report parameter string to hand
// it (report_param_string.h).  Each report keeps one static descriptor per
// kind of link, rewrites its command id and parameter string before each row
// that carries it, and stores the descriptor's address in the column records
// of that row; the report writer copies the content when the line is written.
//
// Two records, because links and saved runs need different room:
// - TagDrillDownInfo keeps the report writer's packed 341-byte layout with a
//   256-byte parameter string.  Links carry a few short codes (the longest,
//   a general-ledger journal link, needs under 100 characters even with every
//   quote doubled), so 256 is ample.
// - TagSavedRunInfo carries a saved run.  A saved run holds a report's whole
//   selection: the aging report's, with its two ranges of 40-character
//   captions and texts, needs about 430 characters, and up to about 700 when
//   the texts are full of quotes (each written doubled).  Its string has
//   kSavedRunParamCapacity bytes.
// A writer that still runs out of room is refused by WriteParam (false, the
// buffer as it was): a descriptor never carries a cut string.
//
// This header depends on nothing but the standard library, so that the report
// writer below the report units can take these records as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The size of a link's parameter string, terminating NUL included.
constexpr int kLinkParamCapacity = 256;

// The size of a saved run's parameter string, terminating NUL included.
constexpr int kSavedRunParamCapacity = 1024;

// What following a descriptor does.
enum DrillDownKind : std::uint8_t {
  kDrillOpenScreen = 1,  // open an entry or file screen (customer, account, ...)
  kDrillRunReport = 2,   // run a report (saved runs are always of this kind)
};

#pragma pack(push, 1)
// A drill-down link of a report cell.  Reports define theirs as static
// records {kind, 1, default command id, zeros, empty string}.
struct TagDrillDownInfo {
  std::uint8_t kind;             // DrillDownKind
  std::uint8_t one;              // 1 in every descriptor
  std::uint16_t commandId;       // the target command, of any command group
  // The report writer's: what the link opens, in words (DrillDownSetTitle),
  // NUL-ended code page 437; zero in a report's static descriptor, and then
  // the writer names the target command itself.
  std::uint8_t writerData[81];
  char params[kLinkParamCapacity];  // the target's parameter string, NUL-terminated
};
#pragma pack(pop)

static_assert(sizeof(TagDrillDownInfo) == 341);
static_assert(offsetof(TagDrillDownInfo, kind) == 0);
static_assert(offsetof(TagDrillDownInfo, one) == 1);
static_assert(offsetof(TagDrillDownInfo, commandId) == 2);
static_assert(offsetof(TagDrillDownInfo, writerData) == 4);
static_assert(offsetof(TagDrillDownInfo, params) == 85);

// Sets the words a link's title shows ("Purchase history of customer
// ALDERMED"), cut to the 80 characters the descriptor holds; null or ""
// clears them.
inline void DrillDownSetTitle(TagDrillDownInfo* link, const char* title) {
  std::size_t n = 0;
  if (title != nullptr) {
    while (n < sizeof link->writerData - 1 && title[n] != '\0') ++n;
    std::memcpy(link->writerData, title, n);
  }
  std::memset(link->writerData + n, 0, sizeof link->writerData - n);
}

// The size of a saved run's selection in words, terminating NUL included.
constexpr int kSavedRunWordsCapacity = 1024;

// The saved run a report hands to the report writer (ReportWriteSelParams):
// "run again" runs `commandId` with `params`; the report shows `words`.  An
// in-memory record only; its layout is not stored anywhere.
struct TagSavedRunInfo {
  std::uint8_t kind;         // kDrillRunReport
  std::uint8_t one;          // 1
  std::uint16_t commandId;   // the report's own command id
  char params[kSavedRunParamCapacity];  // NUL-terminated
  // The selection as the screen shows it, each field's caption and the
  // value chosen ("Sort by: Customer Code, from ALDERMED to ZEPHYR; Aged
  // by: Due Date"), code page 437, NUL-terminated; empty: the writer shows
  // the parameter string.
  char words[kSavedRunWordsCapacity];
};
