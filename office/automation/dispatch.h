// The automation interface: an object that answers its members by dispatch
// id.  A member is invoked as a method, a property get or a property put, with
// a list of arguments; it gives a result value or a failure code, and for a
// failure that the server explains, an exception record with the server's
// name (source), a description and an optional help file and context.
//
// Objects are shared: a reference (`DispatchPtr`) keeps the object and what it
// needs alive, as an automation reference does; releasing the last reference
// destroys it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "automation/variant.h"

namespace qx::automation {

using DispId = std::int32_t;

// How a member is invoked (bits; a property get may be combined with method).
enum InvokeKind : unsigned {
  kInvokeMethod = 1,
  kInvokePropertyGet = 2,
  kInvokePropertyPut = 4,
};

// The arguments of one call, in call order (first argument first).  For a
// property put, the new value is the last argument.
struct DispParams {
  std::vector<Variant> args;
};

// What a server tells about a failure it reports as kDispException.
struct ExcepInfo {
  std::string source;       // the server's name
  std::string description;  // what went wrong, as a sentence
  std::string helpFile;     // empty when there is no help
  std::uint32_t helpContext = 0;
};

class Dispatch {
 public:
  virtual ~Dispatch() = default;

  // Invokes `member` as `kind` says with `params`.  Returns kOk and sets
  // *result (when result is not null) or returns the failure:
  // kDispMemberNotFound (no such member, or not invocable that way),
  // kDispBadParamCount, kDispParamNotFound (a required argument left out),
  // kDispTypeMismatch or kDispOverflow (an argument of the wrong type or
  // range; *argError is its 0-based index), or kDispException (the server
  // refused: *exception explains).  Never throws.
  virtual HResult Invoke(DispId member, unsigned kind, const DispParams& params, Variant* result,
                         ExcepInfo* exception, unsigned* argError) noexcept = 0;
};

}  // namespace qx::automation
