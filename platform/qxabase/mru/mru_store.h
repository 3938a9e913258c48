// The store of remembered report parameters of the company open now (file
// kFileReportMru, in the user's state folder, one folder per company).
//
// A failure of the store is shown once per company folder and run of the
// program (a damaged store would otherwise interrupt every screen); the
// callers then go on with the screen's defaults.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qxmru {

struct StoredValue {
  int field = 0;
  std::uint32_t kind = 0;
  std::string value;  // at most kMaxValueLength characters
};

// Reads the set of `user` and `key` (compared without case) in field order
// into `values`.  Returns 0, also when nothing is stored (no store yet); a
// record-manager status when the store cannot be read (shown once, `values`
// then empty).
int StoreLoad(const std::string& user, const std::string& key, std::vector<StoredValue>* values);

// Replaces the set of `user` and `key` with `values` in one transaction,
// making the store when it does not exist.  Returns 0, or the status that
// stopped the save (shown once); the previous set is then whole.
int StoreReplace(const std::string& user, const std::string& key,
                 const std::vector<StoredValue>& values);

// See ReportMruSaveStepHookForTest.
void SetSaveStepHook(void (*hook)(int recordsWritten));

}  // namespace qxmru
