// The preview: a viewer of a finished report on the screen library.
//
// One page at a time fills a window the size of the screen.  The user
// scrolls and pages, moves from link to link (Tab) and follows one (Enter or
// a click), searches, runs the report again from its saved run, prints it,
// saves it as an HTML file (one per account for a run of accounts), and
// closes the preview with Esc.  Under a key script the report's text is
// written to the transcript first, and the script's keys drive the viewer
// like any other loop.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "oemtext.h"
#include "qxsys/print_problems.h"
#include "ravadodo/dialogs.h"
#include "ravadodo/forms.h"
#include "ravadodo/keys.h"
#include "ravadodo/screen.h"
#include "ravadodo/window.h"
#include "report_model.h"

namespace qxreport {

namespace {

constexpr int kFileNameWidth = 200;  // the longest file name typed (the field scrolls)
constexpr unsigned char kMarkLink = 0x10;    // ► beside the line of the chosen link
constexpr unsigned char kMarkFound = 0xAF;   // » beside the line found by a search
constexpr unsigned char kMarkMoreRight = 0x1A;  // → at the right edge: the line goes on to the right
constexpr unsigned char kMarkMoreLeft = 0x1B;   // ← at the left edge: it began further left

// A link as it sits on the screen: a run of characters of one link.
struct LinkSpot {
  int line, start, end, link;  // end is one past the last character; link indexes the page's links
};

// A page as the viewer shows it: its lines rendered, the selection above
// the first page and the footer of a report page added, and the links on it.
struct ViewPage {
  Page page;
  std::vector<RenderedLine> lines;
  std::vector<int> source;  // the page's line of each view line; -1 for lines the viewer adds
  int headingEnd = 0;       // in view lines
  std::vector<ColumnStop> layout;
  std::vector<LinkSpot> spots;
};

int AcceptText(Form*, KeyCode) { return 1; }

// Asks for a line of text (at most `width` characters) in a small window;
// Enter and F10 take it, under the key label `action`.  False when left
// with Esc or empty.
bool PromptText(const char* title, const char* label, const char* action, int width, std::string* text) {
  TagFormField fields[2] = {};
  fields[0].number = 1;
  fields[0].row = 1;
  fields[0].column = 10;
  std::snprintf(fields[0].mask, sizeof fields[0].mask, "%%-%ds", width);
  fields[0].label = label;
  Form form{};
  Window window{};
  FormBegin(&form);
  if (!FormFieldsCreate(&form, fields, 1)) {
    FormEnd(&form);
    return false;
  }
  if (WinOpen(&window, ScreenRows() / 2 - 2, (ScreenCols() - 56) / 2, 4, 56, 1, 1, ' ', title) != 0) {
    FormEnd(&form);
    return false;
  }
  FormAttachWindow(&window, &form, 1);
  FieldSetText(&form, 1, text->c_str());
  FormOnKey(&form, kKeyEnter, AcceptText, action);
  FormOnKey(&form, kKeyF10, AcceptText, action);
  const int result = FormRun(&form, 0);
  if (result == 0) *text = FieldText(&form, 1);
  WinClose(&window, 1);
  FormEnd(&form);
  return result == 0 && !text->empty();
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(oem::ToUpper(static_cast<unsigned char>(c)));
  return s;
}

// The file name the preview offers for a report: its title in small
// letters, words joined by '-' ("Customer Statements" gives
// "customer-statements.htm").
std::string FileNameOf(const std::string& title) {
  std::string name;
  for (char c : title) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x80 && std::isalnum(u)) {
      name += static_cast<char>(std::tolower(u));
    } else if (!name.empty() && name.back() != '-') {
      name += '-';
    }
  }
  while (!name.empty() && name.back() == '-') name.pop_back();
  return (name.empty() ? std::string("report") : name) + ".htm";
}

class Viewer {
 public:
  // Only the page on the screen is kept; the others stay in the run's page
  // file and are read again when the user goes to them (or a search or a
  // link passes through them).
  explicit Viewer(const Document& doc) : doc_(doc) {
    width_ = doc_.Width();
    numbers_ = NumberPages(doc_);
    for (std::size_t i = 0; i < doc_.pages.Size(); ++i) {
      if (!doc_.pages.Holds(i)) continue;
      order_.push_back(i);
      anyLinks_ = anyLinks_ || doc_.pages.HasLinks(i);
    }
  }

