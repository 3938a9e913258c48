// The field tables of the data dictionary (field_dictionary.cpp), for the
// sources of the base library.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "qxabase/dictionary.h"

namespace qxb {

struct FieldEntry {
  int number;
  std::uint16_t offset;
  std::uint16_t length;
  DictValueType type;
  const char* caption;
  const char* format;
};

struct TableEntry {
  const char* name;
  std::span<const FieldEntry> fields;
};

// Every table of the dictionary.
std::span<const TableEntry> FieldTables();

// The table called `name` (letter case and trailing blanks ignored), or the
// table a file of that name shares its layout with; null when none.
const TableEntry* FindTable(std::string_view name);

// The table name of a file: its own, or the one its layout is read with.
const char* TableNameOfFile(int fileNo);

const FieldEntry* FindField(const TableEntry& table, int number);

// The record manager's key type for a value type.
std::uint8_t KeyTypeOf(DictValueType type, std::uint16_t length);

// Fills the 85-byte definition of a field.
void FillDefinition(const TableEntry& table, const FieldEntry& e, DictFieldDef* def);

}  // namespace qxb
