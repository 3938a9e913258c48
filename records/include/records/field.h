// Field tables: the names, offsets, widths and kinds of the named fields of a
// stored record.
//
// Every stored record of the company has a C++ struct that is its byte image
// as stored (every member has alignment 1: texts and characters are char
// arrays, numbers are Unaligned<T>), and, beside it, a constexpr table of its named fields.  The table
// states each field's offset as a number, so that it reads like the record's
// description; building the table checks every stated offset against the
// struct at compile time (a mismatch does not compile), and ValidLayout checks
// that the fields lie inside the record without overlapping.  The loader and
// the dumper work from these tables alone; the units of the system use the
// structs.  Bytes that no field names belong to other parts of the system and
// are carried through unchanged by every rewrite.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

#include "records/unaligned.h"

namespace records {

// How a field's bytes are read.  Texts are code page 437.
enum class FieldType : std::uint8_t {
  kText,     // NUL-ended text: at most size - 1 characters, the rest zero
  kPadded,   // text blank-padded to the full width, without a terminator
  kChar,     // one character; 0 = none
  kUInt8,    // a small number stored in one byte
  kInt16,
  kUInt16,
  kInt32,
  kUInt32,
  kFloat32,
  kFloat64,  // amounts and quantities
  kDate,     // int32 day number (1 = 1900-01-01, 0 = no date)
  kGroup,    // a sub-record, described by FieldDef::group
};

struct Layout;

// One named field.  An array has count > 1 elements of `size` bytes each;
// texts and sub-records count as one element of their whole width.
struct FieldDef {
  const char* name;
  std::uint16_t offset;
  std::uint16_t size;
  std::uint16_t count;
  FieldType type;
  const Layout* group;  // the sub-record's layout for kGroup, else null

  constexpr std::size_t End() const { return std::size_t{offset} + std::size_t{size} * count; }
};

// The named fields of one record (or sub-record), in offset order.
struct Layout {
  const char* name;  // the record's name as the code knows it ("TagGLHeader")
  std::uint16_t size;
  std::span<const FieldDef> fields;
};

// A layout chosen by a record's key, in a file whose records differ in
// layout (the settings file): the key's name and the layout.
struct RecordVariant {
  const char* key;  // "0Interface"
  const Layout* layout;
};

// The field of `layout` called `name`, or null.
const FieldDef* FindField(const Layout& layout, const char* name);

// True when the fields are in offset order, lie inside the record, do not
// overlap, and every sub-record's layout has the size of its element.
constexpr bool ValidLayout(const Layout& layout) {
  std::size_t end = 0;
  for (const FieldDef& f : layout.fields) {
    if (f.offset < end || f.count == 0 || f.size == 0 || f.End() > layout.size) return false;
    // Only QX_GROUP entries carry a layout.  (Its address is not compared with
    // null: some compilers do not take that as a constant under sanitizers.)
    if (f.type == FieldType::kGroup && (f.group->size != f.size || !ValidLayout(*f.group))) return false;
    end = f.End();
  }
  return true;
}

namespace detail {

// Not constexpr on purpose: a table entry whose stated offset differs from
// the struct's calls it, and the table then fails to compile at that entry.
void FieldOffsetDiffersFromStatedOffset();
void FieldTypeDoesNotMatchMember();

template <class Stored>
constexpr FieldType NumberTypeOf() {
  using T = typename StoredValue<Stored>::type;
  if constexpr (std::is_same_v<T, std::uint8_t>) return FieldType::kUInt8;
  else if constexpr (std::is_same_v<T, std::int16_t>) return FieldType::kInt16;
  else if constexpr (std::is_same_v<T, std::uint16_t>) return FieldType::kUInt16;
  else if constexpr (std::is_same_v<T, std::int32_t>) return FieldType::kInt32;
  else if constexpr (std::is_same_v<T, std::uint32_t>) return FieldType::kUInt32;
  else if constexpr (std::is_same_v<T, float>) return FieldType::kFloat32;
  else if constexpr (std::is_same_v<T, double>) return FieldType::kFloat64;
  else if constexpr (std::is_same_v<T, char>) return FieldType::kChar;
  else return FieldType::kGroup;
}

consteval FieldDef MakeField(const char* name, std::size_t actual, std::size_t stated,
                             std::size_t memberSize, std::size_t count, FieldType type,
                             const Layout* group) {
  if (actual != stated) FieldOffsetDiffersFromStatedOffset();
  return FieldDef{name,
                  static_cast<std::uint16_t>(actual),
                  static_cast<std::uint16_t>(memberSize / count),
                  static_cast<std::uint16_t>(count),
                  type,
                  group};
}

// Checks that a member declared with one kind of entry has the matching C++
// type (a date is an int32, a text a char array, ...).
template <class M>
consteval FieldType Checked(FieldType wanted) {
  using E = std::remove_all_extents_t<M>;
  bool ok = false;
  switch (wanted) {
    case FieldType::kText:
    case FieldType::kPadded: ok = std::is_same_v<E, char> && std::rank_v<M> >= 1; break;
    case FieldType::kDate: ok = std::is_same_v<E, I32>; break;
    case FieldType::kGroup: ok = std::is_class_v<E> && !kIsUnaligned<E>; break;
    default: ok = NumberTypeOf<E>() == wanted; break;
  }
  if (!ok) FieldTypeDoesNotMatchMember();
  return wanted;
}

template <class M>
constexpr std::size_t NumberCount() {
  return sizeof(M) / sizeof(std::remove_all_extents_t<M>);
}

template <class M>
constexpr std::size_t TextCount() {
  // char[n] is one text; char[k][n] is an array of k texts.
  if constexpr (std::rank_v<M> == 2) return std::extent_v<M, 0>;
  else return 1;
}

}  // namespace detail
}  // namespace records

