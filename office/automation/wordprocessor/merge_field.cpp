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

// The value in the case the field asks for.  Letters change case as
// Unicode says (é and É, ß stays); bytes that are no UTF-8 stay as they are.
std::string InCase(std::string_view value, MergeField::Case textCase) {
  if (textCase == MergeField::Case::kAsIs) return std::string(value);
  std::string text;
  text.reserve(value.size());
  bool wordStart = true, first = true;
  for (std::size_t at = 0; at < value.size();) {
    std::size_t next = at;
    const char32_t c = NextCodePoint(value, &next);
    const std::size_t length = next - at;
    // A malformed byte reads as U+FFFD of one byte (the real one has three).
    const bool valid = !(c == 0xFFFD && length == 1);
    const bool blank = c < 0x80 && IsBlank(static_cast<char>(c));
    bool upper = false, lower = false;
    switch (textCase) {
      case MergeField::Case::kUpper: upper = true; break;
      case MergeField::Case::kLower: lower = true; break;
      case MergeField::Case::kFirstCap: upper = first && !blank; break;
      case MergeField::Case::kCaps: upper = wordStart && !blank; break;
      case MergeField::Case::kAsIs: break;
    }
    if (valid && (upper || lower)) AppendUtf8(MapCase(c, upper), &text);
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
