#include "mask.h"

#include <cctype>
#include <cstring>

namespace rv {

namespace {
bool IsPlaceChar(char c) { return c == 'n' || c == 'c' || c == 'C'; }
}  // namespace

bool ParseMask(const char* text, Mask* m, std::string* error) {
  *m = Mask{};
  auto fail = [&](const std::string& why) {
    if (error) *error = "the mask \"" + std::string(text ? text : "") + "\" " + why;
    return false;
  };
  if (!text || !*text) return fail("is empty");
  if (text[0] != '%') {
    bool anyPlace = false;
    for (const char* p = text; *p; ++p) anyPlace |= IsPlaceChar(*p);
    if (!anyPlace) return fail("has no place for a character (use n, c or C)");
    m->kind = Mask::kPicture;
    m->picture = text;
    m->width = static_cast<int>(m->picture.size());
    for (char c : m->picture) m->upper |= c == 'C';
    return true;
  }
  const char* p = text + 1;
  while (*p == '-' || *p == '+' || *p == '0' || *p == ' ' || *p == '#') {
    if (*p == '-') m->left = true;
    ++p;
  }
  while (std::isdigit(static_cast<unsigned char>(*p))) m->width = m->width * 10 + (*p++ - '0');
  if (*p == '.') {
    ++p;
    m->precision = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) m->precision = m->precision * 10 + (*p++ - '0');
  }
  while (*p == 'l' || *p == 'h') ++p;
  char conv = *p ? *p++ : 0;
  char type = *p ? *p++ : 0;
  if (*p) return fail("has characters after its type letter");
  switch (conv) {
    case 's':
      m->kind = type == 'm' ? Mask::kChoice : Mask::kText;
      if (m->width == 0 && m->precision > 0) m->width = m->precision;
      break;
    case 'c':
      m->kind = Mask::kText;
      if (m->width == 0) m->width = 1;
      break;
    case 'd': case 'i': m->kind = Mask::kInteger; break;
    case 'u': m->kind = Mask::kInteger; m->isUnsigned = true; break;
    case 'f': case 'F': m->kind = Mask::kDecimal; if (m->precision < 0) m->precision = 2; break;
    default: return fail("has no known conversion (s, d, u or f)");
  }
  if (type == 'C') m->upper = true;
  if (type == 'F') m->quantity = true;
  if (type != 0 && type != 'C' && type != 'm' && type != 'F') return fail("has an unknown type letter");
  if (type == 'm' && conv != 's') return fail("marks a choice field but is not a text");
  if (m->width <= 0) return fail("has no width");
  if (m->width > 200) return fail("is wider than 200 characters");
  return true;
}

bool MaskAccepts(const Mask& m, unsigned char ch) {
  switch (m.kind) {
    case Mask::kInteger: return std::isdigit(ch) || (ch == '-' && !m.isUnsigned) || ch == '+';
    case Mask::kDecimal:
      return std::isdigit(ch) || ch == '-' || ch == '+' || ch == '.' || (m.quantity && (ch == ' ' || ch == '/'));
    case Mask::kText: return ch >= 32 && ch != 127;
    default: return false;
  }
}

bool PicturePlace(const Mask& m, std::size_t pos) {
  return pos < m.picture.size() && IsPlaceChar(m.picture[pos]);
}

std::string EmptyPicture(const Mask& m) {
  std::string s = m.picture;
  for (char& c : s)
    if (IsPlaceChar(c)) c = ' ';
  return s;
}

}  // namespace rv
