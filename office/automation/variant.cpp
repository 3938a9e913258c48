#include "automation/variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace qx::automation {

std::string DescribeResult(HResult code) {
  switch (code) {
    case kOk: return "The operation completed.";
    case kErrorPointer: return "The object does not exist.";
    case kErrorFail: return "Unspecified error.";
    case kErrorUnexpected: return "Catastrophic failure.";
    case kErrorOutOfMemory: return "Not enough memory.";
    case kDispMemberNotFound: return "Member not found.";
    case kDispParamNotFound: return "Parameter not found.";
    case kDispTypeMismatch: return "Type mismatch.";
    case kDispException: return "Exception occurred.";
    case kDispOverflow: return "Out of present range.";
    case kDispBadParamCount: return "Invalid number of parameters.";
    case kClassNotFound: return "Invalid class string.";
  }
  char text[48];
  std::snprintf(text, sizeof text, "Error 0x%08X.", static_cast<unsigned>(code));
  return text;
}

Variant Variant::I2(std::int16_t value) {
  Variant v;
  v.type_ = VarType::kI2;
  v.integer_ = value;
  return v;
}

Variant Variant::I4(std::int32_t value) {
  Variant v;
  v.type_ = VarType::kI4;
  v.integer_ = value;
  return v;
}

Variant Variant::R8(double value) {
  Variant v;
  v.type_ = VarType::kR8;
  v.real_ = value;
  return v;
}

Variant Variant::Boolean(bool value) {
  Variant v;
  v.type_ = VarType::kBool;
  v.integer_ = value ? -1 : 0;
  return v;
}

Variant Variant::Bstr(std::string utf8) {
  Variant v;
  v.type_ = VarType::kBstr;
  v.text_ = std::move(utf8);
  return v;
}

Variant Variant::Object(DispatchPtr object) {
  Variant v;
  v.type_ = VarType::kDispatch;
  v.object_ = std::move(object);
  return v;
}

Variant Variant::ObjectByRef(const DispatchPtr* slot) {
  Variant v;
  v.type_ = VarType::kDispatch;
  v.objectRef_ = slot;
  return v;
}

Variant Variant::Error(HResult code) {
  Variant v;
  v.type_ = VarType::kError;
  v.integer_ = code;
  return v;
}

Variant Variant::Missing() { return Error(kDispParamNotFound); }

namespace {

// Reads text as a number: optional blanks around an optional sign, digits and
// an optional fraction or exponent.
bool ParseNumber(std::string_view text, double* out) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return false;
  *out = value;
  return true;
}

HResult ToIntegerIn(const Variant& value, double low, double high, std::int32_t* out) {
  double real = 0;
  if (const HResult hr = ToR8(value, &real); hr != kOk) return hr;
  real = std::nearbyint(real);  // default rounding mode: half to even
  if (!(real >= low && real <= high)) return kDispOverflow;
  *out = static_cast<std::int32_t>(real);
  return kOk;
}

}  // namespace

HResult ToR8(const Variant& value, double* out) {
  switch (value.type()) {
    case VarType::kEmpty: *out = 0; return kOk;
    case VarType::kI2:
    case VarType::kI4:
    case VarType::kBool: *out = value.integer(); return kOk;
    case VarType::kR8: *out = value.real(); return kOk;
    case VarType::kBstr: return ParseNumber(value.text(), out) ? kOk : kDispTypeMismatch;
    case VarType::kDispatch:
    case VarType::kError: break;
  }
  return kDispTypeMismatch;
}

HResult ToI4(const Variant& value, std::int32_t* out) {
  return ToIntegerIn(value, std::numeric_limits<std::int32_t>::min(),
                     std::numeric_limits<std::int32_t>::max(), out);
}

HResult ToI2(const Variant& value, std::int16_t* out) {
  std::int32_t wide = 0;
  const HResult hr = ToIntegerIn(value, std::numeric_limits<std::int16_t>::min(),
                                 std::numeric_limits<std::int16_t>::max(), &wide);
  if (hr == kOk) *out = static_cast<std::int16_t>(wide);
  return hr;
}

HResult ToBool(const Variant& value, bool* out) {
  if (value.type() == VarType::kBstr) {
    if (value.text() == "True" || value.text() == "true") return *out = true, kOk;
    if (value.text() == "False" || value.text() == "false") return *out = false, kOk;
  }
  double real = 0;
  if (const HResult hr = ToR8(value, &real); hr != kOk) return hr;
  *out = real != 0;
  return kOk;
}

HResult ToText(const Variant& value, std::string* out) {
  char buffer[64];
  switch (value.type()) {
    case VarType::kEmpty: out->clear(); return kOk;
    case VarType::kBstr: *out = value.text(); return kOk;
    case VarType::kBool: *out = value.integer() ? "True" : "False"; return kOk;
    case VarType::kI2:
    case VarType::kI4: *out = std::to_string(value.integer()); return kOk;
    case VarType::kR8:
      std::snprintf(buffer, sizeof buffer, "%.15g", value.real());
      *out = buffer;
      return kOk;
    case VarType::kDispatch:
    case VarType::kError: break;
  }
  return kDispTypeMismatch;
}

HResult ToObject(const Variant& value, DispatchPtr* out) {
  if (value.type() != VarType::kDispatch) return kDispTypeMismatch;
  *out = value.object();
  return kOk;
}

}  // namespace qx::automation