// Table entries.  `off` is the offset the record's description states; the
// entry does not compile when the struct puts the member elsewhere.
#define QX_FIELD_(Rec, member, off, type, count, group)                                         \
  ::records::detail::MakeField(#member, offsetof(Rec, member), off, sizeof(Rec::member), count, \
                               ::records::detail::Checked<decltype(Rec::member)>(type), group)

// A number or character, or an array of them (statistics groups, period amounts).
#define QX_NUMBER(Rec, member, off)                                                            \
  QX_FIELD_(Rec, member, off,                                                                   \
            ::records::detail::NumberTypeOf<std::remove_all_extents_t<decltype(Rec::member)>>(), \
            ::records::detail::NumberCount<decltype(Rec::member)>(), nullptr)
#define QX_CHAR(Rec, member, off) QX_NUMBER(Rec, member, off)
// A NUL-ended text, or an array of them.
#define QX_TEXT(Rec, member, off)                   \
  QX_FIELD_(Rec, member, off, ::records::FieldType::kText, \
            ::records::detail::TextCount<decltype(Rec::member)>(), nullptr)
// A text blank-padded to its full width (ledger and journal codes).
#define QX_PADDED(Rec, member, off)                   \
  QX_FIELD_(Rec, member, off, ::records::FieldType::kPadded, \
            ::records::detail::TextCount<decltype(Rec::member)>(), nullptr)
// An int32 day number, or an array of them.
#define QX_DATE(Rec, member, off)                   \
  QX_FIELD_(Rec, member, off, ::records::FieldType::kDate, \
            ::records::detail::NumberCount<decltype(Rec::member)>(), nullptr)
// A sub-record, or an array of them, described by `layout`.
#define QX_GROUP(Rec, member, off, layout)             \
  QX_FIELD_(Rec, member, off, ::records::FieldType::kGroup, \
            ::records::detail::NumberCount<decltype(Rec::member)>(), &(layout))
