// The preview: a viewer of a finished report on the screen library.
//
// One page at a time fills a window the size of the screen.  The user
// scrolls and pages, moves from link to link (Tab) and follows one (Enter or
// a click), searches, runs the report again from its saved run, prints it,
// and closes the preview with Esc.  Under a key script the report's text is
// written to the transcript first, and the script's keys drive the viewer
// like any other loop.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "oemtext.h"
#include "ravadodo/dialogs.h"
#include "ravadodo/forms.h"
#include "ravadodo/keys.h"
#include "ravadodo/screen.h"
#include "ravadodo/window.h"
#include "report_model.h"

namespace qxreport {

namespace {

constexpr unsigned char kMarkLink = 0x10;    // ► beside the line of the chosen link
constexpr unsigned char kMarkFound = 0xAF;   // » beside the line found by a search

struct ViewPage {
  std::vector<RenderedLine> lines;
  std::vector<const Line*> source;  // null for lines the viewer adds (selection, footer)
  int headingEnd = 0;               // in view lines
  const std::vector<ColumnStop>* layout = nullptr;
};

// A link as it sits on the screen: a run of characters of one link.
struct LinkSpot {
  int page, line, start, end, link;  // end is one past the last character
};

int AcceptText(Form*, KeyCode) { return 1; }

// Asks for a line of text in a small window.  False when left with Esc.
bool PromptText(const char* title, const char* label, std::string* text) {
  TagFormField fields[2] = {};
  fields[0].number = 1;
  fields[0].row = 1;
  fields[0].column = 10;
  std::snprintf(fields[0].mask, sizeof fields[0].mask, "%%-40s");
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
  FormOnKey(&form, kKeyEnter, AcceptText, "Find");
  FormOnKey(&form, kKeyF10, AcceptText, "Find");
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

class Viewer {
 public:
  explicit Viewer(const Document& doc) : doc_(doc) { Build(); }

  void Run() {
    if (pages_.empty()) return;
    if (WinOpen(&window_, 0, 0, ScreenRows(), ScreenCols(), 1, 0, ' ', doc_.title.c_str()) != 0) return;
    status_ = links_.empty() ? "" : "Tab chooses a link, Enter follows it";
    for (;;) {
      Draw();
      const KeyCode key = KeyRead();
      if (key == kKeyEsc || key == kKeyClose) break;
      Handle(key);
    }
    WinClose(&window_, 1);
    TranscriptNote("preview", "closed");
  }

 private:
  // --- Layout ---------------------------------------------------------------

  void Build() {
    width_ = doc_.Width();
    const PageNumbers numbers = NumberPages(doc_);
    for (std::size_t i = 0; i < doc_.pages.size(); ++i) {
      const Page& page = doc_.pages[i];
      if (page.Empty()) continue;
      ViewPage view;
      int offset = 0;
      if (pages_.empty()) {
        const std::string selection = SelectionLine(doc_);
        if (!selection.empty()) {
          view.lines.push_back({selection, std::vector<int>(selection.size(), -1)});
          view.lines.push_back({});
          view.source.push_back(nullptr);
          view.source.push_back(nullptr);
          offset = 2;
        }
      }
      std::size_t used = page.lines.size();
      while (used > 0 && page.lines[used - 1].cells.empty()) --used;
      for (std::size_t l = 0; l < used; ++l) {
        view.lines.push_back(RenderLine(page.lines[l], width_));
        view.source.push_back(&page.lines[l]);
      }
      if (doc_.settings.reportPage) {
        const std::string footer = FooterLine(doc_, numbers.number[i], numbers.total, width_);
        view.lines.push_back({});
        view.lines.push_back({footer, std::vector<int>(footer.size(), -1)});
        view.source.push_back(nullptr);
        view.source.push_back(nullptr);
      }
      view.headingEnd = page.headingEnd > 0 ? page.headingEnd + offset : 0;
      view.layout = !page.layout.empty() ? &page.layout : &doc_.layout;
      pages_.push_back(std::move(view));
    }
    for (int p = 0; p < static_cast<int>(pages_.size()); ++p) FindSpots(p);
  }

  void FindSpots(int p) {
    const ViewPage& view = pages_[static_cast<std::size_t>(p)];
    for (int l = 0; l < static_cast<int>(view.lines.size()); ++l) {
      const Line* src = view.source[static_cast<std::size_t>(l)];
      if (!src) continue;
      const RenderedLine& r = view.lines[static_cast<std::size_t>(l)];
      int start = -1, link = -1;
      auto flush = [&](int end) {
        if (link < 0) return;
        while (end > start && r.text[static_cast<std::size_t>(end - 1)] == ' ') --end;
        if (end > start) links_.push_back({p, l, start, end, link});
        link = -1;
      };
      for (int c = 0; c <= static_cast<int>(r.text.size()); ++c) {
        int here = -1;
        if (c < static_cast<int>(r.text.size())) {
          const int owner = r.owner[static_cast<std::size_t>(c)];
          if (owner >= 0) here = src->cells[static_cast<std::size_t>(owner)].link;
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
  int TextCols() const { return std::max(1, WinCols(&window_) - 4); }
  const ViewPage& View() const { return pages_[static_cast<std::size_t>(page_)]; }
  int LineCount() const { return static_cast<int>(View().lines.size()); }
  int Frozen() const {
    if (top_ == 0) return 0;
    return std::min(View().headingEnd, BodyRows() / 2);
  }
  int MaxTop() const { return std::max(0, LineCount() - BodyRows()); }
  int LineOfRow(int row) const { return row < Frozen() ? row : top_ + row; }

  void ShowLine(int line) {
    const int rows = BodyRows();
    const int heading = std::min(View().headingEnd, rows / 2);
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
    std::string title = doc_.title + " - Page " + std::to_string(page_ + 1) + " of " + std::to_string(pages_.size());
    WinSetTitle(&window_, title.c_str());
    const LinkSpot* chosen = chosen_ >= 0 ? &links_[static_cast<std::size_t>(chosen_)] : nullptr;
    for (int row = 0; row < rows; ++row) {
      std::string text(static_cast<std::size_t>(cols), ' ');
      const int line = LineOfRow(row);
      if (line >= 0 && line < LineCount()) {
        if (chosen && chosen->page == page_ && chosen->line == line) text[0] = static_cast<char>(kMarkLink);
        else if (foundPage_ == page_ && foundLine_ == line) text[0] = static_cast<char>(kMarkFound);
        const std::string& s = View().lines[static_cast<std::size_t>(line)].text;
        if (left_ < static_cast<int>(s.size()))
          text.replace(2, static_cast<std::size_t>(std::min(textCols, static_cast<int>(s.size()) - left_)),
                       s, static_cast<std::size_t>(left_), static_cast<std::size_t>(textCols));
      }
      WinWriteAt(&window_, row + 1, 1, text.c_str());
    }
    const std::string legend = Legend(cols);
    WinWriteAt(&window_, rows + 1, 1, legend.c_str());
    std::string status = status_;
    if (chosen) status = DescribeLink(doc_.links[static_cast<std::size_t>(chosen->link)]);
    WinStatusText(&window_, status.c_str());
  }

  // The key legend that fits `cols`: the keys a user needs most stay when
  // the screen is narrow (F1 lists them all).
  std::string Legend(int cols) const {
    struct Entry {
      const char* text;
      int rank;  // 0 is kept longest
    };
    std::vector<Entry> entries = {{"PgDn/PgUp Page", 3}, {"Up/Down Scroll", 8}, {"Tab Link", 2},
                                  {"Enter Follow", 2},   {"F3 Find", 6},        {"F6 Run again", 5},
                                  {"F7 Print", 4},       {"F1 Keys", 1},        {"Esc Close", 0}};
    if (!doc_.savedRun) entries.erase(entries.begin() + 5);
    if (links_.empty()) entries.erase(entries.begin() + 2, entries.begin() + 4);
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
      case kKeyCtrlEnd: GoPage(static_cast<int>(pages_.size()) - 1); break;
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
      case kKeyF1: Keys(); break;
      default: break;
    }
  }

  void GoPage(int page) {
    page = std::clamp(page, 0, static_cast<int>(pages_.size()) - 1);
    if (page != page_) top_ = 0;
    page_ = page;
  }

  void Sideways(int direction) {
    const std::vector<ColumnStop>& stops = *View().layout;
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
    const LinkSpot& s = links_[static_cast<std::size_t>(index)];
    GoPage(s.page);
    ShowLine(s.line);
    ShowColumns(s.start, s.end);
  }

  void NextLink(int direction) {
    if (links_.empty()) {
      status_ = "This report holds no links";
      return;
    }
    const int n = static_cast<int>(links_.size());
    if (chosen_ < 0 || links_[static_cast<std::size_t>(chosen_)].page != page_) {
      // Start from what is on the screen.
      const int firstLine = LineOfRow(0);
      int index = direction > 0 ? 0 : n - 1;
      for (int i = 0; i < n; ++i) {
        const int j = direction > 0 ? i : n - 1 - i;
        const LinkSpot& s = links_[static_cast<std::size_t>(j)];
        const bool after = s.page > page_ || (s.page == page_ && s.line >= firstLine);
        const bool before = s.page < page_ || (s.page == page_ && s.line < LineOfRow(BodyRows() - 1) + 1);
        if (direction > 0 ? after : before) {
          index = j;
          break;
        }
      }
      Choose(index);
      return;
    }
    Choose(((chosen_ + direction) % n + n) % n);
  }

  void Follow() {
    if (chosen_ < 0) {
      status_ = links_.empty() ? "This report holds no links" : "Tab chooses a link, Enter follows it";
      return;
    }
    const Link& link = doc_.links[static_cast<std::size_t>(links_[static_cast<std::size_t>(chosen_)].link)];
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
    for (int i = 0; i < static_cast<int>(links_.size()); ++i) {
      const LinkSpot& s = links_[static_cast<std::size_t>(i)];
      if (s.page == page_ && s.line == line && textCol >= s.start && textCol < s.end) {
        chosen_ = i;
        Follow();
        return;
      }
    }
  }

  void Find(bool ask) {
    if (ask || search_.empty()) {
      std::string text = search_;
      if (!PromptText("Find in the report", "Find:", &text)) return;
      search_ = text;
    }
    const std::string needle = Upper(search_);
    // From the line after the last one found (or the top of the screen).
    int p = page_, l = foundPage_ == page_ && foundLine_ >= 0 ? foundLine_ + 1 : LineOfRow(0);
    const int total = static_cast<int>(pages_.size());
    for (int step = 0; step <= total; ++step) {
      const ViewPage& view = pages_[static_cast<std::size_t>(p)];
      for (; l < static_cast<int>(view.lines.size()); ++l) {
        const std::string& text = view.lines[static_cast<std::size_t>(l)].text;
        const std::size_t at = Upper(text).find(needle);
        if (at == std::string::npos) continue;
        foundPage_ = p;
        foundLine_ = l;
        GoPage(p);
        ShowLine(l);
        ShowColumns(static_cast<int>(at), static_cast<int>(at + needle.size()));
        status_ = "Found on page " + std::to_string(p + 1) + "  (Shift+F3 finds the next)";
        return;
      }
      p = (p + 1) % total;
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
    const int count = doc_.PageCount();
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
      const std::string text = "The report could not be printed:\n" + problem + ".";
      MsgBoxShowStyle(0, text.c_str(), "Print", kMsgStyleError, 0);
    }
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
        "Esc               close the preview",
        "Preview keys");
  }

  const Document& doc_;
  std::vector<ViewPage> pages_;
  std::vector<LinkSpot> links_;
  Window window_{};
  int width_ = 80;
  int page_ = 0, top_ = 0, left_ = 0;
  int chosen_ = -1;
  int foundPage_ = -1, foundLine_ = -1;
  std::string search_;
  std::string status_;
};

// The report's text in the transcript, page by page.
void Transcribe(const Document& doc) {
  const std::vector<std::string> pages = RenderPages(doc);
  const std::string count = std::to_string(pages.size());
  std::string text = doc.title + " (" + count + (pages.size() == 1 ? " page)\n" : " pages)\n");
  for (std::size_t p = 0; p < pages.size(); ++p)
    text += "--- page " + std::to_string(p + 1) + " of " + count + " ---\n" + pages[p];
  text += "--- end of report ---";
  // TranscriptNote takes code page 437: the text goes back from UTF-8.
  TranscriptNote("preview", oem::FromUtf8(text).c_str());
}

}  // namespace

void RunPreview(const Document& doc) {
  if (ScreenIsScripted()) Transcribe(doc);
  Viewer viewer(doc);
  viewer.Run();
}

}  // namespace qxreport
