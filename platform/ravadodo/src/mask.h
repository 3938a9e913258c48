// Field display masks: parsing and the text a field shows.
#pragma once

#include <string>

namespace rv {

struct Mask {
  enum Kind { kText, kInteger, kDecimal, kChoice, kPicture } kind = kText;
  int width = 0;
  int precision = -1;
  bool left = false;      // "%-": aligned left when shown
  bool upper = false;     // type letter C, or a picture place C
  bool isUnsigned = false;
  bool quantity = false;  // type letter F: quantities may be typed as "2 6/12"
  std::string picture;    // pictures of n, c and C
};

// Parses a mask ("%-14sC", "%11.4fF", "nn/nn/nn").  False with a reason when
// the mask cannot be used.
bool ParseMask(const char* text, Mask* mask, std::string* error);

// True when `ch` may be typed into a field of this mask (numbers: digits and
// the signs; pictures: checked per place by the editor).
bool MaskAccepts(const Mask& mask, unsigned char ch);

// True when the picture place at `pos` is a place (not a literal).
bool PicturePlace(const Mask& mask, std::size_t pos);

// The empty value of a picture ("  /  /  ").
std::string EmptyPicture(const Mask& mask);

}  // namespace rv
