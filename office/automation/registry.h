// The automation servers this system provides, found by programmatic
// identifier ("Quarlex.Spreadsheet") as a controller asks for them.
#pragma once

#include <string_view>

#include "automation/dispatch.h"

namespace qx::automation {

// Starts a new instance of the server named `progId` (compared without regard
// to case) and sets *object to its application object.  Returns kOk, or
// kClassNotFound for a name no server answers to, or kErrorOutOfMemory.
// Never throws.
HResult CreateObject(std::string_view progId, DispatchPtr* object) noexcept;

}  // namespace qx::automation
