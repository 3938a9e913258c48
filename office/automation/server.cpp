#include "automation/server.h"

#include <new>

namespace qx::automation {

namespace {

const Variant& MissingValue() {
  static const Variant missing = Variant::Missing();
  return missing;
}

template <typename T>
T Convert(HResult (*convert)(const Variant&, T*), const Variant& value, std::size_t i) {
  T out{};
  if (const HResult hr = convert(value, &out); hr != kOk) {
    throw Fault{hr, {}, static_cast<unsigned>(i)};
  }
  return out;
}

}  // namespace

void ArgList::ExpectCount(std::size_t min, std::size_t max) const {
  if (params_.args.size() < min || params_.args.size() > max) throw Fault{kDispBadParamCount, {}};
}

void ArgList::ExpectGet(std::size_t min, std::size_t max) const {
  if ((kind_ & (kInvokePropertyGet | kInvokeMethod)) == 0) NoSuchMember();
  ExpectCount(min, max);
}

void ArgList::ExpectPut() const {
  if ((kind_ & kInvokePropertyPut) == 0) NoSuchMember();
  ExpectCount(1, 1);
}

void ArgList::ExpectMethod(std::size_t min, std::size_t max) const {
  if ((kind_ & kInvokeMethod) == 0) NoSuchMember();
  ExpectCount(min, max);
}

void ArgList::NoSuchMember() const { throw Fault{kDispMemberNotFound, {}}; }

const Variant& ArgList::Arg(std::size_t i) const {
  return i < params_.args.size() ? params_.args[i] : MissingValue();
}

const Variant& ArgList::Required(std::size_t i) const {
  const Variant& value = Arg(i);
  if (value.missing()) throw Fault{kDispParamNotFound, {}, static_cast<unsigned>(i)};
  return value;
}

std::int16_t ArgList::I2(std::size_t i) const { return Convert(&ToI2, Required(i), i); }
std::int32_t ArgList::I4(std::size_t i) const { return Convert(&ToI4, Required(i), i); }
double ArgList::R8(std::size_t i) const { return Convert(&ToR8, Required(i), i); }
bool ArgList::Bool(std::size_t i) const { return Convert(&ToBool, Required(i), i); }
std::string ArgList::Text(std::size_t i) const { return Convert(&ToText, Required(i), i); }
DispatchPtr ArgList::Object(std::size_t i) const { return Convert(&ToObject, Required(i), i); }

HResult DispatchObject::Invoke(DispId member, unsigned kind, const DispParams& params,
                               Variant* result, ExcepInfo* exception, unsigned* argError) noexcept {
  try {
    Variant answer = Answer(ArgList(member, kind, params));
    if (result) *result = std::move(answer);
    return kOk;
  } catch (const Fault& fault) {
    if (argError) *argError = fault.argIndex;
    if (fault.code != kDispException || !exception) return fault.code;
    try {
      exception->source = Source();
      exception->description = fault.description;
      exception->helpFile.clear();
      exception->helpContext = 0;
    } catch (const std::bad_alloc&) {
      return kErrorOutOfMemory;
    }
    return fault.code;
  } catch (const std::bad_alloc&) {
    return kErrorOutOfMemory;
  } catch (...) {
    return kErrorUnexpected;
  }
}

}  // namespace qx::automation
