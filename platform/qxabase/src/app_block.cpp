#include "qxabase/app_block.h"

#include <cstring>

SharedAppBlock* SharedAppBlockGet() {
  static SharedAppBlock block;
  return &block;
}

bool AppBlockTextSet(char* field, int size, const char* text) {
  if (field == nullptr || size <= 0) return false;
  if (text == nullptr) text = "";
  const std::size_t length = std::strlen(text);
  if (length >= static_cast<std::size_t>(size)) return false;
  std::memcpy(field, text, length + 1);
  return true;
}
