// The page model of a report run, and the pieces of the writer that work on
// it: the renderers (text, HTML, printer), the preview and link following.
//
// A run collects cells: a text at a position of a line of a page, with its
// font and link.  Positions given by code (centred, flush right, halves) are
// resolved only when the run is rendered, against the width of the whole
// report, so a title is centred over the widest line.  That is why a page is
// not rendered when it is complete: it goes to the run's temporary page file
// (PageStore), and the renderers read the pages back one at a time when the
// run is delivered, knowing the width and the page count.  Text is code page
// 437 throughout; the renderers convert at the edge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qxabase/report.h"

namespace qxreport {

// Where a cell's text starts.
enum class Place : std::uint8_t {
  kAt,         // at `x`
  kCentre,     // centred on the report width
  kLeftHalf,   // centred in the left half
  kRightHalf,  // centred in the right half
  kRight,      // ending in the last column
};

struct Cell {
  Place place = Place::kAt;
  int x = 0;
  std::string text;           // code page 437; blanks never erase what lies under them
  std::int32_t font = 0;      // ReportFontNumber
  int link = -1;              // index into its page's links, -1 none
  // A number wider than its column: the width of the column's field (0 for
  // any other cell), and whether the number keeps the field's start
  // (`flushLeft`) or its end.  `text` is then the number whole; a page of
  // fixed width shows the field filled with '*' (RenderLine), the HTML file
  // the number whole in a widened column (Widening).
  int field = 0;
  bool flushLeft = false;
};

struct Line {
  std::vector<Cell> cells;
};

// A column stop of a page's layout.
struct ColumnStop {
  int x = 0;
  int width = 0;
};

struct Link {
  std::uint8_t kind = 0;          // DrillDownKind
  std::uint16_t commandId = 0;
  std::string params;             // the target's parameter string (code page 437)
  // What it opens in words (code page 437): a cell link's title, a saved
  // run's selection; "" when the report gave none.
  std::string title;
  bool operator==(const Link&) const = default;
};

struct Page {
  std::vector<Line> lines;
  int number = 0;                 // the number shown in the footer
  int headingEnd = 0;             // the first line after the page heading; 0 none
  std::vector<ColumnStop> layout; // ReportSetColumnLayout; empty: the run's
  std::vector<Link> links;        // the links of the page's cells (Cell::link)
  bool Empty() const;
  // The rightmost print column the page's text reaches (a text placed by
  // code counts its length); 0 for an empty page.
  int Width() const;
  // The index of `link` in `links`, adding it when new.
  int AddLink(const Link& link);
};

// The pages of a run.  Only the page being written and up to 256 KiB of the
// pages before it are kept in memory: the others went to a temporary file of
// the run's own (in $TMPDIR, else /tmp; removed from its folder as soon as it
// is made, so that nothing is left behind however the program ends), so a
// report of any length takes the memory of about one page and 256 KiB.
// Pages are read back one at a time, as often as a renderer or the preview
// asks.  A temporary file that cannot be made, written or read throws
// std::runtime_error with the reason.
class PageStore {
 public:
  PageStore();
  ~PageStore();
  PageStore(const PageStore&) = delete;
  PageStore& operator=(const PageStore&) = delete;

  // The page being written; there is always one.
  Page& Last() { return last_; }
  const Page& Last() const { return last_; }
  // Keeps the last page and begins a new, empty one.
  void Next();
  // The pages, the last one included (at least 1).
  std::size_t Size() const { return kept_.size() + 1; }
  // What is known of page `i` without reading it: whether it holds
  // anything, the number the report gave it (0 none), whether a cell with
  // text carries a link.
  bool Holds(std::size_t i) const;
  int Number(std::size_t i) const;
  bool HasLinks(std::size_t i) const;
  // Page `i` as it was written.
  Page Read(std::size_t i) const;
  // The rightmost print column any page reaches.
  int Widest() const;

