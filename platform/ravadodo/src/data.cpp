// Form definitions and screen texts kept as data in the base-data folder.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "internal.h"

namespace rv {

namespace {

// One line split into words: bare words, "quoted texts" and key=value pairs
// (the value bare or quoted).
struct Word {
  std::string key;    // empty for a bare word or text
  std::string value;
  bool quoted = false;
};

bool SplitLine(const std::string& line, std::vector<Word>* out, std::string* error) {
  std::size_t i = 0;
  auto readQuoted = [&](std::string* text) {
    ++i;  // the opening quote
    while (i < line.size()) {
      char c = line[i++];
      if (c == '"') return true;
      if (c == '\\' && i < line.size()) c = line[i++];
      *text += c;
    }
    *error = "a quoted text is not closed";
    return false;
  };
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#') break;
    Word w;
    if (c == '"') {
      w.quoted = true;
      if (!readQuoted(&w.value)) return false;
    } else {
      std::string word;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '=') word += line[i++];
      if (i < line.size() && line[i] == '=') {
        ++i;
        w.key = word;
        if (i < line.size() && line[i] == '"') {
          w.quoted = true;
          if (!readQuoted(&w.value)) return false;
        } else {
          while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') w.value += line[i++];
        }
      } else {
        w.value = word;
      }
    }
    out->push_back(std::move(w));
  }
  return true;
}

bool ToInt(const std::string& s, int lo, int hi, int* v) {
  if (s.empty() || s.size() > 6) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  *v = std::stoi(s);
  return *v >= lo && *v <= hi;
}

std::string DataPath(const char* folder, const char* prefix, int number) {
  char name[32];
  std::snprintf(name, sizeof name, "%s-%03d.txt", prefix, number);
  return (std::filesystem::path(AppBaseDataFolder()) / folder / name).string();
}

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  *text = ss.str();
  return true;
}

void ShowDataError(const std::string& what) {
  MsgBoxShowStyle(0, oem::FromUtf8(what).c_str(), "Installation error", kMsgStyleError, 0);
}

bool ParseFormDef(const std::string& text, FormDef* def, int* errorLine, std::string* error) {
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  auto fail = [&](const std::string& why) {
    *errorLine = lineNo;
    *error = why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    std::vector<Word> words;
    if (!SplitLine(line, &words, error)) return fail(*error);
    if (words.empty()) continue;
    const std::string& kind = words[0].value;
    if (!words[0].key.empty() || words[0].quoted) return fail("a line must begin with title, legend, size, field or text");
    if (kind == "title" || kind == "legend") {
      if (words.size() != 2 || !words[1].quoted) return fail(kind + " needs one quoted text");
      (kind == "title" ? def->title : def->legend) = ToScreen(words[1].value);
    } else if (kind == "size") {
      if (words.size() != 3 || !ToInt(words[1].value, 3, 200, &def->rows) || !ToInt(words[2].value, 3, 250, &def->cols))
        return fail("size needs the rows and the columns: size 17 66");
    } else if (kind == "text") {
      FormDefText t;
      bool haveText = false;
      for (std::size_t i = 1; i < words.size(); ++i) {
        const Word& w = words[i];
        if (w.key == "row") {
          if (!ToInt(w.value, 1, 200, &t.row)) return fail("row must be a number from 1 to 200");
        } else if (w.key == "col") {
          if (!ToInt(w.value, 1, 250, &t.col)) return fail("col must be a number from 1 to 250");
        } else if (w.key.empty() && w.quoted && !haveText) {
          t.text = ToScreen(w.value);
          haveText = true;
        } else {
          return fail("a text line is: text row=R col=C \"the text\"");
        }
      }
      if (!haveText || t.row == 0 || t.col == 0) return fail("a text line is: text row=R col=C \"the text\"");
      def->texts.push_back(std::move(t));
    } else if (kind == "field") {
      int number = 0;
      if (words.size() < 2 || !words[1].key.empty() || !ToInt(words[1].value, 1, 255, &number))
        return fail("a field line begins with the field's number (1-255)");
      TagFormField f;
      f.number = static_cast<std::uint8_t>(number);
      bool haveMask = false;
      for (std::size_t i = 2; i < words.size(); ++i) {
        const Word& w = words[i];
        int v = 0;
        if (w.key == "row") {
          if (!ToInt(w.value, 1, 200, &v)) return fail("row must be a number from 1 to 200");
          f.row = static_cast<std::uint8_t>(v);
        } else if (w.key == "col") {
          if (!ToInt(w.value, 1, 250, &v)) return fail("col must be a number from 1 to 250");
          f.column = static_cast<std::uint8_t>(v);
        } else if (w.key == "labelcol") {
          if (!ToInt(w.value, 1, 250, &v)) return fail("labelcol must be a number from 1 to 250");
          f.labelColumn = static_cast<std::uint8_t>(v);
        } else if (w.key == "mask") {
          std::string m = ToScreen(w.value);
          if (m.empty() || m.size() >= sizeof f.mask) return fail("a mask has 1 to 15 characters");
          std::memcpy(f.mask, m.data(), m.size());
          haveMask = true;
        } else if (w.key == "label") {
          def->strings.push_back(ToScreen(w.value));
          f.label = def->strings.back().c_str();
        } else if (w.key == "choices") {
          def->strings.push_back("\x01" + ToScreen(w.value));
          f.choices = def->strings.back().c_str();
        } else if (w.key == "attr" || w.key == "flags" || w.key == "option") {
          if (!ToInt(w.value, 0, w.key == "option" ? 255 : 65535, &v)) return fail(w.key + " must be a number");
          if (w.key == "attr") f.attributes = static_cast<std::uint16_t>(v);
          else if (w.key == "flags") f.flags = static_cast<std::uint16_t>(v);
          else f.option = static_cast<std::uint8_t>(v);
        } else {
          return fail("unknown word \"" + (w.key.empty() ? w.value : w.key) + "\" in a field line");
        }
      }
      if (!haveMask || f.row == 0 || f.column == 0) return fail("a field needs row=, col= and mask=");
      for (const TagFormField& other : def->fields)
        if (other.number == f.number) return fail("field " + std::to_string(number) + " is defined twice");
      def->fields.push_back(f);
    } else {
      return fail("unknown word \"" + kind + "\" (title, legend, size, field or text)");
    }
  }
  if (def->fields.empty()) {
    *errorLine = 0;
    *error = "the form has no fields";
    return false;
  }
  def->fields.push_back(TagFormField{});  // the end record
  return true;
}

