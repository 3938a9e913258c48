// Variant: the value type of every automation call, as a VARIANT holds it: a
// type tag and one value (16- or 32-bit integer, double, Boolean, text, object
// reference, object reference passed by reference, or an error code).  An
// argument left out of a call is the error value "parameter not found"
// (`Variant::Missing()`), so that servers can tell it from an empty value.
//
// Text is UTF-8 (the automation layer is an edge of the system; callers
// convert from code page 437 before they build a value).
//
// The conversion functions below coerce a value to another type the way an
// automation server coerces its arguments: numbers convert among themselves
// (with an overflow check), Booleans are -1/0, text converts to a number when
// it reads as one; anything else is a type mismatch.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qx::automation {

class Dispatch;
using DispatchPtr = std::shared_ptr<Dispatch>;

// Result codes, with the values automation controllers know them by.
using HResult = std::int32_t;
inline constexpr HResult kOk = 0;
inline constexpr HResult kErrorPointer = static_cast<HResult>(0x80004003u);
inline constexpr HResult kErrorFail = static_cast<HResult>(0x80004005u);
inline constexpr HResult kErrorUnexpected = static_cast<HResult>(0x8000FFFFu);
inline constexpr HResult kErrorOutOfMemory = static_cast<HResult>(0x8007000Eu);
inline constexpr HResult kDispMemberNotFound = static_cast<HResult>(0x80020003u);
inline constexpr HResult kDispParamNotFound = static_cast<HResult>(0x80020004u);
inline constexpr HResult kDispTypeMismatch = static_cast<HResult>(0x80020005u);
inline constexpr HResult kDispException = static_cast<HResult>(0x80020009u);
inline constexpr HResult kDispOverflow = static_cast<HResult>(0x8002000Au);
inline constexpr HResult kDispBadParamCount = static_cast<HResult>(0x8002000Eu);
inline constexpr HResult kClassNotFound = static_cast<HResult>(0x800401F3u);

// A short sentence for a result code ("Type mismatch."), for error messages.
std::string DescribeResult(HResult code);

enum class VarType : std::uint16_t {
  kEmpty = 0,
  kI2 = 2,
  kI4 = 3,
  kR8 = 5,
  kBstr = 8,
  kDispatch = 9,
  kError = 10,
  kBool = 11,
};

class Variant {
 public:
  Variant() = default;  // empty

  static Variant I2(std::int16_t value);
  static Variant I4(std::int32_t value);
  static Variant R8(double value);
  static Variant Boolean(bool value);
  static Variant Bstr(std::string utf8);
  static Variant Object(DispatchPtr object);
  // An object passed by reference: the value is read through `slot` when the
  // callee uses it.  The slot must outlive the call.
  static Variant ObjectByRef(const DispatchPtr* slot);
  static Variant Error(HResult code);
  // An optional argument left out of a call.
  static Variant Missing();

  VarType type() const { return type_; }
  bool by_ref() const { return objectRef_ != nullptr; }
  bool missing() const { return type_ == VarType::kError && integer_ == kDispParamNotFound; }

  // The raw value; each is meaningful only for its own type.  Use the
  // conversions below to read an argument of any type.
  std::int32_t integer() const { return integer_; }  // I2, I4, Bool (-1/0), Error
  double real() const { return real_; }
  const std::string& text() const { return text_; }
  const DispatchPtr& object() const { return objectRef_ ? *objectRef_ : object_; }

 private:
  VarType type_ = VarType::kEmpty;
  std::int32_t integer_ = 0;
  double real_ = 0;
  std::string text_;
  DispatchPtr object_;
  const DispatchPtr* objectRef_ = nullptr;
};

// Coercions.  Each returns kOk and sets *out, or returns kDispTypeMismatch or
// kDispOverflow and leaves *out alone.  Doubles round half to even when they
// become integers.
HResult ToI2(const Variant& value, std::int16_t* out);
HResult ToI4(const Variant& value, std::int32_t* out);
HResult ToR8(const Variant& value, double* out);
HResult ToBool(const Variant& value, bool* out);
HResult ToText(const Variant& value, std::string* out);
// Objects do not convert: only a (possibly by-reference) object reference is
// accepted; a null reference is accepted and gives null.
HResult ToObject(const Variant& value, DispatchPtr* out);

}  // namespace qx::automation