  void Run() {
    if (order_.empty()) return;
    if (WinOpen(&window_, 0, 0, ScreenRows(), ScreenCols(), 1, 0, ' ', doc_.title.c_str()) != 0) return;
    std::string problem;
    try {
      view_ = Build(0);
      status_ = anyLinks_ ? "Tab chooses a link, Enter follows it" : "";
      for (;;) {
        Draw();
        const KeyCode key = KeyRead();
        if (key == kKeyEsc || key == kKeyClose) break;
        Handle(key);
      }
    } catch (const std::exception& e) {
      problem = e.what();
    }
    WinClose(&window_, 1);
    if (!problem.empty()) {
      const std::string text = "The report \"" + doc_.title + "\" cannot be shown any further:\n" + problem + ".";
      MsgBoxShowStyle(0, text.c_str(), "Report", kMsgStyleError, 0);
    }
    TranscriptNote("preview", "closed");
  }

 private:
  // --- Layout ---------------------------------------------------------------

  int PageTotal() const { return static_cast<int>(order_.size()); }

  // The view of the p-th page shown (from 0).
  ViewPage Build(int p) const {
    const std::size_t index = order_[static_cast<std::size_t>(p)];
    ViewPage view;
    view.page = doc_.pages.Read(index);
    const Page& page = view.page;
    int offset = 0;
    if (p == 0) {
      const std::string selection = SelectionLine(doc_);
      if (!selection.empty()) {
        view.lines.push_back({selection, std::vector<int>(selection.size(), -1)});
        view.lines.push_back({});
        view.source.push_back(-1);
        view.source.push_back(-1);
        offset = 2;
      }
    }
    std::size_t used = page.lines.size();
    while (used > 0 && page.lines[used - 1].cells.empty()) --used;
    for (std::size_t l = 0; l < used; ++l) {
      view.lines.push_back(RenderLine(page.lines[l], width_));
      view.source.push_back(static_cast<int>(l));
    }
    if (doc_.settings.reportPage) {
      const std::string footer = FooterLine(doc_, numbers_.number[index], numbers_.total, width_);
      view.lines.push_back({});
      view.lines.push_back({footer, std::vector<int>(footer.size(), -1)});
      view.source.push_back(-1);
      view.source.push_back(-1);
    }
    view.headingEnd = page.headingEnd > 0 ? page.headingEnd + offset : 0;
    view.layout = !page.layout.empty() ? page.layout : doc_.layout;
    FindSpots(view);
    return view;
  }

  static void FindSpots(ViewPage& view) {
    for (int l = 0; l < static_cast<int>(view.lines.size()); ++l) {
      const int src = view.source[static_cast<std::size_t>(l)];
      if (src < 0) continue;
      const Line& line = view.page.lines[static_cast<std::size_t>(src)];
      const RenderedLine& r = view.lines[static_cast<std::size_t>(l)];
      int start = -1, link = -1;
      auto flush = [&](int end) {
        if (link < 0) return;
        while (end > start && r.text[static_cast<std::size_t>(end - 1)] == ' ') --end;
        if (end > start) view.spots.push_back({l, start, end, link});
        link = -1;
      };
      for (int c = 0; c <= static_cast<int>(r.text.size()); ++c) {
        int here = -1;
        if (c < static_cast<int>(r.text.size())) {
          const int owner = r.owner[static_cast<std::size_t>(c)];
          if (owner >= 0) here = line.cells[static_cast<std::size_t>(owner)].link;
        }
        if (here == link) continue;
        flush(c);
        if (here >= 0) {
          if (r.text[static_cast<std::size_t>(c)] == ' ') continue;  // a link begins at its first letter
          start = c;
          link = here;
        }
      }
    }
  }

  // --- Geometry ---------------------------------------------------------------

  int BodyRows() const { return std::max(1, WinRows(&window_) - 3); }
  // The report's columns shown: the window less its frame and the two
  // columns of marks at the left; a report wider than that also gives up
  // the last column to the mark that says a line goes on to the right.
  int FullCols() const { return std::max(1, WinCols(&window_) - 4); }
  bool Wider() const { return width_ > FullCols(); }
  int TextCols() const { return Wider() ? std::max(1, FullCols() - 1) : FullCols(); }
  int LineCount() const { return static_cast<int>(view_.lines.size()); }
  int Frozen() const {
    if (top_ == 0) return 0;
    return std::min(view_.headingEnd, BodyRows() / 2);
  }
  int MaxTop() const { return std::max(0, LineCount() - BodyRows()); }
  int LineOfRow(int row) const { return row < Frozen() ? row : top_ + row; }

