// The report writer's calls: a run's page model is built line by line from
// the report's calls, each page kept in the run's page file once the next
// one begins, and delivered when the run is closed.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "qxabase/commands.h"
#include "qxabase/startup.h"
#include "qxsys/print_problems.h"
#include "ravadodo/dialogs.h"
#include "ravadodo/forms.h"
#include "ravadodo/screen.h"
#include "ravadodo/text.h"
#include "ravadodo/window.h"
#include "report_format.h"
#include "report_model.h"

// The writer's state of one open run.
struct ReportRun {
  TagRepInfo* owner = nullptr;  // the TagRepInfo that opened it
  qxreport::Document doc;
  int openLine = -1;  // the line that holds text not yet ended by a line feed
  int column = 0;     // the column after the last text placed on it
  struct Block {
    int startLine;
    TagRepFont fontBefore;
  };
  std::vector<Block> blocks;
  bool delivering = false;  // ReportClose is showing or writing it
  // Why the pages could not be kept (the temporary page file failed); the
  // run then takes no more lines and delivers nothing.
  std::string problem;
  int progress = 0;         // wait window handle, 0 none
  std::chrono::steady_clock::time_point lastStep{};
  std::string path;         // the file of a file destination, as ReportOpen resolved it
};

namespace {

using qxreport::Cell;
using qxreport::Line;
using qxreport::Page;
using qxreport::Place;

// A line number beyond any page: a report that sets a wild line count must
// not make the writer allocate without end.
constexpr int kMaxLine = 20000;
constexpr const char* kStoppedLine = "*** Report stopped by the user ***";

// Runs in the order they were opened.  Calls check a run against this list,
// so a TagRepInfo that was closed, copied or never opened is simply not open.
std::vector<ReportRun*>& Runs() {
  static std::vector<ReportRun*> runs;
  return runs;
}

ReportRun* RunOf(const TagRepInfo* info) {
  if (!info || !info->run) return nullptr;
  for (ReportRun* r : Runs())
    if (r == info->run) return r;
  return nullptr;
}

// The run the user-break check without a TagRepInfo applies to: the last one
// opened that is still being written.
ReportRun* CurrentRun() {
  auto& runs = Runs();
  for (auto it = runs.rbegin(); it != runs.rend(); ++it)
    if (!(*it)->delivering) return *it;
  return nullptr;
}

template <class F>
int Guarded(F&& body, int failure = -1) {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

std::vector<std::string>& WrittenFiles() {
  static std::vector<std::string> files;
  return files;
}

std::string Bounded(const char* text, std::size_t size) { return text ? std::string(text, strnlen(text, size)) : ""; }

// The file a file destination names.
std::string OutputPath(const TagRepInfo& info) {
  return qxreport::PathInStartFolder(Bounded(info.filePath, sizeof info.filePath));
}

// The file the command line names for the command's reports ("" none), and
// how many of its reports have taken a name of it.
std::string& CommandOutput() {
  static std::string path;
  return path;
}
int& CommandOutputRuns() {
  static int runs = 0;
  return runs;
}

// The names the files of the accounts have taken in the run of accounts
// being written.
std::vector<std::string>& AccountNames() {
  static std::vector<std::string> names;
  return names;
}

bool IsHtmlName(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name.find(".htm") != std::string::npos;
}

// `path` with "-" and `suffix` before the extension of its file name.
std::string WithSuffix(const std::string& path, const std::string& suffix) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  if (!hasExtension) return path + "-" + suffix;
  return path.substr(0, dot) + "-" + suffix + path.substr(dot);
}

// Writes the document (or its pages [first, end)) to `path` as HTML or as
// text, whole or not at all, and notes the file.  "" or what went wrong.
std::string WriteReportFile(const qxreport::Document& doc, const std::string& path, bool html, std::size_t first,
                            std::size_t end) {
  qxreport::AtomicFile file(path);
  std::string problem = file.Open();
  if (problem.empty()) {
    const qxreport::Sink out = [&](std::string_view text) { file.Write(text); };
    try {
      if (html) qxreport::RenderHtml(doc, out, first, end);
      else qxreport::RenderText(doc, "\f\n", 0, 0, out);
      problem = file.Commit();
    } catch (const std::exception& e) {
      problem = e.what();
    }
  }
  if (!problem.empty()) return problem;
  WrittenFiles().push_back(path);
  int pages = 0;
  for (std::size_t i = first; i < doc.pages.Size() && i < end; ++i) pages += doc.pages.Holds(i) ? 1 : 0;
  const std::string note = "written " + path + " (" + std::to_string(pages) + (pages == 1 ? " page)" : " pages)");
  TranscriptNote("report", note.c_str());
  return "";
}

TagRepFont FontOf(int number) {
  TagRepFont f;
  f.number = number;
  switch (number) {
    case kFontTitle: f.size = 120; f.style = kFontBold; break;
    case kFontHeading: f.size = 100; break;
    case kFontNote: f.size = 100; f.style = kFontItalic; break;
    case kFontSubheading: f.size = 100; f.style = kFontBold; break;
    case kFontColumnHeading: f.size = 100; f.style = kFontBold; break;
    case kFontFormCondensed: f.size = 85; break;
    default: f.size = 100; break;
  }
  return f;
}

int PaperLines(const TagRepInfo& info) {
  const int lpi = info.linesPerInch > 0 ? info.linesPerInch : 6;
  const double height = info.landscape ? 8.5 : 11.0;
  double top = info.marginTop / 100.0, bottom = info.marginBottom / 100.0;
  if (info.marginLeft == 0 && info.marginTop == 0 && info.marginRight == 0 && info.marginBottom == 0)
    top = bottom = info.reportPage ? 0.5 : 0.0;
  const int lines = static_cast<int>(std::floor((height - top - bottom) * lpi + 1e-9));
  return std::max(lines, 10);
}

// What the renderers need of the run's settings, taken when it is rendered
// (reports set some of them after ReportOpen).
void TakeSettings(const TagRepInfo& info, qxreport::Document& doc) {
  qxreport::Settings& s = doc.settings;
  s.reportPage = info.reportPage != 0;
  s.condensed = info.condensed != 0;
  s.landscape = info.landscape != 0;
  s.linesPerInch = info.linesPerInch > 0 ? info.linesPerInch : 6;
  s.marginLeft = info.marginLeft;
  s.marginTop = info.marginTop;
  s.marginRight = info.marginRight;
  s.marginBottom = info.marginBottom;
  s.lineWidth = info.lineWidth > 0 ? std::min(info.lineWidth, 1000) : 0;
  s.copies = info.copies > 0 ? info.copies : 1;
  s.firstPage = std::max(info.firstPage, 0);
  s.lastPage = std::max(info.lastPage, 0);
  s.printerName = Bounded(info.printerSettings.printerName, sizeof info.printerSettings.printerName);
  s.alignmentCallback = info.alignmentCallback;
  s.alignmentContext = info.alignmentContext;
  s.alignmentSample = info.alignmentSample == kAlignmentSample;
}

Page& CurrentPage(ReportRun& run) { return run.doc.pages.Last(); }

int LineIndex(const TagRepInfo& info) { return std::clamp(info.lineCount, 0, kMaxLine); }

Line& LineAt(ReportRun& run, int index) {
  Page& page = CurrentPage(run);
  if (static_cast<int>(page.lines.size()) <= index) page.lines.resize(static_cast<std::size_t>(index) + 1);
  return page.lines[static_cast<std::size_t>(index)];
}

void StartNewPage(ReportRun& run, TagRepInfo& info) {
  if (!CurrentPage(run).Empty() && run.problem.empty()) {
    try {
      run.doc.pages.Next();
    } catch (const std::exception& e) {
      run.problem = e.what();
    }
  }
  info.lineCount = 0;
  run.openLine = -1;
  run.column = 0;
}

void Feed(ReportRun& run, TagRepInfo& info, int lineFeeds) {
  if (lineFeeds <= 0) return;
  info.lineCount = std::min(LineIndex(info) + std::min(lineFeeds, kMaxLine), kMaxLine);
  run.openLine = -1;
  run.column = 0;
}

// True when the run takes no more lines (the user stopped it, or its pages
// could not be kept).
bool Stopped(const ReportRun& run) { return run.doc.stopped || !run.problem.empty(); }

// Places a cell on the current line.
void Put(ReportRun& run, TagRepInfo& info, Cell cell) {
  if (Stopped(run)) return;
  if (info.autoPageBreak && info.pageLength > 0 && LineIndex(info) >= info.pageLength && run.openLine != LineIndex(info))
    StartNewPage(run, info);
  const int index = LineIndex(info);
  if (run.openLine != index) {
    run.openLine = index;
    run.column = 0;
  }
  cell.font = info.font.number;
  if (cell.place == Place::kAt)
    run.column = std::max(run.column, cell.x + (cell.field > 0 ? cell.field : static_cast<int>(cell.text.size())));
  LineAt(run, index).cells.push_back(std::move(cell));
}

int LinkIndex(ReportRun& run, const TagDrillDownInfo* link) {
  if (!link) return -1;
  if (link->kind != kDrillOpenScreen && link->kind != kDrillRunReport) return -1;
  // A link to a screen that is not part of this system would only say so:
  // its cell is printed as plain text.
  if (link->commandId == 0 || CommandIsOutsideSystem(link->commandId)) return -1;
  qxreport::Link l;
  l.kind = link->kind;
  l.commandId = link->commandId;
  l.params = Bounded(link->params, sizeof link->params);
  l.title = Bounded(reinterpret_cast<const char*>(link->writerData), sizeof link->writerData);
  return CurrentPage(run).AddLink(l);
}

void MarkStopped(ReportRun& run, TagRepInfo* info) {
  if (run.doc.stopped) return;
  if (info) {
    info->userBreak = 1;
    // The notice goes on a line of its own after what was written.
    if (run.openLine == LineIndex(*info)) Feed(run, *info, 1);
    Cell cell;
    cell.place = Place::kCentre;
    cell.text = kStoppedLine;
    const TagRepFont kept = info->font;
    info->font = FontOf(kFontNote);
    Put(run, *info, cell);
    info->font = kept;
    Feed(run, *info, 1);
  }
  run.doc.stopped = true;
}

// Where the report is shown on pages of fixed width (the preview, the
// printer, a text file, a form), a number too wide for its column shows as
// '*': a line after the last one says so, so that the reader knows to look.
// An HTML file of report pages shows every number whole.
void NoteOverflowing(ReportRun& run, TagRepInfo& info) {
  if (run.doc.overflowing == 0 || Stopped(run)) return;
  if (info.destination == kDestHtmlFile && info.reportPage) return;
  if (run.openLine == LineIndex(info)) Feed(run, info, 1);
  Feed(run, info, 1);
  Cell cell;
  const int n = run.doc.overflowing;
  cell.text = "* " + std::to_string(n) +
              (n == 1 ? " amount is too wide for its column and shows as ****; the report written to an HTML file"
                        " shows it whole."
                      : " amounts are too wide for their columns and show as ****; the report written to an HTML"
                        " file shows them whole.");
  const TagRepFont kept = info.font;
  info.font = FontOf(kFontNote);
  Put(run, info, cell);
  info.font = kept;
  Feed(run, info, 1);
}

void CloseProgress(ReportRun& run) {
  if (run.progress) WaitWindowClose(run.progress);
  run.progress = 0;
}

void StepProgress(ReportRun& run, const TagRepInfo& info) {
  if (!info.showProgress || info.quiet) return;
  const auto now = std::chrono::steady_clock::now();
  if (!run.progress) {
    const std::string text = "Preparing the report \"" + run.doc.title + "\"...\nPress Esc to stop it.";
    run.progress = WaitWindowOpen(text.c_str());
    run.lastStep = now;
    return;
  }
  // The turning mark redraws the screen: often enough to show that the
  // report runs, seldom enough not to slow it.
  if (now - run.lastStep >= std::chrono::milliseconds(100)) {
    run.lastStep = now;
    WaitWindowStep(run.progress);
  }
}

// Looks at the keys the user typed, without waiting: true when Esc is among
// them.  A closed window does not stop a report (see report.h).
bool EscPressed() {
  static auto lastPoll = std::chrono::steady_clock::time_point{};
  if (!ScreenIsScripted()) {
    // The terminal is asked at most every 20 ms: a report checks once per record.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPoll < std::chrono::milliseconds(20)) return false;
    lastPoll = now;
  }
  for (int i = 0; i < 32; ++i) {
    const KeyCode key = KeyPoll();
    if (key == 0 || key == kKeyClose) return false;
    if (key == kKeyEsc) return true;
  }
  return false;
}

int BreakCheck(ReportRun* run, TagRepInfo* info, int* key) {
  // A run whose pages cannot be kept is ended like a stopped one: the
  // report need not read on for nothing.
  if (run && Stopped(*run)) {
    if (key) *key = kKeyEsc;
    return 1;
  }
  if (run && info) StepProgress(*run, *info);
  if (!EscPressed()) return 0;
  if (key) *key = kKeyEsc;
  if (run) MarkStopped(*run, info);
  return 1;
}

const char* DestinationName(const TagRepInfo& info) {
  switch (info.destination) {
    case kDestPrinter: return "printer";
    case kDestTextFile:
    case kDestHtmlFile:
    case kDestHtmlPerAccount: return nullptr;
    default: return "preview";
  }
}

bool IsFileDestination(int destination) {
  return destination == kDestTextFile || destination == kDestHtmlFile || destination == kDestHtmlPerAccount;
}

bool TakesLinks(int destination) {
  return destination == kDestPreview || destination == kDestHtmlFile || destination == kDestHtmlPerAccount;
}

// A run that names no destination of its own, in a command whose command
// line names the file of its reports: that file (or its next numbered
// name), marked as the run's own.  False after a message when the name is
// too long for the run.
// True when relative `name` climbs out of the folder it is taken in.
bool LeavesStartFolder(const std::string& name) {
  const std::filesystem::path file(name);
  if (!file.is_relative()) return false;
  const std::filesystem::path inside = file.lexically_normal();
  return !inside.empty() && *inside.begin() == "..";
}

bool TakeCommandOutput(TagRepInfo* info) {
  if (info->destinationGiven || CommandOutput().empty()) return true;
  const int n = ++CommandOutputRuns();
  const std::string path = n == 1 ? CommandOutput() : WithSuffix(CommandOutput(), std::to_string(n));
  // A relative name is taken in the folder the program was started in and
  // may not leave it, as an output a parameter string names may not.
  const char* why = path.size() >= sizeof info->filePath ? "its name is too long."
                    : LeavesStartFolder(path)            ? "it lies outside the folder the program was started in."
                                                         : nullptr;
  if (why != nullptr) {
    const std::string text = "The report \"" + Bounded(info->title, sizeof info->title) +
                             "\" cannot be written to the file\n" + path + "\n" + why;
    MsgBoxShowStyle(0, text.c_str(), "Report", kMsgStyleError, 0);
    return false;
  }
  std::memcpy(info->filePath, path.c_str(), path.size() + 1);
  info->destinationGiven = 1;
  info->destination = IsHtmlName(path) ? kDestHtmlFile : kDestTextFile;
  info->quiet = 1;
  return true;
}

void Forget(ReportRun* run) {
  auto& runs = Runs();
  runs.erase(std::remove(runs.begin(), runs.end(), run), runs.end());
  delete run;
}

}  // namespace