 private:
  struct Kept {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    int number = 0;
    bool holds = false;
    bool links = false;
  };
  std::vector<Kept> kept_;
  Page last_;
  int fd_ = -1;
  // Kept pages are written to the file in runs of about this many bytes:
  // one write for many pages.
  static constexpr std::size_t kPendingBytes = 256 * 1024;
  // Writes the pending pages at the end of the file.
  void Flush();
  std::uint64_t end_ = 0;      // the bytes of every kept page
  std::uint64_t written_ = 0;  // those in the file; the rest are pending_
  int widest_ = 0;
  std::string pending_;  // the serialized pages on their way to the file
};

// What the renderers and the printer need of the run's settings, taken at
// ReportClose (callers may set fields of TagRepInfo after ReportOpen).
struct Settings {
  bool reportPage = false;
  bool condensed = false;
  bool landscape = false;
  int linesPerInch = 6;
  int marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;  // hundredths of an inch
  int lineWidth = 0;
  int copies = 1;
  int firstPage = 0, lastPage = 0;
  std::string printerName;
  ReportAlignmentCallback alignmentCallback = nullptr;
  void* alignmentContext = nullptr;
  bool alignmentSample = false;
};

// Where an account's document begins in a run of one document per account.
struct AccountPart {
  std::size_t firstPage = 0;  // index of its first page
  std::string account;        // the account's code (code page 437)
};

// How the HTML file widens the columns of the numbers too wide for them:
// at each print column `x`, `extra` columns are put in, so that everything
// from there on moves right on every line of the report.  A number that
// keeps its field's end widens the field at its start, one that keeps its
// start at its end.
struct Widening {
  std::map<int, int> extra;  // print column -> columns put in there
  // Records a number of `length` characters in a field of `field` at `x`.
  void Add(int x, int field, bool flushLeft, int length);
  // The columns put in at or before `x` (`x` itself counted when `atX`).
  int Before(int x, bool atX) const;
  int Total() const;
};

// `line` as the HTML file lays it out: every cell moved right by what
// `widening` put in before it, and each number too wide for its column
// whole in its widened field.
Line WidenedLine(const Line& line, const Widening& widening);

struct Document {
  std::string title;
  std::int32_t runDate = 0;                 // day number of the run
  std::optional<Link> savedRun;
  PageStore pages;
  std::vector<ColumnStop> layout;           // ReportSelectionSet
  bool stopped = false;                     // the user stopped the run
  Settings settings;
  std::vector<AccountPart> parts;           // AgingRecordTest's marks, in page order
  Widening widening;                        // the numbers too wide for their columns
  int overflowing = 0;                      // how many there are

  // The report's width in print columns: the run's line width, or the
  // rightmost column written (at least 80).
  int Width() const;
  // Pages that hold anything (a last empty page is not counted).
  int PageCount() const;
  bool Empty() const;
};

// Calls `visit(index, page)` for each page of the document that holds
// anything, in order, reading one page at a time.
template <class Visit>
void ForEachPage(const Document& doc, Visit&& visit) {
  for (std::size_t i = 0; i < doc.pages.Size(); ++i) {
    if (!doc.pages.Holds(i)) continue;
    const Page page = doc.pages.Read(i);
    visit(i, page);
  }
}

// Where a renderer's output goes, piece by piece.
using Sink = std::function<void(std::string_view)>;

// The text of the saved run as a reader sees it: "Selection: " and the
// selection in words as the report gave them ("Sort by: Customer Code, from
// A to B; Aged by: Due Date"), or, from a report that gave none, its
// parameter string's pairs ("sortfld 'Customer Code'  type '1'"); "" when
// there is no saved run.
std::string SelectionLine(const Document& doc);

// One rendered line: its code-page-437 characters (trailing blanks removed)
// and, for each character, the cell it came from (-1 a blank of no cell).
// A number too wide for its column fills its field with '*'.
struct RenderedLine {
  std::string text;
  std::vector<int> owner;
};
RenderedLine RenderLine(const Line& line, int width);

// The numbers the footers show: for each page of the document its number
// (0 for a page that holds nothing), and how many pages hold anything.
// Pages count from 1; a page the report renumbered counts on from its own
// number.
struct PageNumbers {
  std::vector<int> number;
  int total = 0;
};
PageNumbers NumberPages(const Document& doc);

// The footer of a report page ("01/31/25 ... Page 1 of 2"), code page 437.
std::string FooterLine(const Document& doc, int number, int total, int width);

// --- Renderers ----------------------------------------------------------------------

// The text of one page as the printer gets it, in UTF-8: the selection line
// above the first page (`first`), the lines with trailing blanks removed, the
// footer of a report page with its number and the total.
std::string PageText(const Document& doc, const Page& page, bool first, int number, int total, int width);

// Hands the text of each page that holds anything to `page` (its number
// among them, from 1, and its text), one page at a time.
void RenderPages(const Document& doc, const std::function<void(int, const std::string&)>& page);
// The same, each page's text in code page 437 (before PageText converts it).
void RenderPagesCp437(const Document& doc, const std::function<void(int, const std::string&)>& page);
// Code-page-437 text as oem::FromUtf8(ToUtf8(text)) gives it back, made
// byte by byte.
std::string PagesCp437RoundTrip(const std::string& cp437);

// The document as UTF-8 text (see ReportText): the pages joined by
// `pageSeparator`, from `firstPage` to `lastPage` (1-based, inclusive; 0 =
// no limit), to `out` page by page, or as one string.
void RenderText(const Document& doc, const char* pageSeparator, int firstPage, int lastPage, const Sink& out);
std::string RenderText(const Document& doc, const char* pageSeparator, int firstPage = 0,
                       int lastPage = 0);

// The document as one self-contained HTML page (UTF-8), to `out` page by
// page, or as one string: its pages from index `firstPage` up to (not
// including) `endPage`.
void RenderHtml(const Document& doc, const Sink& out, std::size_t firstPage = 0, std::size_t endPage = SIZE_MAX);
std::string RenderHtml(const Document& doc);

// --- Files of a run ----------------------------------------------------------------

// The file of `account` in a run written to `path`: "-" and the account's
// code before the extension ("/x/statements.htm", "C100" gives
// "/x/statements-C100.htm"), the code's characters other than letters,
// digits, '-' and '_' made '_'.  A name `taken` holds already gets "-2",
// "-3" added; the name given is added to `taken`.
std::string AccountFilePath(const std::string& path, const std::string& account, std::vector<std::string>* taken);

// Writes the pages [firstPage, endPage) of the document as an HTML file at
// `path`, whole or not at all (AtomicFile); a written file is noted in the
// transcript and among the files written (ReportFilesWritten).  Returns ""
// or what went wrong.
std::string WriteHtmlFile(const Document& doc, const std::string& path, std::size_t firstPage = 0,
                          std::size_t endPage = SIZE_MAX);

// The folder the user started the program in, for a relative file name:
// `path` itself when absolute, else in StartFolderGet() (the current folder
// before it is known).
std::string PathInStartFolder(const std::string& path);

// A `qxa:` URL for a link: qxa:<command>?kind=<kind>&p=<the parameter string,
// percent-encoded UTF-8>, and &co=<the company folder, percent-encoded> when
// a company is open, so that the URL handler opens the books the report
// came from.
std::string LinkUrl(const Link& link);

// A file written whole or not at all: what is written goes to a temporary
// file beside `path`, which Commit renames into place; a file that was not
// committed is removed when the object goes, so a failure never leaves a
// half-written report where an earlier one was.  Open and Commit return ""
// or the reason ("No such file or directory"); a failed Write is reported
// by Commit.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  std::string Open();
  void Write(std::string_view data);
  std::string Commit();