  void ShowLine(int line) {
    const int rows = BodyRows();
    const int heading = std::min(view_.headingEnd, rows / 2);
    if (line < rows && top_ == 0) return;
    if (line - top_ >= heading && line - top_ < rows && top_ > 0) return;
    top_ = std::clamp(line - std::max(heading, rows / 2), 0, MaxTop());
    if (top_ > 0 && line - top_ < heading) top_ = std::clamp(line - heading, 0, MaxTop());
  }

  void ShowColumns(int start, int end) {
    const int cols = TextCols();
    if (start < left_) left_ = start;
    else if (end > left_ + cols) left_ = std::max(0, std::min(start, end - cols));
  }

  // --- Drawing ----------------------------------------------------------------

  void Draw() {
    const int rows = BodyRows(), cols = WinCols(&window_) - 2, textCols = TextCols();
    std::string title = doc_.title + " - Page " + std::to_string(page_ + 1) + " of " + std::to_string(PageTotal());
    WinSetTitle(&window_, title.c_str());
    const LinkSpot* chosen = chosen_ >= 0 ? &view_.spots[static_cast<std::size_t>(chosen_)] : nullptr;
    for (int row = 0; row < rows; ++row) {
      std::string text(static_cast<std::size_t>(cols), ' ');
      const int line = LineOfRow(row);
      if (line >= 0 && line < LineCount()) {
        if (chosen && chosen->line == line) text[0] = static_cast<char>(kMarkLink);
        else if (foundPage_ == page_ && foundLine_ == line) text[0] = static_cast<char>(kMarkFound);
        const std::string& s = view_.lines[static_cast<std::size_t>(line)].text;
        if (left_ < static_cast<int>(s.size()))
          text.replace(2, static_cast<std::size_t>(std::min(textCols, static_cast<int>(s.size()) - left_)),
                       s, static_cast<std::size_t>(left_), static_cast<std::size_t>(textCols));
        // Columns beyond the window's edges are marked on each line that has them.
        if (static_cast<int>(s.size()) > left_ + textCols) text[static_cast<std::size_t>(cols - 1)] = static_cast<char>(kMarkMoreRight);
        if (left_ > 0 && s.find_first_not_of(' ') < static_cast<std::size_t>(left_)) text[1] = static_cast<char>(kMarkMoreLeft);
      }
      WinWriteAt(&window_, row + 1, 1, text.c_str());
    }
    const std::string legend = Legend(cols);
    WinWriteAt(&window_, rows + 1, 1, legend.c_str());
    std::string status = status_;
    if (chosen) status = DescribeLink(view_.page.links[static_cast<std::size_t>(chosen->link)]);
    WinStatusText(&window_, status.c_str());
  }

  // The key legend that fits `cols`: the keys a user needs most stay when
  // the screen is narrow (F1 lists them all).
  std::string Legend(int cols) const {
    struct Entry {
      const char* text;
      int rank;  // 0 is kept longest
    };
    // A page wider than the window names its sideways keys, close to the
    // front: the columns it hides are the first thing a reader misses.
    std::vector<Entry> entries = {{"PgDn/PgUp Page", 3}, {"Up/Down Scroll", 8}, {"Left/Right Sideways \x1A", 1},
                                  {"Tab Link", 2},       {"Enter Follow", 2},   {"F3 Find", 6},
                                  {"F6 Run again", 5},   {"F7 Print", 4},       {"F8 Save", 4},
                                  {"F1 Keys", 1},        {"Esc Close", 0}};
    if (!doc_.savedRun) entries.erase(entries.begin() + 6);
    if (!anyLinks_) entries.erase(entries.begin() + 3, entries.begin() + 5);
    if (!Wider()) entries.erase(entries.begin() + 2);
    auto join = [&](int maxRank) {
      std::string s;
      for (const Entry& e : entries)
        if (e.rank <= maxRank) s += (s.empty() ? "" : "  ") + std::string(e.text);
      return s;
    };
    std::string legend;
    for (int rank = 8; rank >= 0; --rank) {
      legend = join(rank);
      if (static_cast<int>(legend.size()) <= cols) break;
    }
    legend.resize(static_cast<std::size_t>(cols), ' ');
    return legend;
  }