// --- Opening and closing -----------------------------------------------------------

int ReportOpen(TagRepInfo* info, const char* title) {
  if (!info) return 0;
  return Guarded(
      [&]() -> int {
        if (title) {
          std::strncpy(info->title, title, sizeof info->title - 1);
          info->title[sizeof info->title - 1] = 0;
        }
        if (!TakeCommandOutput(info)) {
          CommandNotDone();
          return 0;
        }
        int destination = info->destinationGiven ? static_cast<int>(info->destination) : static_cast<int>(kDestPreview);
        if (destination == kDestHtmlPerAccount) destination = kDestHtmlFile;
        if (destination < kDestPreview || destination > kDestHtmlFile) destination = kDestPreview;
        if (destination == kDestHtmlFile && info->perAccount) destination = kDestHtmlPerAccount;
        info->destination = static_cast<std::uint8_t>(destination);
        std::string path;
        if (IsFileDestination(destination)) {
          info->fileKind = static_cast<std::uint8_t>(destination == kDestTextFile ? kDestTextFile : kDestHtmlFile);
          path = OutputPath(*info);
          if (destination == kDestHtmlPerAccount) {
            const std::string account = Bounded(info->recipient, sizeof info->recipient);
            // Before the first account: a new run of accounts, whose own run
            // holds none and writes no file.
            if (account.empty()) AccountNames().clear();
            else path = qxreport::AccountFilePath(path, account, &AccountNames());
          }
          const std::string problem = qxreport::CheckWritable(path);
          if (!problem.empty()) {
            const std::string text = "The report \"" + Bounded(info->title, sizeof info->title) +
                                     "\" cannot be written to the file\n" + path + "\n" + problem + ".";
            MsgBoxShowStyle(0, text.c_str(), "Report", kMsgStyleError, 0);
            CommandNotDone();
            return 0;
          }
        }
        if (info->linesPerInch == 0) info->linesPerInch = 6;
        if (info->copies <= 0) info->copies = 1;
        if (info->pageLength <= 0) info->pageLength = PaperLines(*info);
        if (info->font.size == 0) info->font = FontOf(info->font.number);
        info->links = TakesLinks(destination) ? 1 : 0;
        info->markBlanksVisibly = 0;
        info->userBreak = 0;
        info->lineCount = 0;

        auto* run = new ReportRun;
        run->doc.title = Bounded(info->title, sizeof info->title);
        run->doc.runDate = DateToday();
        run->owner = info;
        run->path = path;
        Runs().push_back(run);
        info->run = run;

        const char* where = DestinationName(*info);
        std::string note = run->doc.title + " -> " + (where ? where : path);
        if (destination == kDestHtmlPerAccount && info->recipient[0] == '\0') note += " (a file per account)";
        TranscriptNote("report", note.c_str());
        return 1;
      },
      0);
}

