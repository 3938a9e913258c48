// The report run frame's pieces.
#include "report_frame.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cv_params.h"
#include "oemtext.h"
#include "qxabase/commands.h"
#include "qxabase/messages.h"
#include "qxabase/startup.h"
#include "ravadodo.h"
#include "records/amounts.h"

namespace {

// Reads only the "input" pair of a string and accepts every other key.
class InputPeek final : public CReportParamString {
 public:
  using CReportParamString::CReportParamString;
  ParamStatus SetParam(std::string_view key, std::string_view value) override {
    if (key == "input") input.assign(value);
    return ParamStatus::kOk;
  }
  std::string input;
};

}  // namespace

bool ResolveReportOutput(const char* output, std::string* path, std::string* why) {
  const std::string given = output ? output : "";
  for (unsigned char c : given) {
    if (c < 0x20 || c == 0x7F) {
      *why = "the output file name holds a control character.";
      return false;
    }
  }
  // A relative name means the folder the user started the program in (the
  // program itself works in its own folder), and stays in it.
  const char* start = StartFolderGet();
  const std::filesystem::path folder = start && *start ? std::filesystem::path(start) : std::filesystem::path();
  std::filesystem::path file(given);
  if (file.is_relative()) {
    const std::filesystem::path inside = file.lexically_normal();
    if (inside.empty() || *inside.begin() == ".." || inside.filename().empty()) {
      *why = "the output file \"" + given + "\" lies outside the folder the program was started in.";
      return false;
    }
    file = folder.empty() ? inside : folder / inside;
  }
  *path = file.lexically_normal().string();
  if (path->size() >= sizeof TagRepInfo{}.filePath) {
    *why = "the output file name is longer than " + std::to_string(sizeof TagRepInfo{}.filePath - 1) + " characters.";
    return false;
  }
  return true;
}

bool FillReportDestination(const char* output, TagRepInfo* info, std::string* why) {
  std::memset(static_cast<void*>(info), 0, sizeof *info);
  info->reportPage = 1;
  info->showProgress = 1;
  if (output == nullptr || StrIsBlank(output)) return true;
  info->destinationGiven = 1;
  info->quiet = 1;
  if (!IsHtmlOutput(output)) {
    // Any other text shows the preview; where no terminal can show it, the
    // user who named a file learns which names are written.
    if (!IsScreenOutput(output) && ScreenIsClosed()) {
      *why = "output='" + std::string(output) +
             "' is not a file this report writes: it writes an HTML file whose name holds .htm (aging.htm, "
             "aging.html); a blank output or 'screen' shows the preview, and there is no terminal to show it.";
      return false;
    }
    info->destination = kDestPreview;
    return true;
  }
  info->links = 1;
  info->destination = kDestHtmlFile;
  info->fileKind = kDestHtmlFile;
  info->fileAppend = 0;
  std::string path;
  if (!ResolveReportOutput(output, &path, why)) return false;
  std::memcpy(info->filePath, path.c_str(), path.size() + 1);
  return true;
}

int SetReportDestination(const char* output, TagRepInfo* info) {
  std::string why;
  if (FillReportDestination(output, info, &why)) return 0;
  ShowBadParameters(why);
  return 1;
}

int SetReportDestination(const CustVendReportParams* params, TagRepInfo* info) {
  return SetReportDestination(params->output, info);
}

std::string ParamStringInput(const char* text) {
  if (text == nullptr) return "";
  InputPeek peek(text, static_cast<int>(std::strlen(text)) + 1);
  peek.ParseParams(ParseMode::kLenient);
  std::string input = peek.input;
  for (char& c : input) c = static_cast<char>(oem::ToLower(static_cast<unsigned char>(c)));
  return input;
}

bool IsSavedRunInput(const char* input) {
  return input != nullptr && oem::CompareText(input, "usersel") == 0;
}

void RefuseReportRun(int number) {
  MsgShow(number, 1);
  CommandNotDone();
}

void ShowBadParameters(const std::string& reason) {
  // The reason is a sentence of its own before "The report is not run."
  std::string sentence = reason;
  if (!sentence.empty() && sentence.back() != '.' && sentence.back() != '?' && sentence.back() != '!') sentence += '.';
  MsgShowArgs(kMsgBadParameters, 0x100, kButtonsStop, 1, sentence.c_str(), 0);
  CommandNotDone();
}

int ReportRunGuard::Close() {
  if (info_ == nullptr || info_->run == nullptr) return 0;
  return ReportClose(info_);
}

void ReportRunGuard::Discard() {
  if (info_ != nullptr) info_->discard = 1;
}

WindowGuard::~WindowGuard() {
  if (window_ && window_->impl) WinClose(window_, 1);
}

TagReportColumn MakeColumn(ReportColumnKind kind, const char* format, int x, const void* value, std::int32_t align,
                           std::int32_t width) {
  TagReportColumn c;
  c.kind = kind;
  std::snprintf(c.format, sizeof c.format, "%s", format);
  c.x = static_cast<std::uint16_t>(x);
  c.value = value;
  c.align = align;
  c.width = width;
  return c;
}

std::string TrimText(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return std::string(text);
}

std::int64_t AmountCents(double amount) {
  return records::IsSoundAmount(amount) ? std::llround(NumRound(amount, 2) * 100.0) : 0;
}

void EndIncompleteReport(TagRepInfo* info) {
  CommandNotDone();
  ReportWriteText(info, "*** The report is incomplete: the company's files could not be read ***", 0, 1);
  if (info->destination != kDestPreview) info->discard = 1;
}

std::vector<TagReportColumn> HeadingRow(const char* const* captions, const int* x, const int* width, int count,
                                        std::uint32_t rightAligned) {
  std::vector<TagReportColumn> row;
  for (int i = 0; i < count; ++i) {
    const std::int32_t align = (rightAligned >> i) & 1u ? kAlignRight : kAlignLeft;
    row.push_back(MakeColumn(kColumnText, "%s", x[i], captions[i], align, width[i]));
  }
  row.emplace_back();
  return row;
}

bool EndReportRun(TagRepInfo* info, bool failed, bool stopped, bool printed) {
  if (failed) {
    EndIncompleteReport(info);
  } else if (stopped) {
    ReportNewPage(info);
  } else if (!printed) {
    MsgShow(kMsgNothingSelected, 1);
    info->discard = 1;
  } else {
    CommandDone();
    return true;
  }
  return false;
}

void HideSelectionWindow(Window* window) {
  if (window && window->impl) WinShow(window, 0);
}

bool ReportPageFull(const TagRepInfo* info, int lines) {
  return info->pageLength > 0 && info->lineCount + lines >= info->pageLength;
}

void WriteSortRankLines(TagRepInfo* info, const char* sortCaption, const char* rankCaption, int x) {
  const std::string sorted = std::string("Sorted by: ") + sortCaption;
  const std::string ranked = std::string("Ranked by: ") + rankCaption;
  ReportWriteText(info, sorted.c_str(), x, 1);
  ReportWriteText(info, ranked.c_str(), x, 1);
}

TagDrillDownInfo MakeDrillDown(std::uint8_t kind, int commandId) {
  TagDrillDownInfo link{};
  link.kind = kind;
  link.one = 1;
  link.commandId = static_cast<std::uint16_t>(commandId);
  return link;
}

void ClearLinks(TagReportColumn* table) {
  for (TagReportColumn* c = table; c && c->kind != kColumnEnd; ++c) c->link = nullptr;
}

void LinkColumns(TagReportColumn* table, std::initializer_list<int> columns, const TagDrillDownInfo* link) {
  for (int i : columns) table[i].link = link;
}
