#include "automation/wordprocessor/merge_field.h"

#include <clocale>
#include <locale.h>
#include <vector>
#include <wctype.h>

#include "automation/wordprocessor/text.h"

namespace qx::automation::wordprocessor {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct Token {
  std::string text;
  bool quoted = false;
};

// Splits an instruction into words and quoted texts.
std::vector<Token> Tokenize(std::string_view text) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    Token token;
    if (text[i] == '"') {
      token.quoted = true;
      ++i;
      while (i < text.size() && text[i] != '"') {
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) ++i;
        token.text += text[i++];
      }
      ++i;  // the closing quote (or the end)
    } else {
      while (i < text.size() && !IsBlank(text[i])) token.text += text[i++];
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

// The case maps of Unicode (C.UTF-8 holds them whatever the process's
// locale); null where the machine has no such locale: ASCII letters only.
locale_t CaseLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

char32_t MapCase(char32_t c, bool upper) {
  if (const locale_t l = CaseLocale()) {
    const wint_t mapped = upper ? towupper_l(static_cast<wint_t>(c), l) : towlower_l(static_cast<wint_t>(c), l);
    return static_cast<char32_t>(mapped);
  }
  if (upper && c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if (!upper && c >= 'A' && c <= 'Z') return c - 'A' + 'a';
  return c;
}

// The character of UTF-8 `text` at `at` and its length in bytes; a byte
// that begins no well-formed character stands for itself (length 1, and
// `valid` false).
char32_t Decode(std::string_view text, std::size_t at, std::size_t* length, bool* valid) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t n = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  char32_t c = n == 1 ? lead : n == 2 ? lead & 0x1F : n == 3 ? lead & 0x0F : lead & 0x07;
  bool ok = n != 0 && at + n <= text.size();
  for (std::size_t i = 1; ok && i < n; ++i) {
    ok = (byte(at + i) & 0xC0) == 0x80;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  ok = ok && c >= kLeast[n] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
  *valid = ok;
  *length = ok ? n : 1;
  return ok ? c : lead;
}

void Encode(char32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The value in the case the field asks for.  Letters change case as
// Unicode says (é and É, ß stays); bytes that are no UTF-8 stay as they are.
std::string InCase(std::string_view value, MergeField::Case textCase) {
  if (textCase == MergeField::Case::kAsIs) return std::string(value);
  std::string text;
  text.reserve(value.size());
  bool wordStart = true, first = true;
  for (std::size_t at = 0; at < value.size();) {
    std::size_t length = 1;
    bool valid = false;
    const char32_t c = Decode(value, at, &length, &valid);
    const bool blank = c < 0x80 && IsBlank(static_cast<char>(c));
    bool upper = false, lower = false;
    switch (textCase) {
      case MergeField::Case::kUpper: upper = true; break;
      case MergeField::Case::kLower: lower = true; break;
      case MergeField::Case::kFirstCap: upper = first && !blank; break;
      case MergeField::Case::kCaps: upper = wordStart && !blank; break;
      case MergeField::Case::kAsIs: break;
    }
    if (valid && (upper || lower)) Encode(MapCase(c, upper), &text);
    else text.append(value.substr(at, length));
    if (!blank) first = false;
    wordStart = blank;
    at += length;
  }
  return text;
}

}  // namespace

bool ParseMergeField(std::string_view instruction, MergeField* field) {
  const std::vector<Token> tokens = Tokenize(instruction);
  if (tokens.empty() || tokens[0].quoted || !EqualIgnoringAsciiCase(tokens[0].text, "MERGEFIELD")) return false;
  MergeField parsed;
  std::size_t i = 1;
  if (i < tokens.size() && (tokens[i].quoted || tokens[i].text.empty() || tokens[i].text[0] != '\\')) {
    parsed.name = tokens[i++].text;
  }
  for (; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    if (token.quoted) continue;
    const bool hasArgument = i + 1 < tokens.size();
    if (EqualIgnoringAsciiCase(token.text, "\\b") && hasArgument) {
      parsed.before = tokens[++i].text;
    } else if (EqualIgnoringAsciiCase(token.text, "\\f") && hasArgument) {
      parsed.after = tokens[++i].text;
    } else if (token.text == "\\*" && hasArgument) {
      const std::string& format = tokens[++i].text;
      if (EqualIgnoringAsciiCase(format, "Upper")) parsed.textCase = MergeField::Case::kUpper;
      else if (EqualIgnoringAsciiCase(format, "Lower")) parsed.textCase = MergeField::Case::kLower;
      else if (EqualIgnoringAsciiCase(format, "FirstCap")) parsed.textCase = MergeField::Case::kFirstCap;
      else if (EqualIgnoringAsciiCase(format, "Caps")) parsed.textCase = MergeField::Case::kCaps;
    }
  }
  *field = std::move(parsed);
  return true;
}

std::string MergeFieldText(const MergeField& field, std::string_view value) {
  if (value.empty()) return {};
  return field.before + InCase(value, field.textCase) + field.after;
}

}  // namespace qx::automation::wordprocessor