const std::vector<std::string>& ReportFilesWritten() { return WrittenFiles(); }

int ReportOutputSet(const char* path) {
  CommandOutput() = path ? path : "";
  CommandOutputRuns() = 0;
  return 0;
}

int AgingRecordTest(TagRepInfo* info, const char* account) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  return Guarded(
      [&]() -> int {
        const std::string code = account ? Bounded(account, 255) : "";
        if (info->destination == kDestHtmlPerAccount) {
          std::snprintf(info->recipient, sizeof info->recipient, "%s", code.c_str());
          return 1;
        }
        // Everywhere else the account's pages are marked; an account that
        // printed nothing gives its place to the next.
        std::vector<qxreport::AccountPart>& parts = run->doc.parts;
        const std::size_t first = run->doc.pages.Size() - 1;
        if (!parts.empty() && parts.back().firstPage == first) parts.pop_back();
        parts.push_back({first, code});
        return 0;
      },
      0);
}

int ReportClose(TagRepInfo* info) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  const int result = Guarded([&]() -> int {
    CloseProgress(*run);
    TakeSettings(*info, run->doc);
    if (info->discard) {
      run->delivering = true;
      return 0;
    }
    NoteOverflowing(*run, *info);
    run->delivering = true;
    const qxreport::Document& doc = run->doc;
    if (!run->problem.empty()) {
      const std::string text = "The report \"" + doc.title + "\" could not be prepared:\n" + run->problem + ".";
      MsgBoxShowStyle(0, text.c_str(), "Report", kMsgStyleError, 0);
      CommandNotDone();
      return -1;
    }
    switch (info->destination) {
      case kDestTextFile:
      case kDestHtmlFile:
      case kDestHtmlPerAccount: {
        // A run of accounts that holds none is no account's report.
        if (info->destination == kDestHtmlPerAccount && doc.Empty()) return 0;
        const std::string& path = run->path;
        const std::string problem = WriteReportFile(doc, path, info->destination != kDestTextFile, 0, SIZE_MAX);
        if (!problem.empty()) {
          const std::string text = "The report \"" + doc.title + "\" could not be written to the file\n" + path +
                                   "\n" + problem + ".";
          MsgBoxShowStyle(0, text.c_str(), "Report", kMsgStyleError, 0);
          CommandNotDone();
          return -1;
        }
        return 0;
      }
      case kDestPrinter: {
        if (doc.Empty()) return 0;
        const std::string problem = qxreport::PrintDocument(doc);
        if (!problem.empty()) {
          const std::string text =
              qxsys::PrintFailureText("The report \"" + doc.title + "\" could not be printed", problem);
          MsgBoxShowStyle(0, text.c_str(), "Report", kMsgStyleError, 0);
          CommandNotDone();
          return -1;
        }
        TranscriptNote("report", "sent to the printer");
        return 0;
      }
      default:
        if (!doc.Empty()) qxreport::RunPreview(doc);
        return 0;
    }
  });
  Forget(run);
  info->run = nullptr;
  return result;
}

