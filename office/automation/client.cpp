#include "automation/client.h"

#include <utility>

namespace qx::automation {

DispatchException::DispatchException(HResult code, ExcepInfo info)
    : code_(code), info_(std::move(info)) {
  if (code_ != kDispException) {
    info_.source.clear();
    info_.description = DescribeResult(code_);
  }
}

namespace {

Variant Invoke(const DispatchPtr& object, DispId member, unsigned kind, std::vector<Variant> args) {
  if (!object) throw DispatchException(kErrorPointer, {});
  DispParams params{std::move(args)};
  Variant result;
  ExcepInfo info;
  unsigned argError = 0;
  const HResult hr = object->Invoke(member, kind, params, &result, &info, &argError);
  if (hr != kOk) throw DispatchException(hr, std::move(info));
  return result;
}

DispatchPtr RequireObject(const Variant& result) {
  DispatchPtr object;
  if (ToObject(result, &object) != kOk || !object) throw DispatchException(kDispTypeMismatch, {});
  return object;
}

}  // namespace

Variant GetProperty(const DispatchPtr& object, DispId member, std::vector<Variant> args) {
  return Invoke(object, member, kInvokePropertyGet, std::move(args));
}

void PutProperty(const DispatchPtr& object, DispId member, Variant value) {
  std::vector<Variant> args;
  args.push_back(std::move(value));
  Invoke(object, member, kInvokePropertyPut, std::move(args));
}

Variant CallMethod(const DispatchPtr& object, DispId member, std::vector<Variant> args) {
  return Invoke(object, member, kInvokeMethod, std::move(args));
}

DispatchPtr GetObject(const DispatchPtr& object, DispId member, std::vector<Variant> args) {
  return RequireObject(GetProperty(object, member, std::move(args)));
}

DispatchPtr CallForObject(const DispatchPtr& object, DispId member, std::vector<Variant> args) {
  return RequireObject(CallMethod(object, member, std::move(args)));
}

}  // namespace qx::automation
