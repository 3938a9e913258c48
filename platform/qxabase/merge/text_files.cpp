// The texts of statements, letters and labels: the company's own, or the
// installation's.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <system_error>

#include "../src/internal.h"
#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/messages.h"
#include "qxabase/text_merge.h"
#include "ravadodo.h"

namespace {

constexpr const char* kTextFolder = "templates";
// A text larger than this is not a text of ours (the file is refused).
constexpr std::uintmax_t kTextMaxBytes = 1u << 20;

int ReadLines(const std::string& path, std::vector<std::string>* lines) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return kTextStatusNotFound;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec || size > kTextMaxBytes) return kTextStatusUnreadable;
  std::string text;
  if (!qxb::ReadTextFile(path, &text)) return kTextStatusUnreadable;
  lines->clear();
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines->push_back(oem::FromUtf8(line));
    if (lines->size() > static_cast<std::size_t>(kTextMaxLines)) return kTextStatusUnreadable;
    at = end + 1;
  }
  return 0;
}

}  // namespace

int TextFileInit() { return 0; }

bool TextNameValid(const char* name) {
  if (name == nullptr || *name == '\0' || *name == '.') return false;
  const std::size_t n = std::strlen(name);
  if (n > 32) return false;
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (!(std::isalnum(c) || c == '-' || c == '_' || c == '.')) return false;
  }
  return true;
}

std::string TextFileCompanyPath(const char* name) {
  if (!TextNameValid(name)) return "";
  const SharedAppBlock* app = SharedAppBlockGet();
  return qxb::JoinPath(qxb::JoinPath(app->companyPath, kTextFolder), name);
}

std::string TextFileDefaultPath(const char* name) {
  if (!TextNameValid(name)) return "";
  return qxb::DataFile(kTextFolder, name);
}

int TextFileLoad(const char* name, std::vector<std::string>* lines, bool* fromCompany) {
  if (fromCompany) *fromCompany = false;
  if (!TextNameValid(name) || lines == nullptr) return kTextStatusNotFound;
  try {
    const std::string own = TextFileCompanyPath(name);
    int status = ReadLines(own, lines);
    if (status == 0) {
      if (fromCompany) *fromCompany = true;
      return 0;
    }
    if (status != kTextStatusNotFound) return status;
    return ReadLines(TextFileDefaultPath(name), lines);
  } catch (const std::bad_alloc&) {
    return kTextStatusNoMemory;
  }
}

int TextFileOpen(int /*mode*/, int lineSize, int /*bufferSize*/, const char* name, TextFileBlock* block) {
  if (block == nullptr) return kTextStatusNotOpen;
  TextFileClose(block);
  block->lineSize = lineSize > 1 ? lineSize : 512;
  block->name = name ? name : "";
  block->status = TextFileLoad(name, &block->lines, &block->companyText);
  if (block->status != 0) {
    block->lines.clear();
    return block->status;
  }
  block->path = block->companyText ? TextFileCompanyPath(name) : TextFileDefaultPath(name);
  const std::size_t longest = static_cast<std::size_t>(std::min(block->lineSize - 1, kTextMaxLineLength));
  for (std::string& line : block->lines)
    if (line.size() > longest) line.resize(longest);
  block->next = 0;
  block->open = true;
  return 0;
}

int TextFileRead(TextFileBlock* block, char* line) {
  if (block == nullptr || !block->open) {
    if (line) *line = '\0';
    if (block) block->status = kTextStatusNotOpen;
    return kTextStatusNotOpen;
  }
  if (block->next >= block->lines.size()) {
    if (line) *line = '\0';
    block->status = kTextStatusEnd;
    return kTextStatusEnd;
  }
  const std::string& text = block->lines[block->next++];
  if (line) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(block->lineSize - 1));
    std::memcpy(line, text.data(), n);
    line[n] = '\0';
  }
  block->status = 0;
  return 0;
}

int TextFileRewind(TextFileBlock* block) {
  if (block) block->next = 0;
  return 0;
}

int TextFileLineCount(const TextFileBlock* block) {
  return block && block->open ? static_cast<int>(block->lines.size()) : 0;
}

void TextFileClose(TextFileBlock* block) {
  if (block == nullptr) return;
  block->open = false;
  block->lines.clear();
  block->next = 0;
}

bool TextIsBlank(const char* line) {
  if (line == nullptr) return true;
  for (const char* p = line; *p; ++p)
    if (*p != ' ' && *p != '\t') return false;
  return true;
}

int TextFileSave(const char* name, const std::vector<std::string>& lines) {
  const std::string path = TextFileCompanyPath(name);
  std::string why;
  if (path.empty()) {
    why = "the name is not a plain file name";
  } else {
    try {
      std::error_code ec;
      const std::filesystem::path target(path);
      std::filesystem::create_directories(target.parent_path(), ec);
      if (ec) {
        why = ec.message();
      } else {
        // Written beside the text and renamed over it: a text is never left half written.
        const std::string temporary = path + ".new";
        {
          std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
          for (const std::string& line : lines) out << oem::ToUtf8(line) << '\n';
          out.flush();
          if (!out) why = std::strerror(errno ? errno : EIO);
        }
        if (why.empty()) {
          std::filesystem::rename(temporary, target, ec);
          if (ec) why = ec.message();
        }
        if (!why.empty()) std::filesystem::remove(temporary, ec);
      }
    } catch (const std::exception& e) {
      why = e.what();
    }
  }
  if (why.empty()) return 0;
  const std::string text = "The text " + std::string(name ? name : "") + " could not be saved:\n" + path + "\n" +
                           why + ".";
  qxb::ShowBox(text, kCaptionError, nullptr, 1, 0);
  return 1;
}