int ReportTestMode(const TagRepInfo* info, int mode) {
  if (!RunOf(info)) return 0;
  const int d = info->destination;
  switch (mode) {
    case 1: return d == kDestPreview ? 1 : 0;
    case 2: return d == kDestPrinter ? 1 : 0;
    case 4: return TakesLinks(d) ? 1 : 0;
    default: return 0;
  }
}

int ReportTestReady(const TagRepInfo* info) {
  const ReportRun* run = RunOf(info);
  if (!run) return 1;
  return Stopped(*run) ? 27 : 0;
}

namespace {

int SaveRun(TagRepInfo* info, std::uint8_t kind, std::uint16_t command, const char* params, std::size_t capacity,
            const char* words, std::size_t wordsCapacity) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  return Guarded([&] {
    if (command == 0) return 0;
    qxreport::Link l;
    l.kind = kind == kDrillOpenScreen ? kDrillOpenScreen : kDrillRunReport;
    l.commandId = command;
    l.params = Bounded(params, capacity);
    l.title = Bounded(words, wordsCapacity);
    run->doc.savedRun = l;
    return 0;
  });
}

}  // namespace

int ReportWriteSelParams(TagRepInfo* info, const TagSavedRunInfo* savedRun) {
  if (!savedRun) return 0;
  return SaveRun(info, savedRun->kind, savedRun->commandId, savedRun->params, sizeof savedRun->params,
                 savedRun->words, sizeof savedRun->words);
}

