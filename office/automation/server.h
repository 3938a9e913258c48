// The server side of automation: a base class for objects that answer their
// members by dispatch id, checking how each member is invoked and the number
// and types of its arguments as an automation server does, and reporting
// refusals as exceptions with the server's name and a description.
//
// A subclass implements Answer(): it switches on args.member(), states the
// member's form (ExpectGet / ExpectPut / ExpectMethod with its argument
// counts), reads its arguments through the typed accessors and does the work.
// Every check throws a Fault, which Invoke turns into the member's result code.
#pragma once

#include <cstddef>
#include <string>

#include "automation/dispatch.h"

namespace qx::automation {

// A failed call inside a server: a code, and for kDispException a description
// (the sentence the controller shows); argIndex names the argument at fault
// for type and range errors.
struct Fault {
  HResult code;
  std::string description;
  unsigned argIndex = 0;

  // A refusal the server explains (kDispException).
  static Fault Refused(std::string description) { return {kDispException, std::move(description)}; }
};

// The arguments of one call, with the checks a member applies to them.
class ArgList {
 public:
  ArgList(DispId member, unsigned kind, const DispParams& params)
      : member_(member), kind_(kind), params_(params) {}

  DispId member() const { return member_; }

  // The member is a property read with between min and max arguments
  // (invoked as a get, or as a method).
  void ExpectGet(std::size_t min = 0, std::size_t max = 0) const;
  // The member is a property write with exactly one value and no index.
  void ExpectPut() const;
  // The member is a method with between min and max arguments.
  void ExpectMethod(std::size_t min, std::size_t max) const;
  // A member this object does not have.
  [[noreturn]] void NoSuchMember() const;

  // Whether the member is being read (for properties that are read and written).
  bool IsPut() const { return (kind_ & kInvokePropertyPut) != 0; }

  // Argument i (0-based), or Missing when the call has fewer.
  const Variant& Arg(std::size_t i) const;
  // Whether argument i was given (and not left out).
  bool Present(std::size_t i) const { return !Arg(i).missing(); }

  // Argument i converted; a required argument left out throws
  // kDispParamNotFound, one that does not convert kDispTypeMismatch or
  // kDispOverflow.
  std::int16_t I2(std::size_t i) const;
  std::int32_t I4(std::size_t i) const;
  double R8(std::size_t i) const;
  bool Bool(std::size_t i) const;
  std::string Text(std::size_t i) const;
  DispatchPtr Object(std::size_t i) const;

  // The value of a property write (its last argument); `ValueIndex` for the
  // typed accessors above.
  const Variant& Value() const { return Arg(ValueIndex()); }
  std::size_t ValueIndex() const { return params_.args.empty() ? 0 : params_.args.size() - 1; }

 private:
  void ExpectCount(std::size_t min, std::size_t max) const;
  const Variant& Required(std::size_t i) const;

  DispId member_;
  unsigned kind_;
  const DispParams& params_;
};

class DispatchObject : public Dispatch {
 public:
  HResult Invoke(DispId member, unsigned kind, const DispParams& params, Variant* result,
                 ExcepInfo* exception, unsigned* argError) noexcept final;

 protected:
  // The server's name, the source of its exceptions.
  virtual const char* Source() const = 0;
  // Answers one call (see the file comment).  Returns the result, or an empty
  // value for writes and methods without one; throws Fault.
  virtual Variant Answer(const ArgList& args) = 0;
};

}  // namespace qx::automation
