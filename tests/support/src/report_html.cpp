#include "qxtest/report_html.h"

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

#include "qxtest/files.h"

namespace qxtest {

std::string Trim(const std::string& text) {
  const std::size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

std::string PercentDecode(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string HtmlUnescape(std::string text) {
  const std::pair<const char*, const char*> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [from, to] : entities)
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + std::strlen(to)))
      text.replace(at, std::strlen(from), to);
  return text;
}

HtmlReport::Link ParseQxaLink(const std::string& url) {
  HtmlReport::Link link;
  const std::size_t kind = url.find("?kind="), params = url.find("&p=");
  if (url.rfind("qxa:", 0) != 0 || kind == std::string::npos || params == std::string::npos) return link;
  link.command = std::atoi(url.c_str() + 4);
  link.kind = std::atoi(url.c_str() + kind + 6);
  const std::size_t end = url.find('&', params + 3);
  link.params = PercentDecode(url.substr(params + 3, end == std::string::npos ? std::string::npos : end - params - 3));
  if (const std::size_t co = url.find("&co="); co != std::string::npos) {
    const std::size_t coEnd = url.find('&', co + 4);
    link.company = PercentDecode(url.substr(co + 4, coEnd == std::string::npos ? std::string::npos : coEnd - co - 4));
  }
  return link;
}

int HtmlReport::Find(const std::string& text, int from) const {
  for (int i = from; i < static_cast<int>(lines.size()); ++i)
    if (lines[static_cast<std::size_t>(i)].find(text) != std::string::npos) return i;
  return -1;
}

std::string HtmlReport::Cell(int i, int x, int width) const {
  if (i < 0 || i >= static_cast<int>(lines.size())) return "<no line>";
  const std::string& l = lines[static_cast<std::size_t>(i)];
  if (static_cast<std::size_t>(x) >= l.size()) return "";
  return Trim(l.substr(static_cast<std::size_t>(x), static_cast<std::size_t>(width)));
}

std::vector<HtmlReport::Link> HtmlReport::LinksOn(int i) const {
  std::vector<Link> out;
  for (const Link& l : links)
    if (l.line == i) out.push_back(l);
  return out;
}

namespace {

// The value of the first `attribute="..."` at or after `from`.
std::string AttributeAt(const std::string& html, std::size_t from, const std::string& attribute) {
  const std::size_t at = html.find(attribute + "=\"", from);
  if (at == std::string::npos) return "";
  const std::size_t begin = at + attribute.size() + 2;
  return html.substr(begin, html.find('"', begin) - begin);
}

}  // namespace

HtmlReport ReadHtmlReport(const std::string& path) {
  HtmlReport r;
  r.html = ReadAll(path);
  if (r.html.empty()) return r;
  if (const std::size_t again = r.html.find("<a class=\"again\""); again != std::string::npos)
    r.savedRun = ParseQxaLink(HtmlUnescape(AttributeAt(r.html, again, "href")));
  // Every page is one <pre> block; a line's links are its <a href> elements.
  std::size_t at = 0;
  while ((at = r.html.find("<pre>\n", at)) != std::string::npos) {
    at += 6;
    const std::size_t end = r.html.find("</pre>", at);
    std::istringstream page(r.html.substr(at, end - at));
    std::string raw;
    while (std::getline(page, raw)) {
      const int index = static_cast<int>(r.lines.size());
      std::string text;
      for (std::size_t i = 0; i < raw.size();) {
        if (raw[i] != '<') {
          text += raw[i++];
          continue;
        }
        const std::size_t close = raw.find('>', i);
        if (close == std::string::npos) break;
        if (raw.compare(i, 8, "<a href=") == 0) {
          HtmlReport::Link link = ParseQxaLink(HtmlUnescape(AttributeAt(raw, i, "href")));
          const std::size_t endAnchor = raw.find("</a>", close);
          link.text = HtmlUnescape(raw.substr(close + 1, endAnchor - close - 1));
          link.line = index;
          r.links.push_back(link);
        }
        i = close + 1;
      }
      r.lines.push_back(HtmlUnescape(text));
    }
    at = end;
  }
  return r;
}

}  // namespace qxtest
