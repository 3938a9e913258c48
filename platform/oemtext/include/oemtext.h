// Text inside the system is single-byte, code page 437 (the OEM character set
// of the stored records).  These helpers convert it to and from UTF-8 at the
// edges (terminal, HTML, documents, transcripts), fold case for ASCII and the
// code-page-437 letters that have both cases, and define the one text
// comparison used by range tests, sort indexes and case-insensitive keys.
#pragma once

#include <string>
#include <string_view>

namespace oem {

// The Unicode character that a code-page-437 byte stands for.  Bytes below
// 0x80 are ASCII and map to themselves unless `glyphs` is set, in which case
// the control bytes 0x01-0x1F and 0x7F give the pictures the PC character set
// shows for them (a screen shows those; text files keep the control codes).
char32_t ToUnicode(unsigned char byte, bool glyphs = false);

// The code-page-437 byte for a Unicode character, or -1 when it has none.
int FromUnicode(char32_t ch);

// Converts code-page-437 text to UTF-8.  Conversion stops at the end of the
// view; embedded NULs are kept.
std::string ToUtf8(std::string_view cp437, bool glyphs = false);

// Converts UTF-8 text to code page 437.  Characters with no code-page-437
// form, and malformed UTF-8 sequences, become `replacement`.
std::string FromUtf8(std::string_view utf8, char replacement = '?');

// Case mapping for ASCII letters and the code-page-437 letters that exist in
// both cases (Ç/ç, Ü/ü, É/é, Ä/ä, Å/å, Æ/æ, Ö/ö, Ñ/ñ); other bytes unchanged.
unsigned char ToUpper(unsigned char byte);
unsigned char ToLower(unsigned char byte);

// The system's one text comparison: case-insensitive (as ToUpper), with
// trailing blanks and NULs ignored, so "Smith" == "SMITH   " == "smith\0\0".
// Returns <0, 0 or >0 in byte order of the folded texts.
int CompareText(std::string_view a, std::string_view b);

// The length of `text` without its trailing blanks and NULs.
std::size_t TrimmedLength(std::string_view text);

}  // namespace oem
