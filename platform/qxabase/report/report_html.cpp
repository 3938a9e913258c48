// The HTML renderer: one self-contained UTF-8 page with its own CSS.
//
// Every report page is a <pre> block, one text line per report line, so that
// columns line up exactly as on paper; fonts change weight and colour only.
// A form page (preprinted stock) is instead a block of the paper's size in
// inches, each run of characters placed at its line and column as the
// printer places it, so that a browser printing at 100 % fills the boxes
// of the stock as `lp` does.
// Cells with a drill-down link are <a> elements whose qxa: URL carries the
// target command, the link kind and the parameter string.  The output is
// well-formed XML as well as HTML (every element closed, attributes quoted,
// no named entity but the XML ones), so strict parsers read it too.
#include <fcntl.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

#include "qxabase/app_block.h"
#include "ravadodo/text.h"
#include "report_model.h"

namespace qxreport {

namespace {

// The entity of a character HTML text escapes, else null.
const char* EntityOf(char c) {
  switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&#39;";
    default: return nullptr;
  }
}

// Appends UTF-8 text escaped for HTML (a report's pages are mostly plain
// characters: they go in runs).
void AppendEscaped(std::string& out, std::string_view utf8) {
  std::size_t from = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char* entity = EntityOf(utf8[i]);
    if (entity == nullptr) continue;
    out.append(utf8, from, i - from);
    out += entity;
    from = i + 1;
  }
  out.append(utf8, from, utf8.size() - from);
}

std::string Escape(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size() + 16);
  AppendEscaped(out, utf8);
  return out;
}

// Appends code-page-437 text as escaped UTF-8: each byte as ToUtf8 and
// Escape together make it, taken from a table made once.
void AppendEscapedCp437(std::string& out, std::string_view cp437) {
  static const auto table = [] {
    std::array<std::string, 256> t;
    for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = Escape(ToUtf8(std::string(1, static_cast<char>(c))));
    return t;
  }();
  std::size_t from = 0;
  for (std::size_t i = 0; i < cp437.size(); ++i) {
    const auto c = static_cast<unsigned char>(cp437[i]);
    // Printable ASCII other than the escaped characters stands for itself.
    if (c >= 0x20 && c < 0x7F && EntityOf(static_cast<char>(c)) == nullptr) continue;
    out.append(cp437, from, i - from);
    out += table[c];
    from = i + 1;
  }
  out.append(cp437, from, cp437.size() - from);
}

std::string EscapeCp437(const std::string& cp437) {
  std::string out;
  out.reserve(cp437.size() + 16);
  AppendEscapedCp437(out, cp437);
  return out;
}

const char* FontClass(std::int32_t font) {
  switch (font) {
    case kFontTitle: return "f8";
    case kFontHeading: return "f9";
    case kFontNote: return "f11";
    case kFontSubheading: return "f12";
    case kFontColumnHeading: return "f13";
    case kFontForm: return "f16";
    case kFontFormCondensed: return "f17";
    default: return nullptr;
  }
}

