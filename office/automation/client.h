// The controller side of automation: member calls that turn every failure
// into a `DispatchException`, so that a sequence of calls reads as the steps
// it performs and one handler per operation reports whatever went wrong.
#pragma once

#include <exception>
#include <string>
#include <vector>

#include "automation/dispatch.h"

namespace qx::automation {

// A failed member call.  For a server-explained failure (kDispException) the
// source and description are the server's; for any other code the source is
// empty and the description is the code's sentence (DescribeResult).
class DispatchException : public std::exception {
 public:
  DispatchException(HResult code, ExcepInfo info);

  HResult code() const { return code_; }
  const std::string& source() const { return info_.source; }
  const std::string& description() const { return info_.description; }
  const std::string& help_file() const { return info_.helpFile; }
  std::uint32_t help_context() const { return info_.helpContext; }
  const char* what() const noexcept override { return info_.description.c_str(); }

 private:
  HResult code_;
  ExcepInfo info_;
};

// Each call throws DispatchException on failure, including a call on a null
// object (kErrorPointer).
Variant GetProperty(const DispatchPtr& object, DispId member, std::vector<Variant> args = {});
void PutProperty(const DispatchPtr& object, DispId member, Variant value);
Variant CallMethod(const DispatchPtr& object, DispId member, std::vector<Variant> args = {});

// As GetProperty and CallMethod, for members whose result is an object: a
// result that is not a non-null object reference throws (kDispTypeMismatch).
DispatchPtr GetObject(const DispatchPtr& object, DispId member, std::vector<Variant> args = {});
DispatchPtr CallForObject(const DispatchPtr& object, DispId member, std::vector<Variant> args = {});

}  // namespace qx::automation
