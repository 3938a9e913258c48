// The script device: keys from a key script, a transcript of what was shown.
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

#include "internal.h"

namespace rv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Characters of a quoted text as keys (UTF-8 -> code page 437).
void AddText(const std::string& utf8, int line, std::vector<ScriptToken>* out) {
  std::string cp = oem::FromUtf8(utf8);
  for (unsigned char c : cp) {
    ScriptToken t;
    t.key = c;
    t.line = line;
    out->push_back(t);
  }
}

// "row,col)" of a click: two whole numbers that fit an int (a number too
// long for one is refused, not wrapped).
bool ParseClick(std::string_view text, int* row, int* col) {
  const char* p = text.data();
  const char* end = p + text.size();
  auto [afterRow, e1] = std::from_chars(p, end, *row);
  if (e1 != std::errc() || afterRow == end || *afterRow != ',') return false;
  auto [afterCol, e2] = std::from_chars(afterRow + 1, end, *col);
  return e2 == std::errc() && afterCol + 1 == end && *afterCol == ')';
}

}  // namespace

bool ParseKeyScript(const std::string& text, std::vector<ScriptToken>* out, std::string* error) {
  std::size_t i = 0;
  int line = 1;
  auto fail = [&](const std::string& what) {
    if (error) *error = "key script line " + std::to_string(line) + ": " + what;
    return false;
  };
  while (i < text.size()) {
    char c = text[i];
    if (c == '\n') { ++line; ++i; continue; }
    if (IsBlank(c)) { ++i; continue; }
    if (c == '#') {
      while (i < text.size() && text[i] != '\n') ++i;
      continue;
    }
    if (c == '"') {
      std::string s;
      ++i;
      bool closed = false;
      while (i < text.size()) {
        char d = text[i++];
        if (d == '"') { closed = true; break; }
        if (d == '\\' && i < text.size()) d = text[i++];
        if (d == '\n') ++line;
        s += d;
      }
      if (!closed) return fail("a quoted text is not closed");
      AddText(s, line, out);
      continue;
    }
    std::string word;
    while (i < text.size() && !IsBlank(text[i]) && text[i] != '#') word += text[i++];
    ScriptToken t;
    t.line = line;
    if (word == "Break" || word == "break") {
      t.kind = ScriptToken::kBreak;
      t.key = kKeyEsc;
    } else if (word.rfind("Click(", 0) == 0 || word.rfind("click(", 0) == 0) {
      int r = 0, col = 0;
      if (!ParseClick(std::string_view(word).substr(6), &r, &col)) return fail("write a click as Click(row,col)");
      t.kind = ScriptToken::kClick;
      t.key = kKeyMouse;
      t.row = r;
      t.col = col;
    } else {
      KeyCode k = KeyFromName(word);
      if (k < 0) return fail("\"" + word + "\" is not a key name (write text in double quotes)");
      t.key = k;
    }
    out->push_back(t);
  }
  return true;
}

namespace {

class ScriptDevice : public Device {
 public:
  ScriptDevice(std::vector<ScriptToken> tokens, FILE* transcript)
      : tokens_(std::move(tokens)), transcript_(transcript) {}
  ~ScriptDevice() override { Shutdown(); }

  bool Scripted() const override { return true; }
  void Size(int* rows, int* cols) override {
    *rows = 25;
    *cols = 80;
  }
  void Present(const Frame&) override {}

  KeyCode Read() override {
    if (next_ >= tokens_.size()) return kKeyClose;
    const ScriptToken& t = tokens_[next_++];
    if (t.kind == ScriptToken::kClick) {
      State().clickRow = t.row;
      State().clickCol = t.col;
    }
    return t.key;
  }

  KeyCode Poll() override {
    if (next_ >= tokens_.size()) return kKeyClose;
    if (tokens_[next_].kind == ScriptToken::kBreak) {
      ++next_;
      return kKeyEsc;
    }
    return 0;
  }

  void Shutdown() override {
    if (transcript_) {
      std::fclose(transcript_);
      transcript_ = nullptr;
    }
  }

  void Transcript(const std::string& text) override {
    if (!transcript_) return;
    std::fwrite(text.data(), 1, text.size(), transcript_);
    std::fflush(transcript_);
  }

 private:
  std::vector<ScriptToken> tokens_;
  std::size_t next_ = 0;
  FILE* transcript_;
};

// Neither a terminal nor a key script: a script that has run out before it
// began, still writing its transcript when one is named.
class ClosedDevice : public ScriptDevice {
 public:
  explicit ClosedDevice(FILE* transcript) : ScriptDevice({}, transcript) {}
  bool Closed() const override { return true; }
};

FILE* OpenTranscript(const char* path) {
  if (!path || !*path) return nullptr;
  FILE* f = std::fopen(path, "w");
  if (!f) std::fprintf(stderr, "cannot write the transcript %s\n", path);
  return f;
}

}  // namespace

std::unique_ptr<Device> MakeScriptDevice(const std::string& keysText, const char* transcriptPath) {
  std::vector<ScriptToken> tokens;
  std::string error;
  if (!ParseKeyScript(keysText, &tokens, &error)) {
    // A damaged script must not drive the program blindly: say where it is
    // wrong and run as if the window were closed at once.
    std::fprintf(stderr, "%s\n", error.c_str());
    tokens.clear();
    FILE* t = OpenTranscript(transcriptPath);
    auto dev = std::make_unique<ScriptDevice>(std::move(tokens), t);
    dev->Transcript("error: " + error + "\n");
    return dev;
  }
  return std::make_unique<ScriptDevice>(std::move(tokens), OpenTranscript(transcriptPath));
}

std::unique_ptr<Device> MakeScriptDeviceFromEnv() {
  const char* keys = std::getenv("QX_KEYS");
  std::string text;
  std::ifstream in(keys ? keys : "", std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read the key script %s\n", keys ? keys : "");
  } else {
    std::ostringstream ss;
    ss << in.rdbuf();
    text = ss.str();
  }
  return MakeScriptDevice(text, std::getenv("QX_TRANSCRIPT"));
}

std::unique_ptr<Device> MakeClosedDevice() {
  return std::make_unique<ClosedDevice>(OpenTranscript(std::getenv("QX_TRANSCRIPT")));
}

}  // namespace rv
