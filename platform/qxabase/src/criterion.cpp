// Criterion blocks: a from/to selection on one dictionary field.
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "oemtext.h"
#include "qxabase/dictionary.h"
#include "ravadodo.h"

namespace {

bool IsOpenEnd(const char* text) {
  if (text == nullptr || StrIsBlank(text)) return true;
  std::string_view t(text);
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  return t == "FIRST" || t == "LAST";
}

bool IsTextType(int type) { return type == kDictText || type == kDictChar; }

// Reads an end of a date or number field; false when it is neither.
bool Convert(int type, const char* text, double* out) {
  if (type == kDictDate) {
    const int day = DateFromText(text);
    *out = day;
    return day > 0;
  }
  char* end = nullptr;
  const double v = std::strtod(text, &end);
  while (end && *end == ' ') ++end;
  *out = v;
  return end && end != text && *end == '\0';
}

double ValueOf(const CriterionBlock& b, const unsigned char* field) {
  switch (b.valueType) {
    case kDictInt16: {
      std::int16_t v;
      std::memcpy(&v, field, sizeof v);
      return v;
    }
    case kDictDate:
    case kDictInt32: {
      std::int32_t v;
      std::memcpy(&v, field, sizeof v);
      return v;
    }
    case kDictFloat: {
      float v;
      std::memcpy(&v, field, sizeof v);
      return v;
    }
    default: {
      double v;
      std::memcpy(&v, field, sizeof v);
      return v;
    }
  }
}

std::string_view FieldTextOf(const CriterionBlock& b, const unsigned char* field) {
  const char* p = reinterpret_cast<const char*>(field);
  const void* nul = std::memchr(p, 0, static_cast<std::size_t>(b.length));
  return std::string_view(p, nul ? static_cast<const char*>(nul) - p : static_cast<std::size_t>(b.length));
}

int CompareText(const CriterionBlock& b, std::string_view a, std::string_view c) {
  if (b.flags & kDictNoCase) return oem::CompareText(a, c);
  while (!a.empty() && a.back() == ' ') a.remove_suffix(1);
  while (!c.empty() && c.back() == ' ') c.remove_suffix(1);
  return a.compare(c);
}

}  // namespace

void CriterionInit(CriterionBlock* block) {
  if (block == nullptr) return;
  std::memset(block, 0, sizeof *block);
  block->fromEmpty = block->toEmpty = 1;
  block->valid = 1;
}

void CriterionFieldsSet(CriterionBlock* block, const DictFieldDef* def) {
  if (block == nullptr) return;
  if (def == nullptr) {
    block->fieldNumber = 0;
    return;
  }
  block->fieldNumber = def->fieldNumber;
  block->valueType = def->valueType;
  block->offset = def->offset;
  block->length = def->length;
  block->flags = def->flags;
}

void CriterionValueSet(CriterionBlock* block, const char* fromText, const char* toText) {
  if (block == nullptr) return;
  std::memset(block->fromText, 0, sizeof block->fromText);
  std::memset(block->toText, 0, sizeof block->toText);
  if (fromText) std::strncpy(block->fromText, fromText, sizeof block->fromText - 1);
  if (toText) std::strncpy(block->toText, toText, sizeof block->toText - 1);
  block->fromEmpty = IsOpenEnd(fromText) ? 1 : 0;
  block->toEmpty = IsOpenEnd(toText) ? 1 : 0;
  block->valid = 1;
  block->fromNumber = block->toNumber = 0;
  if (!IsTextType(block->valueType)) {
    // The block is packed: its doubles are written whole, never through a pointer.
    double from = 0, to = 0;
    if (!block->fromEmpty && !Convert(block->valueType, block->fromText, &from)) block->valid = 0;
    if (!block->toEmpty && !Convert(block->valueType, block->toText, &to)) block->valid = 0;
    block->fromNumber = from;
    block->toNumber = to;
  }
}

bool CriterionIsSet(const CriterionBlock* block) {
  if (block == nullptr) return false;
  if (block->fieldNumber == 0 || block->fromEmpty || block->toEmpty) return block->valid != 0;
  if (!block->valid) return false;
  if (IsTextType(block->valueType)) return CompareText(*block, block->fromText, block->toText) <= 0;
  return block->fromNumber <= block->toNumber;
}

bool CriterionMatch(const CriterionBlock* block, const void* record) {
  if (block == nullptr || block->fieldNumber == 0 || (block->fromEmpty && block->toEmpty)) return true;
  if (record == nullptr) return false;
  const unsigned char* field = static_cast<const unsigned char*>(record) + block->offset;
  if (IsTextType(block->valueType)) {
    const std::string_view value = FieldTextOf(*block, field);
    if (!block->fromEmpty && CompareText(*block, value, block->fromText) < 0) return false;
    if (!block->toEmpty && CompareText(*block, value, block->toText) > 0) return false;
    return true;
  }
  const double value = ValueOf(*block, field);
  if (!block->fromEmpty && value < block->fromNumber) return false;
  if (!block->toEmpty && value > block->toNumber) return false;
  return true;
}
