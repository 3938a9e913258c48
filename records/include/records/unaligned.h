// Unaligned<T>: a number stored as its little-endian bytes at any offset.
//
// Stored records put doubles and int32s at odd offsets.  A field of this
// type has alignment 1, so a record struct made of them needs no packing,
// and reading or writing a field never forms a misaligned reference: the
// value converts to and from T by copying its bytes.  It reads like the
// number it holds:
//   r.balance += 250;  double b = r.balance;  if (r.date > day) ...
// and passing a field to a function that takes `const T&` binds a copy.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace records {

static_assert(std::endian::native == std::endian::little,
              "records are little-endian and their numbers are copied as they lie in memory");

template <class T>
struct Unaligned {
  static_assert(std::is_arithmetic_v<T>);
  using value_type = T;

  unsigned char bytes[sizeof(T)];

  T get() const {
    T v;
    std::memcpy(&v, bytes, sizeof v);
    return v;
  }
  operator T() const { return get(); }
  Unaligned& operator=(T v) {
    std::memcpy(bytes, &v, sizeof v);
    return *this;
  }
  Unaligned& operator+=(T v) { return *this = static_cast<T>(get() + v); }
  Unaligned& operator-=(T v) { return *this = static_cast<T>(get() - v); }
  Unaligned& operator*=(T v) { return *this = static_cast<T>(get() * v); }
  Unaligned& operator/=(T v) { return *this = static_cast<T>(get() / v); }
  Unaligned& operator++() { return *this += T{1}; }
  Unaligned& operator--() { return *this -= T{1}; }
};

using I16 = Unaligned<std::int16_t>;
using U16 = Unaligned<std::uint16_t>;
using I32 = Unaligned<std::int32_t>;
using U32 = Unaligned<std::uint32_t>;
using F32 = Unaligned<float>;
using F64 = Unaligned<double>;

static_assert(sizeof(F64) == 8 && alignof(F64) == 1);
static_assert(std::is_trivially_copyable_v<F64> && std::is_standard_layout_v<F64>);

// The number type a stored field holds: T for Unaligned<T>, else the type.
template <class T>
struct StoredValue {
  using type = T;
};
template <class T>
struct StoredValue<Unaligned<T>> {
  using type = T;
};
template <class T>
inline constexpr bool kIsUnaligned = false;
template <class T>
inline constexpr bool kIsUnaligned<Unaligned<T>> = true;

}  // namespace records
