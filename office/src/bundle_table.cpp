#include "bundle_table.h"

#include <new>

namespace qx::office {

ObjectBundle::~ObjectBundle() {
  for (std::size_t i = slots_.size(); i-- > 0;) slots_[i].reset();
}

std::optional<Handle> BundleTable::Create() noexcept {
  constexpr std::uint32_t kHandles = 65535;
  if (bundles_.size() >= kHandles) return std::nullopt;
  // At most one lap: some handle is free.
  for (;;) {
    const auto handle = static_cast<Handle>(next_);
    next_ = next_ == kHandles ? 1 : next_ + 1;
    if (bundles_.count(handle) != 0) continue;
    try {
      bundles_.emplace(handle, std::make_unique<ObjectBundle>());
    } catch (const std::bad_alloc&) {
      return std::nullopt;
    }
    return handle;
  }
}

ObjectBundle* BundleTable::Find(Handle handle) {
  if (handle == 0) return nullptr;
  const auto it = bundles_.find(handle);
  return it == bundles_.end() ? nullptr : it->second.get();
}

bool BundleTable::Free(Handle handle) {
  const auto it = bundles_.find(handle);
  if (handle == 0 || it == bundles_.end()) return false;
  bundles_.erase(it);
  return true;
}

}  // namespace qx::office