int ReportWriteSelParams(TagRepInfo* info, const TagDrillDownInfo* savedRun) {
  if (!savedRun) return 0;
  return SaveRun(info, savedRun->kind, savedRun->commandId, savedRun->params, sizeof savedRun->params,
                 reinterpret_cast<const char*>(savedRun->writerData), sizeof savedRun->writerData);
}

// --- Pages and lines ------------------------------------------------------------------

int ReportPageStart(TagRepInfo* info, int pageNumber, int /*mode*/) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  return Guarded([&] {
    StartNewPage(*run, *info);
    if (pageNumber > 0) CurrentPage(*run).number = pageNumber;
    return 0;
  });
}

int ReportNewPage(TagRepInfo* info) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  return Guarded([&] {
    StartNewPage(*run, *info);
    return 0;
  });
}

int ReportSkipLines(TagRepInfo* info, int count) {
  ReportRun* run = RunOf(info);
  if (!run || count <= 0 || Stopped(*run)) return 0;
  Feed(*run, *info, count);
  return 0;
}

int ReportWriteText(TagRepInfo* info, const char* text, int x, int lineFeeds) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  return Guarded([&] {
    if (Stopped(*run)) return 0;
    if (text && *text) {
      Cell cell;
      cell.text = Bounded(text, 4096);
      switch (x) {
        case -1:
          cell.x = run->openLine == LineIndex(*info) ? run->column : 0;
          break;
        case -2: cell.x = 0; break;
        case -3: cell.place = Place::kRight; break;
        case -4: cell.place = Place::kCentre; break;
        case -5: cell.place = Place::kLeftHalf; break;
        case -6: cell.place = Place::kRightHalf; break;
        default: cell.x = std::clamp(x, 0, 1000); break;
      }
      Put(*run, *info, std::move(cell));
    }
    Feed(*run, *info, lineFeeds);
    return 0;
  });
}

