// Whole-record access: a record is read whole, the fields a command names are
// changed, and the whole record is written back, so that every byte the
// command does not name reaches the file exactly as it was read.
//
// The structs of records/ are the stored byte images themselves
// (little-endian, exactly the record's length), so a struct read whole and
// written whole carries every unnamed byte through by construction.  These
// helpers add what the struct alone cannot: copies between a struct and a
// byte image of a given length, the blank-padded in-memory copies of short
// codes, and text reads and writes that respect a field's width.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

// A run of bytes that no field names: they belong to other parts of the
// system (entry screens, the base library) and are kept as read.
#define QX_UNNAMED(off, n) std::uint8_t unnamed##off[n]

namespace records {

// The text of a NUL-ended field: its characters up to the first NUL.
template <std::size_t N>
std::string_view Text(const char (&field)[N]) {
  const void* nul = std::memchr(field, 0, N);
  return std::string_view(field, nul ? static_cast<const char*>(nul) - field : N);
}

// The text of a field with trailing blanks and NULs removed.
template <std::size_t N>
std::string_view Trimmed(const char (&field)[N]) {
  std::string_view t = Text(field);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return t;
}

// Writes `text` into a NUL-ended field: at most N - 1 characters, the rest of
// the field zero.  Returns false (the field then holds the cut text) when the
// text was longer.
template <std::size_t N>
bool SetText(char (&field)[N], std::string_view text) {
  const std::size_t n = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), n);
  std::memset(field + n, 0, N - n);
  return n == text.size();
}

// Writes `text` into a field blank-padded to its full width (ledger and
// journal codes such as "AR     ").  Returns false when the text was longer.
template <std::size_t N>
bool SetPadded(char (&field)[N], std::string_view text) {
  const std::size_t n = std::min(text.size(), N);
  std::memcpy(field, text.data(), n);
  std::memset(field + n, ' ', N - n);
  return n == text.size();
}

// A code of `width` - 1 stored characters widened, in memory, to `width`
// characters: the stored NUL (and any NUL before it) becomes a blank.  The
// G/L account segment of a customer, product or service is stored as five
// characters and used as six; the stored record is never changed.
template <std::size_t N>
std::array<char, N> BlankPadded(const char (&field)[N]) {
  std::array<char, N> out{};
  bool ended = false;
  for (std::size_t i = 0; i < N; ++i) {
    ended = ended || field[i] == '\0';
    out[i] = ended ? ' ' : field[i];
  }
  return out;
}

// True when a text holds nothing but blanks and NULs.
template <std::size_t N>
bool IsBlank(const char (&field)[N]) {
  return Trimmed(field).empty();
}

// Copies a byte image into a record struct.  The image must have the struct's
// exact length; returns false (and leaves `record` alone) otherwise.
template <class Record>
bool FromImage(std::span<const std::uint8_t> image, Record* record) {
  static_assert(std::is_trivially_copyable_v<Record>);
  if (image.size() != sizeof(Record)) return false;
  std::memcpy(record, image.data(), sizeof(Record));
  return true;
}

// The byte image of a record struct.
template <class Record>
std::span<const std::uint8_t> ImageOf(const Record& record) {
  static_assert(std::is_trivially_copyable_v<Record>);
  return {reinterpret_cast<const std::uint8_t*>(&record), sizeof(Record)};
}

template <class Record>
std::span<std::uint8_t> ImageOf(Record& record) {
  static_assert(std::is_trivially_copyable_v<Record>);
  return {reinterpret_cast<std::uint8_t*>(&record), sizeof(Record)};
}

}  // namespace records