std::map<const char**, std::vector<std::string>>& TextBlocks() {
  static std::map<const char**, std::vector<std::string>> blocks;
  return blocks;
}

}  // namespace

void ResetData() { TextBlocks().clear(); }

}  // namespace rv

int FormDefLoad(FormDef* def, int number) {
  if (!def) return -1;
  *def = FormDef{};
  def->number = number;
  std::string path = rv::DataPath("forms", "form", number);
  std::string text;
  if (!rv::ReadFile(path, &text)) {
    rv::ShowDataError("The form definition " + std::to_string(number) + " cannot be found (" + path +
                      ").\nPlease re-install the application.");
    return -1;
  }
  int line = 0;
  std::string error;
  if (!rv::ParseFormDef(text, def, &line, &error)) {
    std::string where = line > 0 ? "line " + std::to_string(line) + ": " : "";
    rv::ShowDataError("The form definition " + path + " is damaged: " + where + error + ".");
    *def = FormDef{};
    return -1;
  }
  def->number = number;
  return 0;
}

int ScreenTextLoad(int block, const char** texts, int count) {
  if (!texts || count <= 0) return -1;
  std::string path = rv::DataPath("texts", "text", block);
  std::string text;
  if (!rv::ReadFile(path, &text)) {
    rv::ShowDataError("The screen texts " + std::to_string(block) + " cannot be found (" + path +
                      ").\nPlease re-install the application.");
    return -1;
  }
  std::vector<std::string> entries(static_cast<std::size_t>(count));
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    std::vector<rv::Word> words;
    std::string error;
    int index = 0;
    bool ok = rv::SplitLine(line, &words, &error);
    if (ok && words.empty()) continue;
    if (ok && (words.size() != 2 || !words[0].key.empty() || !rv::ToInt(words[0].value, 0, 9999, &index) ||
               !words[1].quoted)) {
      ok = false;
      error = "a line is an entry number and a quoted text: 3 \"Total\"";
    }
    if (!ok) {
      rv::ShowDataError("The screen texts " + path + " are damaged: line " + std::to_string(lineNo) + ": " + error + ".");
      return -1;
    }
    if (index < count) entries[static_cast<std::size_t>(index)] = rv::ToScreen(words[1].value);
  }
  ScreenTextFree(texts);
  auto& stored = rv::TextBlocks()[texts];
  stored = std::move(entries);
  for (int i = 0; i < count; ++i) texts[i] = stored[static_cast<std::size_t>(i)].c_str();
  return 0;
}

void ScreenTextFree(const char** texts) {
  auto& blocks = rv::TextBlocks();
  auto it = blocks.find(texts);
  if (it == blocks.end()) return;
  for (std::size_t i = 0; i < it->second.size(); ++i) texts[i] = nullptr;
  blocks.erase(it);
}
