// Transaction comments: one text file per transaction in the company's
// "comments" folder.
#include "qxabase/tran_comments.h"

#include <sys/stat.h>

#include <cstring>
#include <string_view>

#include "internal.h"
#include "oemtext.h"
#include "qxabase/app_block.h"

namespace {

constexpr const char* kCommentsFolder = "comments";

// A stored field of at most `size` bytes, without the blanks around it.
std::string_view FieldPart(const char* field, std::size_t size) {
  if (field == nullptr) return {};
  std::string_view t(field, strnlen(field, size));
  while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  return t;
}

// Letters, digits and '-' stand as they are; anything else (a blank, '/',
// '.', a byte above 127) as '%' and two hex digits, so that the name is one
// plain file name whatever the code holds.
void AppendEncoded(std::string* out, std::string_view part) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char c : part) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '-') {
      *out += c;
    } else {
      *out += '%';
      *out += kHex[u >> 4];
      *out += kHex[u & 15];
    }
  }
}

}  // namespace

CBaseTranComments::~CBaseTranComments() { NoteClose(); }

std::string CBaseTranComments::NoteFileName(const char* prefix, const char* first, const char* second) {
  std::string name = prefix ? prefix : "";
  name += '_';
  AppendEncoded(&name, FieldPart(first, 11));
  if (second != nullptr) {
    name += '_';
    AppendEncoded(&name, FieldPart(second, 11));
  }
  return name + ".txt";
}

void CBaseTranComments::NameNote(const std::string& fileName) {
  NoteClose();
  line_.clear();
  const char* company = SharedAppBlockGet()->companyPath;
  path_ = *company ? qxb::JoinPath(qxb::JoinPath(company, kCommentsFolder), fileName) : std::string();
}

bool CBaseTranComments::NoteExist() const {
  if (path_.empty()) return false;
  struct stat st {};
  return ::stat(path_.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool CBaseTranComments::NoteOpen() {
  NoteClose();
  line_.clear();
  if (!NoteExist()) return false;
  file_ = std::fopen(path_.c_str(), "rb");
  return file_ != nullptr;
}

bool CBaseTranComments::NoteReadFirst() {
  if (file_ == nullptr) return false;
  std::rewind(file_);
  return NoteReadNext();
}

bool CBaseTranComments::NoteReadNext() {
  line_.clear();
  if (file_ == nullptr) return false;
  std::string raw;
  int c = 0;
  bool any = false;
  while ((c = std::fgetc(file_)) != EOF) {
    any = true;
    if (c == '\n') break;
    raw += static_cast<char>(c);
  }
  if (!any) return false;
  if (!raw.empty() && raw.back() == '\r') raw.pop_back();
  line_ = oem::FromUtf8(raw);
  return true;
}

void CBaseTranComments::NoteClose() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void CBaseGLTranComments::FormGLNoteName(const char* journalCode, const char* transactionNumber) {
  // A journal code is at most 7 bytes in the header; FieldPart reads up to 11.
  char code[8] = {};
  if (journalCode) std::memcpy(code, journalCode, strnlen(journalCode, 7));
  NameNote(NoteFileName("GL", code, transactionNumber));
}

void CBaseRPTranComments::FormRPNoteName(const char* transactionNumber) {
  NameNote(NoteFileName(detailFileNo_ == 3 ? "AP" : "AR", transactionNumber));
}

void CBaseCashTranComments::FormCashNoteName(const char* transactionNumber) {
  NameNote(NoteFileName("CA", transactionNumber));
}