  // --- Keys -------------------------------------------------------------------

  void Handle(KeyCode key) {
    status_.clear();
    switch (key) {
      case kKeyDown: top_ = std::min(top_ + 1, MaxTop()); break;
      case kKeyUp: top_ = std::max(top_ - 1, 0); break;
      case kKeyPgDn: GoPage(page_ + 1); break;
      case kKeyPgUp: GoPage(page_ - 1); break;
      case kKeyHome: top_ = 0; left_ = 0; break;
      case kKeyEnd: top_ = MaxTop(); break;
      case kKeyCtrlHome: GoPage(0); break;
      case kKeyCtrlEnd: GoPage(PageTotal() - 1); break;
      case kKeyRight: Sideways(1); break;
      case kKeyLeft: Sideways(-1); break;
      case kKeyTab: NextLink(1); break;
      case kKeyShiftTab: NextLink(-1); break;
      case kKeyEnter: Follow(); break;
      case kKeyMouse: Click(); break;
      case kKeyF3: case '/': Find(true); break;
      case kKeyShiftF3: case 'n': case 'N': Find(false); break;
      case kKeyF6: case 'r': case 'R': RunAgain(); break;
      case kKeyF7: case 'p': case 'P': Print(); break;
      case kKeyF8: case 's': case 'S': SaveAsHtml(); break;
      case kKeyF1: Keys(); break;
      default: break;
    }
  }

  // Shows the p-th page; `view` is its view when the caller has built it.
  void GoPage(int page, ViewPage* view = nullptr) {
    page = std::clamp(page, 0, PageTotal() - 1);
    if (page == page_) return;
    view_ = view ? std::move(*view) : Build(page);
    page_ = page;
    top_ = 0;
    chosen_ = -1;  // a chosen link belongs to the page it is on
  }

  void Sideways(int direction) {
    const std::vector<ColumnStop>& stops = view_.layout;
    const int maxLeft = std::max(0, width_ - TextCols());
    int target = left_ + 8 * direction;
    if (direction > 0) {
      for (const ColumnStop& s : stops)
        if (s.x > left_) {
          target = s.x;
          break;
        }
    } else {
      for (auto it = stops.rbegin(); it != stops.rend(); ++it)
        if (it->x < left_) {
          target = it->x;
          break;
        }
    }
    left_ = std::clamp(target, 0, maxLeft);
  }

  void Choose(int index) {
    chosen_ = index;
    const LinkSpot& s = view_.spots[static_cast<std::size_t>(index)];
    ShowLine(s.line);
    ShowColumns(s.start, s.end);
  }

  // Tab and Shift+Tab: the next link in the report's order, wrapping round
  // at its ends.  With none chosen, the first one from what is on the screen.
  void NextLink(int direction) {
    const int n = static_cast<int>(view_.spots.size());
    int index = -1;
    if (chosen_ >= 0) {
      index = chosen_ + direction;
    } else {
      const int firstLine = LineOfRow(0), lastLine = LineOfRow(BodyRows() - 1);
      for (int i = 0; i < n && index < 0; ++i) {
        const int j = direction > 0 ? i : n - 1 - i;
        const int line = view_.spots[static_cast<std::size_t>(j)].line;
        if (direction > 0 ? line >= firstLine : line < lastLine + 1) index = j;
      }
    }
    if (index >= 0 && index < n) {
      Choose(index);
      return;
    }
    // On to the pages that follow (or come before), and round to this one.
    for (int step = 1; anyLinks_ && step <= PageTotal(); ++step) {
      const int p = ((page_ + step * direction) % PageTotal() + PageTotal()) % PageTotal();
      if (!doc_.pages.HasLinks(order_[static_cast<std::size_t>(p)])) continue;
      if (p == page_) {
        if (view_.spots.empty()) continue;
        Choose(direction > 0 ? 0 : static_cast<int>(view_.spots.size()) - 1);
        return;
      }
      ViewPage view = Build(p);
      if (view.spots.empty()) continue;
      const int first = direction > 0 ? 0 : static_cast<int>(view.spots.size()) - 1;
      GoPage(p, &view);
      Choose(first);
      return;
    }
    status_ = "This report holds no links";
  }