int ReportWriteColumns(TagRepInfo* info, const TagReportColumn* table, int lineFeeds) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  if (!table) return -1;
  return Guarded([&] {
    if (Stopped(*run)) return 0;
    for (const TagReportColumn* c = table; c->kind != kColumnEnd; ++c) {
      if (c->hidden) continue;
      qxreport::CellText value = qxreport::ColumnCell(*c);
      Cell cell;
      cell.x = c->x;
      cell.field = value.field;
      cell.flushLeft = value.flushLeft;
      cell.text = std::move(value.text);
      cell.link = LinkIndex(*run, c->link);
      if (cell.field > 0 && !Stopped(*run)) {
        run->doc.widening.Add(cell.x, cell.field, cell.flushLeft, static_cast<int>(cell.text.size()));
        ++run->doc.overflowing;
      }
      Put(*run, *info, std::move(cell));
    }
    Feed(*run, *info, lineFeeds);
    return 0;
  });
}

int ReportWriteRule(TagRepInfo* info, const TagReportColumn* table, int lineFeeds, int fill) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  if (!table) return -1;
  return Guarded([&] {
    if (Stopped(*run)) return 0;
    const char ch = fill > ' ' && fill < 256 ? static_cast<char>(fill) : '-';
    for (const TagReportColumn* c = table; c->kind != kColumnEnd; ++c) {
      if (c->hidden) continue;
      const int width = qxreport::ColumnFieldWidth(*c, qxreport::FormatColumnValue(*c));
      if (width <= 0) continue;
      Cell cell;
      cell.x = c->x;
      cell.text.assign(static_cast<std::size_t>(width), ch);
      Put(*run, *info, std::move(cell));
    }
    Feed(*run, *info, lineFeeds);
    return 0;
  });
}

