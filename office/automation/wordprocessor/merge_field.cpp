#include "automation/wordprocessor/merge_field.h"

#include <vector>

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

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string InCase(std::string_view value, MergeField::Case textCase) {
  std::string text(value);
  switch (textCase) {
    case MergeField::Case::kAsIs: break;
    case MergeField::Case::kUpper:
      for (char& c : text) c = Upper(c);
      break;
    case MergeField::Case::kLower:
      for (char& c : text) c = Lower(c);
      break;
    case MergeField::Case::kFirstCap:
      for (char& c : text) {
        if (IsBlank(c)) continue;
        c = Upper(c);
        break;
      }
      break;
    case MergeField::Case::kCaps: {
      bool start = true;
      for (char& c : text) {
        if (start && !IsBlank(c)) c = Upper(c);
        start = IsBlank(c);
      }
      break;
    }
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
