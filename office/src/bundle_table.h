// The open spreadsheet connections, each under the short handle the caller
// keeps in its request record.
//
// An ObjectBundle holds one connection's six object references: the
// application, its workbook collection, the workbook, its worksheet
// collection, the current worksheet and the current cell range.  It releases
// them last slot first, so a range goes before its sheet and the application
// last.
//
// Handles run 1..65535 and are issued in rising order; after 65535 the count
// starts again at 1, skipping handles still open, so a handle is never 0 and
// never one that is in use.  When all 65,535 are open, no connection can be
// made.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>

#include "automation/dispatch.h"

namespace qx::office {

enum BundleSlot : std::size_t {
  kApplication = 0,
  kWorkbooks = 1,
  kWorkbook = 2,
  kWorksheets = 3,
  kWorksheet = 4,
  kRange = 5,
};

class ObjectBundle {
 public:
  ObjectBundle() = default;
  ObjectBundle(const ObjectBundle&) = delete;
  ObjectBundle& operator=(const ObjectBundle&) = delete;
  ~ObjectBundle();

  automation::DispatchPtr& operator[](BundleSlot slot) { return slots_[slot]; }

 private:
  std::array<automation::DispatchPtr, 6> slots_;
};

using Handle = std::uint16_t;

class BundleTable {
 public:
  // Makes an empty bundle under a new handle; nothing when every handle is
  // open (or memory runs out).
  std::optional<Handle> Create() noexcept;
  // The bundle of `handle`, or null (always for 0).
  ObjectBundle* Find(Handle handle);
  // Destroys the bundle of `handle`; false when there is none.
  bool Free(Handle handle);

  std::size_t size() const { return bundles_.size(); }

 private:
  std::unordered_map<Handle, std::unique_ptr<ObjectBundle>> bundles_;
  std::uint32_t next_ = 1;
};

}  // namespace qx::office