  void Follow() {
    if (chosen_ < 0) {
      status_ = anyLinks_ ? "Tab chooses a link, Enter follows it" : "This report holds no links";
      return;
    }
    const Link link = view_.page.links[static_cast<std::size_t>(view_.spots[static_cast<std::size_t>(chosen_)].link)];
    TranscriptNote("preview", ("follows " + DescribeLink(link)).c_str());
    FollowLink(link);
  }

  void Click() {
    int row = 0, col = 0;
    KeyLastClick(&row, &col);
    // The window fills the screen from its top-left corner.
    const int bodyRow = row - 1, textCol = col - 3 + left_;
    if (bodyRow < 0 || bodyRow >= BodyRows()) return;
    const int line = LineOfRow(bodyRow);
    for (int i = 0; i < static_cast<int>(view_.spots.size()); ++i) {
      const LinkSpot& s = view_.spots[static_cast<std::size_t>(i)];
      if (s.line == line && textCol >= s.start && textCol < s.end) {
        chosen_ = i;
        Follow();
        return;
      }
    }
  }

  void Find(bool ask) {
    if (ask || search_.empty()) {
      std::string text = search_;
      if (!PromptText("Find in the report", "Find:", "Find", 40, &text)) return;
      search_ = text;
    }
    const std::string needle = Upper(search_);
    // From the line after the last one found (or the top of the screen),
    // page after page, round to the start of this one.
    int l = foundPage_ == page_ && foundLine_ >= 0 ? foundLine_ + 1 : LineOfRow(0);
    const int total = PageTotal();
    for (int step = 0; step <= total; ++step) {
      const int p = (page_ + step) % total;
      ViewPage other;
      if (p != page_) other = Build(p);
      const ViewPage& view = p == page_ ? view_ : other;
      for (; l < static_cast<int>(view.lines.size()); ++l) {
        const std::string& text = view.lines[static_cast<std::size_t>(l)].text;
        const std::size_t at = Upper(text).find(needle);
        if (at == std::string::npos) continue;
        const int line = l;
        if (p != page_) GoPage(p, &other);
        foundPage_ = p;
        foundLine_ = line;
        ShowLine(line);
        ShowColumns(static_cast<int>(at), static_cast<int>(at + needle.size()));
        status_ = "Found on page " + std::to_string(p + 1) + "  (Shift+F3 finds the next)";
        return;
      }
      l = 0;
    }
    foundPage_ = foundLine_ = -1;
    status_ = "\"" + search_ + "\" is not in the report";
  }

  void RunAgain() {
    if (!doc_.savedRun) {
      status_ = "This report cannot be run again from here";
      return;
    }
    TranscriptNote("preview", "runs the report again");
    FollowLink(*doc_.savedRun);
  }

  void Print() {
    const Settings& s = doc_.settings;
    const std::string where = s.printerName.empty() ? "the default printer" : "the printer " + s.printerName;
    const int count = PageTotal();
    const std::string question = "Print \"" + doc_.title + "\" (" + std::to_string(count) +
                                 (count == 1 ? " page" : " pages") + ") on " + where + "?";
    for (;;) {
      const bool alignment = s.alignmentCallback != nullptr;
      const int answer = MsgBoxAsk(question.c_str(), "Print", alignment ? "Print,Alignment test,Cancel" : "Print,Cancel", 1);
      if (alignment && answer == 2) {
        TagPrinterSettings settings;
        std::snprintf(settings.printerName, sizeof settings.printerName, "%s", s.printerName.c_str());
        std::snprintf(settings.title, sizeof settings.title, "%s", doc_.title.c_str());
        s.alignmentCallback(s.alignmentContext, &settings);
        continue;
      }
      if (answer != 1) return;
      break;
    }
    const std::string problem = PrintDocument(doc_);
    if (problem.empty()) {
      status_ = "The report was sent to the printer";
      TranscriptNote("preview", "printed");
    } else {
      const std::string text = qxsys::PrintFailureText("The report could not be printed", problem);
      MsgBoxShowStyle(0, text.c_str(), "Print", kMsgStyleError, 0);
    }
  }