constexpr const char* kStyle = R"(
body { margin: 1.5em; background: #eceae4; color: #111; font-family: sans-serif; }
.run { margin: 0 0 1em 0; }
.run .title { font-size: 1.3em; font-weight: bold; }
.run .meta { color: #555; font-size: 0.9em; margin-top: 0.2em; }
.run .again { margin-top: 0.6em; }
.run .again a { font-weight: bold; }
.run .selection { color: #333; font-family: monospace; margin-left: 1em; }
.page { background: #fff; box-shadow: 0 1px 4px rgba(0,0,0,0.25); padding: 0.5in;
        margin: 0 0 1.5em 0; width: max-content; }
pre { margin: 0; font-family: "DejaVu Sans Mono", "Liberation Mono", "Courier New", monospace;
      font-size: 10pt; line-height: 1.25; }
a { color: #0b4f9c; text-decoration: none; }
a:hover { text-decoration: underline; background: #e4eefb; }
.f8 { font-weight: bold; color: #1d3557; }
.f9 { color: #2b2b2b; }
.f11 { font-style: italic; color: #8a1c1c; }
.f12 { font-weight: bold; }
.f13 { font-weight: bold; color: #1d3557; }
.foot { color: #666; }
.stopped { font-weight: bold; }
@media print {
  body { margin: 0; background: #fff; }
  .run .again { display: none; }
  .page { box-shadow: none; padding: 0; margin: 0; page-break-after: always; }
  .page:last-child { page-break-after: auto; }
}
)";

// Appends a link's anchor opening: its URL and its title.
void AppendAnchor(std::string& out, const Link& target) {
  out += "<a href=\"";
  AppendEscaped(out, LinkUrl(target));
  out += "\" title=\"";
  AppendEscapedCp437(out, DescribeLink(target));
  out += '"';
}

// One line as HTML, appended to `out`: runs of characters of one cell kind
// (font, link) in one element; a link's blanks at its ends stay outside its
// anchor.
void AppendLineHtml(std::string& out, const Page& page, const Line& line, int width) {
  const RenderedLine r = RenderLine(line, width);
  const std::string_view text(r.text);
  std::size_t i = 0;
  while (i < r.text.size()) {
    const int owner = r.owner[i];
    const Cell* cell = owner >= 0 ? &line.cells[static_cast<std::size_t>(owner)] : nullptr;
    const int link = cell ? cell->link : -1;
    const char* cls = cell ? FontClass(cell->font) : nullptr;
    std::size_t j = i + 1;
    while (j < r.text.size()) {
      const int o = r.owner[j];
      const Cell* c = o >= 0 ? &line.cells[static_cast<std::size_t>(o)] : nullptr;
      const bool sameLink = (c ? c->link : -1) == link;
      const char* cc = c ? FontClass(c->font) : nullptr;
      const bool sameFont = (cc == cls) || (cc && cls && std::strcmp(cc, cls) == 0);
      if (!sameLink || !sameFont) break;
      ++j;
    }
    const std::string_view run = text.substr(i, j - i);
    if (link >= 0 && link < static_cast<int>(page.links.size())) {
      const std::size_t b = run.find_first_not_of(' ');
      if (b == std::string_view::npos) {
        out += run;
      } else {
        const std::size_t e = run.find_last_not_of(' ');
        out += run.substr(0, b);
        AppendAnchor(out, page.links[static_cast<std::size_t>(link)]);
        if (cls) {
          out += " class=\"";
          out += cls;
          out += '"';
        }
        out += '>';
        AppendEscapedCp437(out, run.substr(b, e - b + 1));
        out += "</a>";
        out += run.substr(e + 1);
      }
    } else if (cls && run.find_first_not_of(' ') != std::string_view::npos) {
      out += "<span class=\"";
      out += cls;
      out += "\">";
      AppendEscapedCp437(out, run);
      out += "</span>";
    } else {
      AppendEscapedCp437(out, run);
    }
    i = j;
  }
}

// --- Form pages ----------------------------------------------------------------

// How a form page is laid out on the paper, in inches.
struct FormGeometry {
  double paperWidth = 8.5, paperHeight = 11.0;
  double left = 0, top = 0;  // the margins the printer leaves
  double column = 0.1;       // one character: 1 / pitch
  double line = 1.0 / 6;     // one line: 1 / lines per inch
};

FormGeometry GeometryOf(const Document& doc) {
  FormGeometry g;
  if (doc.settings.landscape) std::swap(g.paperWidth, g.paperHeight);
  int left = 0, top = 0, right = 0, bottom = 0;
  Margins(doc.settings, &left, &top, &right, &bottom);
  g.left = left / 100.0;
  g.top = top / 100.0;
  g.column = 1.0 / CharactersPerInch(doc);
  g.line = 1.0 / (doc.settings.linesPerInch > 0 ? doc.settings.linesPerInch : 6);
  return g;
}

std::string Inches(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4fin", value);
  return text;
}

// The style of a form's characters: a monospaced font whose advance (0.6 of
// its size in the fonts named) is one column, in a line box of one line.
std::string FormStyle(const FormGeometry& g) {
  char text[512];
  std::snprintf(text, sizeof text,
                ".form { position: relative; width: %.4fin; height: %.4fin; padding: 0; overflow: hidden; }\n"
                ".form .c { position: absolute; white-space: pre; font-size: %.3fpt; line-height: %.3fpt;\n"
                "  font-family: \"DejaVu Sans Mono\", \"Liberation Mono\", \"Courier New\", monospace; }\n",
                g.paperWidth, g.paperHeight, g.column * 72 / 0.6, g.line * 72);
  return std::string(text) +
         "@media print {\n  .run { display: none; }\n  .page.form { padding: 0; }\n}\n"
         "@page { margin: 0; }\n";
}

// One form page: every run of characters of one cell that holds no blank,
// placed at its line and column.
std::string FormPageHtml(const Page& page, int width, const FormGeometry& g) {
  std::string out;
  for (std::size_t l = 0; l < page.lines.size(); ++l) {
    const Line& line = page.lines[l];
    if (line.cells.empty()) continue;
    const RenderedLine r = RenderLine(line, width);
    std::size_t i = 0;
    while (i < r.text.size()) {
      if (r.text[i] == ' ') {
        ++i;
        continue;
      }
      const int owner = r.owner[i];
      std::size_t j = i + 1;
      while (j < r.text.size() && r.text[j] != ' ' && r.owner[j] == owner) ++j;
      const Cell* cell = owner >= 0 ? &line.cells[static_cast<std::size_t>(owner)] : nullptr;
      const char* cls = cell ? FontClass(cell->font) : nullptr;
      const std::string place = "left:" + Inches(g.left + static_cast<double>(i) * g.column) +
                                ";top:" + Inches(g.top + static_cast<double>(l) * g.line);
      const std::string text = EscapeCp437(r.text.substr(i, j - i));
      const std::string classes = std::string("c") + (cls ? std::string(" ") + cls : std::string());
      const int link = cell ? cell->link : -1;
      if (link >= 0 && link < static_cast<int>(page.links.size()))
        out += "<a class=\"" + classes + "\" style=\"" + place + "\" href=\"" +
               Escape(LinkUrl(page.links[static_cast<std::size_t>(link)])) + "\" title=\"" +
               EscapeCp437(DescribeLink(page.links[static_cast<std::size_t>(link)])) + "\">" + text + "</a>\n";
      else
        out += "<span class=\"" + classes + "\" style=\"" + place + "\">" + text + "</span>\n";
      i = j;
    }
  }
  return out;
}

void AppendPercentEncoded(std::string& out, std::string_view utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  for (unsigned char c : utf8) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
}

}  // namespace

std::string LinkUrl(const Link& link) {
  std::string url = "qxa:" + std::to_string(link.commandId) + "?kind=" + std::to_string(link.kind) + "&p=";
  AppendPercentEncoded(url, ToUtf8(link.params));
  const char* company = SharedAppBlockGet()->companyPath;
  if (company[0]) {
    // The folder's bytes, as the file system has them; every link of a run
    // names the same folder.
    static std::string folder, encoded;
    if (folder != company) {
      folder = company;
      encoded.clear();
      AppendPercentEncoded(encoded, folder);
    }
    url += "&co=";
    url += encoded;
  }
  return url;
}

void RenderHtml(const Document& doc, const Sink& sink, std::size_t firstPage, std::size_t endPage) {
  const bool form = !doc.settings.reportPage;
  // Report pages show every number whole: a column too narrow for one is
  // widened, on every line.  A form keeps its paper's places.
  const int width = doc.Width() + (form ? 0 : doc.widening.Total());
  const PageNumbers numbers = NumberPages(doc);
  int pageCount = 0;
  for (std::size_t i = firstPage; i < doc.pages.Size() && i < endPage; ++i) pageCount += doc.pages.Holds(i) ? 1 : 0;
  char date[16] = {};
  DateToText(date, doc.runDate);

  std::string out;
  out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n";
  out += "<meta name=\"generator\" content=\"Quarlex Accounting report writer\"/>\n";
  out += "<title>" + EscapeCp437(doc.title) + "</title>\n";
  out += "<style>" + std::string(kStyle);
  if (doc.settings.landscape) out += "@page { size: letter landscape; }\n";
  else out += "@page { size: letter portrait; }\n";
  const FormGeometry geometry = GeometryOf(doc);
  if (form) out += FormStyle(geometry);
  out += "</style>\n</head>\n<body>\n";

  out += "<div class=\"run\">\n<div class=\"title\">" + EscapeCp437(doc.title) + "</div>\n";
  out += "<div class=\"meta\">Printed " + Escape(date) + " \xC2\xB7 " + std::to_string(pageCount) +
         (pageCount == 1 ? " page" : " pages");
  if (doc.stopped) out += " \xC2\xB7 <span class=\"stopped\">stopped by the user</span>";
  out += "</div>\n";
  if (doc.savedRun) {
    out += "<div class=\"again\"><a class=\"again\" href=\"" + Escape(LinkUrl(*doc.savedRun)) +
           "\" title=\"Runs this report again with this selection\">Run again</a>";
    const std::string selection = SelectionLine(doc);
    if (!selection.empty()) out += "<span class=\"selection\">" + EscapeCp437(selection) + "</span>";
    out += "</div>\n";
  }
  out += "</div>\n";

  if (pageCount == 0) out += "<div class=\"page\"><pre>\nNothing was printed.\n</pre></div>\n";
  sink(out);
  int number = 0;
  for (std::size_t i = firstPage; i < doc.pages.Size() && i < endPage; ++i) {
    if (!doc.pages.Holds(i)) continue;
    const Page page = doc.pages.Read(i);
    ++number;
    if (form) {
      sink("<div class=\"page form\" id=\"page-" + std::to_string(number) + "\">\n" +
           FormPageHtml(page, width, geometry) + "</div>\n");
      continue;
    }
    out = "<div class=\"page\" id=\"page-" + std::to_string(number) + "\">\n<pre>\n";
    std::size_t used = page.lines.size();
    while (used > 0 && page.lines[used - 1].cells.empty()) --used;
    for (std::size_t l = 0; l < used; ++l) {
      const Line& line = page.lines[l];
      if (doc.widening.extra.empty()) AppendLineHtml(out, page, line, width);
      else AppendLineHtml(out, page, WidenedLine(line, doc.widening), width);
      out += '\n';
    }
    if (doc.settings.reportPage)
      out += "\n<span class=\"foot\">" +
             EscapeCp437(FooterLine(doc, numbers.number[i], numbers.total, width)) + "</span>\n";
    out += "</pre>\n</div>\n";
    sink(out);
  }
  sink("</body>\n</html>\n");
}

std::string RenderHtml(const Document& doc) {
  std::string out;
  RenderHtml(doc, [&](std::string_view s) { out += s; });
  return out;
}

// --- Files ---------------------------------------------------------------------

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

std::string CheckWritable(const std::string& path) {
  if (path.empty()) return "no file was named";
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return "it is a folder";
  const std::string folder = FolderOf(path);
  if (::stat(folder.c_str(), &st) != 0) return "the folder " + folder + " does not exist";
  if (!S_ISDIR(st.st_mode)) return folder + " is not a folder";
  if (::access(folder.c_str(), W_OK) != 0) return std::string("the folder cannot be written (") + std::strerror(errno) + ")";
  return "";
}

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) {
    ::close(fd_);
    if (!unnamed_) ::unlink(temp_.c_str());
  }
}

std::string AtomicFile::Open() {
  const std::string problem = CheckWritable(path_);
  if (!problem.empty()) return problem;
  // The new file is written beside the old one and renamed over it.  It
  // gets no name in the folder until it is complete, so a program killed
  // while it writes a long report leaves nothing there; a file system that
  // has no unnamed files gets a named one at once.
  fd_ = ::open(FolderOf(path_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd_ >= 0) {
    unnamed_ = true;
    return "";
  }
  temp_ = path_ + ".XXXXXX";
  fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
  if (fd_ < 0) return std::strerror(errno);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd_, 0666 & ~mask) != 0) error_ = errno;
  return "";
}

void AtomicFile::Write(std::string_view data) {
  if (fd_ < 0 || error_ != 0) return;
  buffer_ += data;
  // Written in pieces of about a megabyte: a report of any length never
  // holds more of its file than that.
  if (buffer_.size() >= (1u << 20)) Flush();
}

bool AtomicFile::Flush() {
  std::size_t done = 0;
  while (done < buffer_.size() && error_ == 0) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno != EINTR) error_ = errno;
      continue;
    }
    done += static_cast<std::size_t>(n);
  }
  buffer_.clear();
  return error_ == 0;
}

std::string AtomicFile::Commit() {
  if (fd_ < 0) return std::strerror(EBADF);
  if (Flush() && ::fsync(fd_) != 0) error_ = errno;
  if (error_ == 0 && unnamed_) Name();
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0 && error_ == 0) error_ = errno;
  if (error_ == 0 && ::rename(temp_.c_str(), path_.c_str()) != 0) error_ = errno;
  if (error_ != 0) {
    if (!temp_.empty()) ::unlink(temp_.c_str());
    return std::strerror(error_);
  }
  return "";
}

// Gives the finished unnamed file a name of its own beside the report, for
// the rename over it.
void AtomicFile::Name() {
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device dice;
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  for (int attempt = 0; attempt < 32; ++attempt) {
    std::string name = path_ + ".";
    for (int i = 0; i < 6; ++i) name += kLetters[dice() % (sizeof kLetters - 1)];
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      temp_ = name;
      return;
    }
    if (errno != EEXIST) break;
  }
  error_ = errno;
}

}  // namespace qxreport
