// Small helpers shared by the sources of the base library.
#include <fstream>
#include <sstream>

#include "internal.h"
#include "qxabase/app_block.h"
#include "qxabase/messages.h"
#include "ravadodo.h"

namespace qxb {

std::string BaseDataFolder() {
  const SharedAppBlock* app = SharedAppBlockGet();
  if (app->baseDataFolder[0]) return app->baseDataFolder;
  return AppBaseDataFolder();
}

std::string DataFile(const std::string& sub, const std::string& name) {
  return JoinPath(JoinPath(BaseDataFolder(), sub), name);
}

bool ReadTextFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  *text = ss.str();
  return true;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty()) return std::string(name);
  if (path.back() != '/' && path.back() != '\\') path += '/';
  path += name;
  return path;
}

int ShowBox(const std::string& text, int captionKind, const char* buttons, int defaultButton,
            int number) {
  if (number != 0) TranscriptNote("message number", std::to_string(number).c_str());
  char caption[81];
  GetCaption(caption, captionKind);
  return MsgBoxAsk(text.c_str(), caption, buttons ? buttons : " Ok ", defaultButton);
}

std::string FieldText(const char* field, std::size_t n) {
  std::size_t len = 0;
  while (len < n && field[len] != '\0') ++len;
  while (len > 0 && field[len - 1] == ' ') --len;
  return std::string(field, len);
}

bool Tokenize(const std::string& line, std::vector<Token>* tokens, std::string* error) {
  tokens->clear();
  std::size_t i = 0;
  const std::size_t n = line.size();
  auto quoted = [&](std::string* out) {
    ++i;  // the opening quote
    while (i < n && line[i] != '"') {
      if (line[i] == '\\' && i + 1 < n) {
        const char e = line[i + 1];
        *out += e == 'n' ? '\n' : e;
        i += 2;
      } else {
        *out += line[i++];
      }
    }
    if (i >= n) {
      *error = "a quoted text is not closed";
      return false;
    }
    ++i;  // the closing quote
    return true;
  };
  while (i < n) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    if (c == '#') break;
    Token t;
    if (c == '"') {
      t.quoted = true;
      if (!quoted(&t.value)) return false;
    } else {
      std::string word;
      while (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '=') word += line[i++];
      if (i < n && line[i] == '=') {
        ++i;
        t.key = word;
        if (i < n && line[i] == '"') {
          t.quoted = true;
          if (!quoted(&t.value)) return false;
        } else {
          while (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') t.value += line[i++];
        }
      } else {
        t.value = word;
      }
    }
    tokens->push_back(std::move(t));
  }
  return true;
}

}  // namespace qxb