// --- Fonts and blocks ---------------------------------------------------------------

int ReportSetFont(TagRepInfo* info, int fontNumber) {
  if (!RunOf(info)) return 0;
  info->font = FontOf(fontNumber);
  return 0;
}

int ReportSetFont(TagRepInfo* info, const TagRepFont* font) {
  if (!RunOf(info) || !font) return 0;
  info->font = *font;
  return 0;
}

int ReportBlockBegin(TagRepInfo* info, int kind) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  return Guarded([&] {
    run->blocks.push_back({LineIndex(*info), info->font});
    info->font = FontOf(kind);
    return 0;
  });
}

int ReportBlockEnd(TagRepInfo* info) {
  ReportRun* run = RunOf(info);
  if (!run || run->blocks.empty()) return 0;
  const ReportRun::Block block = run->blocks.back();
  run->blocks.pop_back();
  info->font = block.fontBefore;
  const int line = LineIndex(*info);
  const int used = line - block.startLine + (run->openLine == line ? 1 : 0);
  return std::max(used, 0);
}

// --- Column layouts -------------------------------------------------------------------

namespace {

std::vector<qxreport::ColumnStop> Stops(const TagReportColumn* table) {
  std::vector<qxreport::ColumnStop> stops;
  for (const TagReportColumn* c = table; c && c->kind != kColumnEnd && stops.size() < 256; ++c)
    stops.push_back({c->x, qxreport::ColumnFieldWidth(*c, qxreport::FormatColumnValue(*c))});
  std::sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.x < b.x; });
  return stops;
}

}  // namespace

int ReportColumnsActive(const TagRepInfo* info) {
  if (!RunOf(info)) return 0;
  return TakesLinks(info->destination) ? 1 : 0;
}

int ReportSetColumnLayout(TagRepInfo* info, const TagReportColumn* table, int /*kind*/) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  return Guarded([&] {
    CurrentPage(*run).layout = Stops(table);
    return 0;
  });
}

int ReportSetHeadingEnd(TagRepInfo* info, int line) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  CurrentPage(*run).headingEnd = std::clamp(line, 0, kMaxLine);
  return 0;
}

int ReportSelectionSet(TagRepInfo* info, const TagReportColumn* table) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  return Guarded([&] {
    run->doc.layout = Stops(table);
    return 0;
  });
}