  // F8: the report as an HTML file, in the folder the user started the
  // program in unless the name says otherwise.  A run of accounts gives
  // each account's pages a file of its own, named after the account.
  void SaveAsHtml() {
    std::string name = saveName_.empty() ? FileNameOf(doc_.title) : saveName_;
    if (!PromptText("Save the report as HTML", "File:", "Save", kFileNameWidth, &name)) return;
    name = oem::ToUtf8(name);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    if (name.empty()) return;
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find(".htm") == std::string::npos) name += ".htm";
    saveName_ = oem::FromUtf8(name);
    const std::string path = PathInStartFolder(name);
    std::string problem = CheckWritable(path), failed = path;
    std::vector<std::string> written;
    if (problem.empty() && doc_.parts.empty()) {
      problem = WriteHtmlFile(doc_, path);
      if (problem.empty()) written.push_back(path);
    } else if (problem.empty()) {
      std::vector<std::string> taken;
      for (std::size_t i = 0; i < doc_.parts.size() && problem.empty(); ++i) {
        const std::size_t end = i + 1 < doc_.parts.size() ? doc_.parts[i + 1].firstPage : doc_.pages.Size();
        const std::string file = AccountFilePath(path, doc_.parts[i].account, &taken);
        problem = WriteHtmlFile(doc_, file, doc_.parts[i].firstPage, end);
        if (problem.empty()) written.push_back(file);
        else failed = file;
      }
    }
    if (!problem.empty()) {
      const std::string text =
          "The report \"" + doc_.title + "\" could not be saved to the file\n" + oem::FromUtf8(failed) + "\n" + problem + ".";
      MsgBoxShowStyle(0, text.c_str(), "Save", kMsgStyleError, 0);
    }
    if (written.size() == 1) status_ = "Saved as " + oem::FromUtf8(written[0]);
    if (written.size() > 1)
      status_ = "Saved as " + std::to_string(written.size()) + " files, one per account: " + oem::FromUtf8(written[0]) +
                ", ...";
  }

  void Keys() {
    MsgBoxShow(
        "PgDn, PgUp        next and previous page\n"
        "Up, Down          scroll the page\n"
        "Left, Right       scroll sideways, column by column\n"
        "Home, End         top and bottom of the page\n"
        "Ctrl+Home, End    first and last page\n"
        "Tab, Shift+Tab    choose the next or previous link\n"
        "Enter, a click    follow the chosen link\n"
        "F3, Shift+F3      find a text, find it again\n"
        "F6                run the report again with the same selection\n"
        "F7                print the report\n"
        "F8                save the report as an HTML file (one per account\n"
        "                  for statements)\n"
        "Esc               close the preview",
        "Preview keys");
  }

  const Document& doc_;
  std::vector<std::size_t> order_;  // the pages shown: the document's pages that hold anything
  PageNumbers numbers_;
  bool anyLinks_ = false;
  ViewPage view_;  // the page on the screen
  Window window_{};
  int width_ = 80;
  int page_ = 0, top_ = 0, left_ = 0;
  int chosen_ = -1;  // the chosen link among view_.spots
  int foundPage_ = -1, foundLine_ = -1;
  std::string search_;
  std::string saveName_;  // the name the user saved as last (code page 437)
  std::string status_;
};

// The report's text in the transcript, page by page: one entry, written a
// page at a time, so that a report of any length takes the memory of a page.
void Transcribe(const Document& doc) {
  const int total = doc.PageCount();
  const std::string count = std::to_string(total);
  // The entry takes code page 437: the text is what PageText's UTF-8 reads
  // back as (the title as it stands, read as UTF-8), made page by page in
  // code page 437.  As TranscriptNote, the entry ends at a NUL.
  bool ended = false;
  auto more = [&ended](std::string_view piece) {
    if (ended) return;
    if (const std::size_t nul = piece.find('\0'); nul != std::string_view::npos) {
      piece = piece.substr(0, nul);
      ended = true;
    }
    TranscriptNoteMore(piece);
  };
  TranscriptNoteBegin("preview");
  more(oem::FromUtf8(doc.title + " (" + count + (total == 1 ? " page)\n" : " pages)\n")));
  RenderPagesCp437(doc, [&](int p, const std::string& page) {
    if (ended) return;
    more("--- page " + std::to_string(p) + " of " + count + " ---\n");
    more(PagesCp437RoundTrip(page));
  });
  more("--- end of report ---");
  TranscriptNoteEnd();
}

}  // namespace

void RunPreview(const Document& doc) {
  if (ScreenIsScripted()) Transcribe(doc);
  Viewer viewer(doc);
  viewer.Run();
}

}  // namespace qxreport
