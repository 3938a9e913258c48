// The HTML renderer: one self-contained UTF-8 page with its own CSS.
//
// Every report page is a <pre> block, one text line per report line, so that
// columns line up exactly as on paper; fonts change weight and colour only.
// Cells with a drill-down link are <a> elements whose qxa: URL carries the
// target command, the link kind and the parameter string.  The output is
// well-formed XML as well as HTML (every element closed, attributes quoted,
// no named entity but the XML ones), so strict parsers read it too.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "ravadodo/text.h"
#include "report_model.h"

namespace qxreport {

namespace {

std::string Escape(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size() + 16);
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string EscapeCp437(const std::string& cp437) { return Escape(ToUtf8(cp437)); }

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

// One line as HTML: runs of characters of one cell kind (font, link) in one
// element; a link's blanks at its ends stay outside its anchor.
std::string LineHtml(const Document& doc, const Line& line, int width) {
  const RenderedLine r = RenderLine(line, width);
  std::string out;
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
    std::string run = r.text.substr(i, j - i);
    if (link >= 0 && link < static_cast<int>(doc.links.size())) {
      const std::size_t b = run.find_first_not_of(' ');
      if (b == std::string::npos) {
        out += run;
      } else {
        const std::size_t e = run.find_last_not_of(' ');
        out += run.substr(0, b);
        out += "<a href=\"" + Escape(LinkUrl(doc.links[static_cast<std::size_t>(link)])) + "\"";
        if (cls) out += std::string(" class=\"") + cls + "\"";
        out += ">" + EscapeCp437(run.substr(b, e - b + 1)) + "</a>";
        out += run.substr(e + 1);
      }
    } else if (cls && run.find_first_not_of(' ') != std::string::npos) {
      out += std::string("<span class=\"") + cls + "\">" + EscapeCp437(run) + "</span>";
    } else {
      out += EscapeCp437(run);
    }
    i = j;
  }
  return out;
}

std::string PercentEncode(const std::string& utf8) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
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
  return out;
}

}  // namespace

std::string LinkUrl(const Link& link) {
  return "qxa:" + std::to_string(link.commandId) + "?kind=" + std::to_string(link.kind) +
         "&p=" + PercentEncode(ToUtf8(link.params));
}

std::string RenderHtml(const Document& doc) {
  const int width = doc.Width();
  const PageNumbers numbers = NumberPages(doc);
  const int pageCount = numbers.total;
  char date[16] = {};
  DateToText(date, doc.runDate);

  std::string out;
  out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n";
  out += "<meta name=\"generator\" content=\"Quarlex Accounting report writer\"/>\n";
  out += "<title>" + EscapeCp437(doc.title) + "</title>\n";
  out += "<style>" + std::string(kStyle);
  if (doc.settings.landscape) out += "@page { size: letter landscape; }\n";
  else out += "@page { size: letter portrait; }\n";
  out += "</style>\n</head>\n<body>\n";

  out += "<div class=\"run\">\n<div class=\"title\">" + EscapeCp437(doc.title) + "</div>\n";
  out += "<div class=\"meta\">Printed " + Escape(date) + " \xC2\xB7 " + std::to_string(pageCount) +
         (pageCount == 1 ? " page" : " pages");
  if (doc.stopped) out += " \xC2\xB7 <span class=\"stopped\">stopped by the user</span>";
  out += "</div>\n";
  if (doc.savedRun) {
    out += "<div class=\"again\"><a class=\"again\" href=\"" + Escape(LinkUrl(*doc.savedRun)) +
           "\">Run again</a>";
    const std::string selection = SelectionLine(doc);
    if (!selection.empty()) out += "<span class=\"selection\">" + EscapeCp437(selection) + "</span>";
    out += "</div>\n";
  }
  out += "</div>\n";

  if (pageCount == 0) out += "<div class=\"page\"><pre>\nNothing was printed.\n</pre></div>\n";
  int number = 0;
  for (std::size_t i = 0; i < doc.pages.size(); ++i) {
    const Page& page = doc.pages[i];
    if (page.Empty()) continue;
    ++number;
    out += "<div class=\"page\" id=\"page-" + std::to_string(number) + "\">\n<pre>\n";
    std::size_t used = page.lines.size();
    while (used > 0 && page.lines[used - 1].cells.empty()) --used;
    for (std::size_t l = 0; l < used; ++l) out += LineHtml(doc, page.lines[l], width) + "\n";
    if (doc.settings.reportPage)
      out += "\n<span class=\"foot\">" +
             EscapeCp437(FooterLine(doc, numbers.number[i], numbers.total, width)) + "</span>\n";
    out += "</pre>\n</div>\n";
  }
  out += "</body>\n</html>\n";
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

std::string WriteFileAtomic(const std::string& path, const std::string& content) {
  const std::string problem = CheckWritable(path);
  if (!problem.empty()) return problem;
  // The new file is written beside the old one and renamed over it, so a
  // failure never leaves a half-written report where the old one was.
  std::string temp = path + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return std::strerror(errno);
  auto fail = [&](int error) {
    ::close(fd);
    ::unlink(temp.c_str());
    return std::string(std::strerror(error));
  };
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd, 0666 & ~mask) != 0) return fail(errno);
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return std::strerror(error);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    return std::strerror(error);
  }
  return "";
}

}  // namespace qxreport
