// Small text helpers of the word-processor server: UTF-8 checks and code
// points, ASCII case, and the parts of a path as written on any system.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qx::automation::wordprocessor {

// Whether a and b are equal when ASCII letters are compared without case
// (other bytes compare exactly).
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// The offset of the first byte of `text` that is not part of well-formed
// UTF-8 (overlong forms, surrogates and values above U+10FFFF count as
// malformed), or npos when the whole text is well formed.
std::size_t InvalidUtf8At(std::string_view text);

// Decodes the code point at text[*i] and moves *i past it; a malformed
// sequence gives U+FFFD and moves one byte.
char32_t NextCodePoint(std::string_view text, std::size_t* i);

// Appends the UTF-8 form of `ch` to *out.
void AppendUtf8(char32_t ch, std::string* out);

// The last component of a path written with "/" or "\" separators and an
// optional drive ("C:\DATA\CUST.TXT" and "/srv/data/cust.txt" give
// "CUST.TXT" and "cust.txt").
std::string_view LastPathComponent(std::string_view path);

// The last component without its extension ("letter" for "/a/letter.docx").
std::string FileStem(std::string_view path);

}  // namespace qx::automation::wordprocessor