int ReportSelectionSet(const TagReportColumn* table) {
  ReportRun* run = CurrentRun();
  if (!run) return 0;
  return Guarded([&] {
    run->doc.layout = Stops(table);
    return 0;
  });
}

// --- Mail-merge lines -----------------------------------------------------------------

int MergeRecordWrite(TagRepInfo* info, const char* line) {
  ReportRun* run = RunOf(info);
  if (!run) return 0;
  return Guarded([&] {
    if (Stopped(*run)) return 0;
    std::string text = Bounded(line, 4096);
    for (char& c : text)
      if (static_cast<unsigned char>(c) == 0xFF || static_cast<unsigned char>(c) == 0xB7) c = ' ';
    if (text.find_first_not_of(' ') != std::string::npos) {
      const int index = LineIndex(*info);
      Line& target = LineAt(*run, index);
      Cell cell;
      cell.text = std::move(text);
      cell.font = info->font.number;
      // Under the columns already placed: they were merged into this line.
      target.cells.insert(target.cells.begin(), std::move(cell));
      run->openLine = index;
    }
    Feed(*run, *info, 1);
    return 0;
  });
}

int Report1096Title(TagRepInfo* info, const char* title, int copies) {
  if (!info) return 0;
  if (title) {
    std::strncpy(info->title, title, sizeof info->title - 1);
    info->title[sizeof info->title - 1] = 0;
    std::strncpy(info->printerSettings.title, title, sizeof info->printerSettings.title - 1);
    info->printerSettings.title[sizeof info->printerSettings.title - 1] = 0;
  }
  if (copies > 0) info->copies = copies;
  return 0;
}

// --- User break ---------------------------------------------------------------------

int ReportCheckUserBreak(TagRepInfo* info, int* lastKey) {
  ReportRun* run = RunOf(info);
  return Guarded([&] { return BreakCheck(run, run ? info : nullptr, lastKey); }, 0);
}

int CheckUserBreak(int* key) {
  ReportRun* run = CurrentRun();
  // The run's own TagRepInfo, unless the report has since copied another
  // run over it.
  TagRepInfo* info = run && run->owner && run->owner->run == run ? run->owner : nullptr;
  return Guarded([&] { return BreakCheck(run, info, key); }, 0);
}

// --- Forms of reports -------------------------------------------------------------------

int StandardReportCallback(Form* form, int event, int /*field*/) {
  if (!form) return 0;
  if (event == kFormEventStart || event == kFormEventFieldEnter) {
    if (Window* w = FormWindow(form)) WinShow(w, 1);
  }
  return 0;
}

// --- Text of a run ---------------------------------------------------------------------

std::string ReportText(const TagRepInfo* info, const char* pageSeparator) {
  ReportRun* run = RunOf(info);
  if (!run) return "";
  try {
    TakeSettings(*info, run->doc);
    return qxreport::RenderText(run->doc, pageSeparator);
  } catch (...) {
    return "";
  }
}

// --- Files of a run ----------------------------------------------------------------

namespace qxreport {

std::string PathInStartFolder(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  // A relative name ("aging.htm") means the folder the user started the
  // program in, not the program's own folder it has moved to since; before
  // the start folder is known, the current one.
  std::string folder = StartFolderGet();
  if (folder.empty()) {
    std::error_code ec;
    folder = std::filesystem::current_path(ec).string();
    if (ec) return path;
  }
  if (folder.back() != '/') folder += '/';
  return folder + path;
}

std::string AccountFilePath(const std::string& path, const std::string& account, std::vector<std::string>* taken) {
  std::string code = account;
  for (char& c : code) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (!(std::isalnum(u) && u < 0x80) && c != '-' && c != '_') c = '_';
  }
  const std::string base = code.empty() ? path : WithSuffix(path, code);
  std::string name = base;
  for (int n = 2; taken && std::find(taken->begin(), taken->end(), name) != taken->end(); ++n)
    name = WithSuffix(base, std::to_string(n));
  if (taken) taken->push_back(name);
  return name;
}

std::string WriteHtmlFile(const Document& doc, const std::string& path, std::size_t firstPage, std::size_t endPage) {
  return WriteReportFile(doc, path, true, firstPage, endPage);
}

}  // namespace qxreport
