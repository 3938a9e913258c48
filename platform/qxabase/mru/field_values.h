// How remembered and backed-up values are taken from a form's fields and
// put back (the rules are listed in qxabase/report_mru.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ravadodo/forms.h"

namespace qxmru {

// The longest value kept: the value buffer of a remembered field less its NUL.
inline constexpr std::size_t kMaxValueLength = 77;

// The value of `field` by the kind its table gives.  False when the form has
// no such field.
bool TakeFieldValue(Form* form, int field, std::uint32_t kind, std::string* value);

// Puts a value taken by TakeFieldValue back on `field`.  False when the form
// has no such field or the value does not suit it (an entry number out of
// the list, a date that is not one); the field is then left as it is.
bool PutFieldValue(Form* form, int field, std::uint32_t kind, const std::string& value);

}  // namespace qxmru