 private:
  bool Flush();
  void Name();
  std::string path_, temp_;
  int fd_ = -1;
  bool unnamed_ = false;  // written as an unnamed file of the folder, named only when complete
  int error_ = 0;
  std::string buffer_;
};

// Checks that a file can be created at `path` (its folder exists and is
// writable).  Returns "" or the reason.
std::string CheckWritable(const std::string& path);

// --- Printing ---------------------------------------------------------------------------

// The margins the document prints with, in hundredths of an inch: the
// run's own, or, when all four are 0, half an inch on report pages and none
// on forms.
void Margins(const Settings& s, int* left, int* top, int* right, int* bottom);

// The pitch the document prints at, in characters an inch: the first of 10,
// 12, 15, 17 and 20 (17 and 20 when condensed) at which its width fits the
// paper between the margins.
int CharactersPerInch(const Document& doc);

// The command line that prints the document's text (program first).
std::vector<std::string> PrintCommand(const Document& doc);

// Prints the document through `lp` (no shell).  Returns "" or what went wrong.
std::string PrintDocument(const Document& doc);

// --- Preview and links ---------------------------------------------------------------

// Runs the preview of a finished document until the user closes it.
void RunPreview(const Document& doc);

// Follows a link or a saved run: runs its command with its parameter string
// (without any "output" pair) nested inside the command that runs now, and
// returns when it ends.  Shows a message and returns −1 when the link cannot
// be followed.
int FollowLink(const Link& link);

// The parameter string without its "output" pairs; nullopt when the string
// is not a well-formed parameter string.
std::optional<std::string> WithoutOutput(const std::string& params);

// Describes a link in words, for the preview's status line and the HTML
// title: its title ("Purchase history of customer C100"), else what its
// kind and command say ("Runs report 337", "Opens screen 121: cdno='C100'").
std::string DescribeLink(const Link& link);

// --- Text helpers ----------------------------------------------------------------------

// Code page 437 to UTF-8 for the edges: control bytes become the pictures the
// PC character set shows for them, so that no control character leaves.
std::string ToUtf8(const std::string& cp437);

}  // namespace qxreport
