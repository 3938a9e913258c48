#include "automation/wordprocessor/text.h"

namespace qx::automation::wordprocessor {

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The code point at text[i] and its length, or length 0 when malformed.
std::size_t DecodeAt(std::string_view text, std::size_t i, char32_t* ch) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    *ch = lead;
    return 1;
  }
  std::size_t length = 0;
  char32_t value = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    value = value << 6 | (byte(i + k) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *ch = value;
  return length;
}

}  // namespace

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::size_t InvalidUtf8At(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t ch = 0;
    const std::size_t length = DecodeAt(text, i, &ch);
    if (length == 0) return i;
    i += length;
  }
  return std::string_view::npos;
}

char32_t NextCodePoint(std::string_view text, std::size_t* i) {
  char32_t ch = 0;
  const std::size_t length = DecodeAt(text, *i, &ch);
  if (length == 0) {
    ++*i;
    return 0xFFFD;
  }
  *i += length;
  return ch;
}

void AppendUtf8(char32_t ch, std::string* out) {
  if (ch < 0x80) {
    out->push_back(static_cast<char>(ch));
  } else if (ch < 0x800) {
    out->push_back(static_cast<char>(0xC0 | ch >> 6));
    out->push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  } else if (ch < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | ch >> 12));
    out->push_back(static_cast<char>(0x80 | (ch >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | ch >> 18));
    out->push_back(static_cast<char>(0x80 | (ch >> 12 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (ch >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (ch & 0x3F)));
  }
}

std::string_view LastPathComponent(std::string_view path) {
  // A drive letter ("C:CUST.TXT") is not part of the name.
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    path.remove_prefix(2);
  }
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string FileStem(std::string_view path) {
  std::string_view name = LastPathComponent(path);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

}  // namespace qx::automation::wordprocessor
