// The set-up of statement runs, the kind of a merge run, and the F3 text
// window of the options screens.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../src/internal.h"
#include "qxabase/letters.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "ravadodo.h"

namespace {

constexpr int kMsgTextNotOpened = 827;
constexpr int kMostDetailLines = 9;

int& Kind() {
  static int kind = 0;
  return kind;
}

}  // namespace

int StatementSetup160(int menuId, int /*kind*/, int /*reserved*/, const StatementTextNames* names,
                      const records::TransInfoRecord* /*transInfo*/, TagRepInfo* info) {
  if (names == nullptr || info == nullptr || !names->page[0] || !names->invoice[0]) return 0;
  info->reportPage = 0;
  info->autoPageBreak = 0;
  info->linesPerInch = kLinesPerInch;
  info->marginLeft = info->marginTop = info->marginRight = info->marginBottom = 0;
  info->pageLength = kLabelPageLines;
  info->font.number = kFontForm;
  const std::string title = qxb::CommandTitle(menuId);
  std::snprintf(info->title, sizeof info->title, "%s", title.c_str());
  return 1;
}

int StatementSetup187(StatementBlock* block, const records::CompanyRecord* company, std::int32_t date) {
  if (block == nullptr) return 0;
  *block = StatementBlock{};
  if (company != nullptr) {
    std::snprintf(block->company, sizeof block->company, "%s", qxb::FieldText(company->name, sizeof company->name).c_str());
    std::snprintf(block->address1, sizeof block->address1, "%s",
                  qxb::FieldText(company->addressLine1, sizeof company->addressLine1).c_str());
    std::snprintf(block->address2, sizeof block->address2, "%s",
                  qxb::FieldText(company->addressLine2, sizeof company->addressLine2).c_str());
    std::snprintf(block->cityLine, sizeof block->cityLine, "%s",
                  qxb::FieldText(company->cityStateZip, sizeof company->cityStateZip).c_str());
    std::snprintf(block->phone, sizeof block->phone, "%s", qxb::FieldText(company->phone, sizeof company->phone).c_str());
  }
  block->date = date;
  block->page = 1;
  return 0;
}

int StatementRunEnd(TagRepInfo* info, const StatementTextNames*) {
  if (info) ReportSetFont(info, kFontDetail);
  return 0;
}

int StatementDetailLines(const records::TransInfoRecord* transInfo) {
  const int lines = transInfo ? static_cast<int>(transInfo->statementDetailLines) : 0;
  return lines < 1 ? 1 : std::min(lines, kMostDetailLines);
}

int LettersKindSet(int kind) {
  Kind() = kind;
  return 0;
}
int LettersPrepare613() { return 0; }
int LettersRunEnd() {
  Kind() = 0;
  return 0;
}
int LettersKind() { return Kind(); }

int CustVendF3Window(int top, int left, int rows, int cols, int maxLine, int* state, const char* name, int, int) {
  auto result = [&](int r) {
    if (state) *state = r;
    return r;
  };
  TextEdit edit;
  const int status = TextFileLoad(name, &edit.lines, nullptr);
  if (status == kTextStatusNoMemory) {
    MsgShow(1, 1);
    return result(1);
  }
  if (status != 0 && status != kTextStatusNotFound) {
    MsgShow(kMsgTextNotOpened, 1);
    return result(1);
  }
  if (!TextNameValid(name)) {
    MsgShow(kMsgTextNotOpened, 1);
    return result(1);
  }
  const std::string title = std::string("Text ") + name;
  edit.top = top;
  edit.left = left;
  edit.rows = rows;
  edit.cols = cols;
  edit.maxLineLength = std::min(maxLine > 0 ? maxLine : kTextMaxLineLength, kTextMaxLineLength);
  edit.maxLines = kTextMaxLines;
  edit.title = title.c_str();
  if (TextEditRun(&edit) != 0) return result(27);
  if (TextFileSave(name, edit.lines) != 0) return result(1);
  return result(0);
}
