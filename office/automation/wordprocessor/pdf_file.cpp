#include "automation/wordprocessor/pdf_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "automation/wordprocessor/text.h"

namespace qx::automation::wordprocessor {

namespace {

// Advance widths of the standard Helvetica and Helvetica-Bold fonts in
// thousandths of the font size, for the codes 32..255 of WinAnsiEncoding
// (the oblique faces have the same widths).
constexpr short kRegularWidths[224] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556,
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584, 350,
    556, 350, 222, 556, 333, 1000, 556, 556, 333, 1000, 667, 333, 1000, 350, 611, 350,
    350, 222, 222, 333, 333, 350, 556, 1000, 333, 1000, 500, 333, 944, 350, 500, 667,
    278, 333, 556, 556, 556, 556, 260, 556, 333, 737, 370, 556, 584, 333, 737, 333,
    400, 584, 333, 333, 333, 578, 537, 278, 333, 333, 365, 556, 834, 834, 834, 611,
    667, 667, 667, 667, 667, 667, 1000, 722, 667, 667, 667, 667, 278, 278, 278, 278,
    722, 722, 778, 778, 778, 778, 778, 584, 778, 722, 722, 722, 722, 667, 667, 611,
    556, 556, 556, 556, 556, 556, 889, 500, 556, 556, 556, 556, 278, 278, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 584, 611, 556, 556, 556, 556, 500, 556, 500,
};
constexpr short kBoldWidths[224] = {
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278,
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611,
    975, 722, 722, 722, 722, 667, 611, 778, 722, 278, 556, 722, 611, 833, 722, 778,
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 333, 278, 333, 584, 556,
    333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556, 278, 889, 611, 611,
    611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584, 350,
    556, 350, 278, 556, 500, 1000, 556, 556, 333, 1000, 667, 333, 1000, 350, 611, 350,
    350, 278, 278, 500, 500, 350, 556, 1000, 333, 1000, 556, 333, 944, 350, 500, 667,
    278, 333, 556, 556, 556, 556, 280, 556, 333, 737, 370, 556, 584, 333, 737, 333,
    400, 584, 333, 333, 333, 611, 556, 278, 333, 333, 365, 556, 834, 834, 834, 611,
    722, 722, 722, 722, 722, 722, 1000, 722, 667, 667, 667, 667, 278, 278, 278, 278,
    722, 722, 778, 778, 778, 778, 778, 584, 778, 722, 722, 722, 722, 667, 667, 611,
    556, 556, 556, 556, 556, 556, 889, 556, 556, 556, 556, 556, 278, 278, 278, 278,
    611, 611, 611, 611, 611, 611, 611, 584, 611, 611, 611, 611, 611, 556, 611, 556,
};

constexpr double kTabStop = 36;        // points: every half inch
constexpr double kLineSpacing = 1.2;   // line height per point of text size

// The WinAnsiEncoding code of a character, or '?' when it has none.
unsigned char WinAnsiCode(char32_t ch) {
  if ((ch >= 0x20 && ch < 0x7F) || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<unsigned char>(ch);
  static constexpr struct {
    char32_t ch;
    unsigned char code;
  } kSpecials[] = {
      {0x20AC, 128}, {0x201A, 130}, {0x0192, 131}, {0x201E, 132}, {0x2026, 133}, {0x2020, 134}, {0x2021, 135},
      {0x02C6, 136}, {0x2030, 137}, {0x0160, 138}, {0x2039, 139}, {0x0152, 140}, {0x017D, 142}, {0x2018, 145},
      {0x2019, 146}, {0x201C, 147}, {0x201D, 148}, {0x2022, 149}, {0x2013, 150}, {0x2014, 151}, {0x02DC, 152},
      {0x2122, 153}, {0x0161, 154}, {0x203A, 155}, {0x0153, 156}, {0x017E, 158}, {0x0178, 159},
  };
  for (const auto& special : kSpecials) {
    if (special.ch == ch) return special.code;
  }
  return '?';
}

struct Style {
  bool bold = false;
  bool italic = false;
  double size = 10;

  int Font() const { return (bold ? 1 : 0) + (italic ? 2 : 0); }  // F1..F4 less one
  bool operator==(const Style&) const = default;
};

// The width of one character in thousandths of the font size.
int CharWidth(unsigned char c, const Style& style) {
  const short* widths = style.bold ? kBoldWidths : kRegularWidths;
  return c >= 32 ? widths[c - 32] : 0;
}

double Width(const std::string& codes, const Style& style) {
  double total = 0;
  for (unsigned char c : codes) total += CharWidth(c, style);
  return total * style.size / 1000;
}

// A piece of a line: text in one style at a position from the left margin,
// and its width (kept, so that a piece grows by its new text alone).
struct Segment {
  double x;
  std::string codes;
  Style style;
  double width;
};

struct Line {
  std::vector<Segment> segments;
  double width = 0;  // up to the end of the last text that is not blank
  double size = 0;   // largest text size on the line
};

// A token of a paragraph: a word, a blank, a tab, or a break.
struct Token {
  enum Kind { kWord, kBlank, kTab, kLineBreak, kPageBreak } kind;
  std::string codes;
  Style style;
};

std::vector<Token> Tokenize(const FlowParagraph& paragraph) {
  std::vector<Token> tokens;
  for (const FlowRun& run : paragraph.runs) {
    const Style style{run.bold, run.italic, run.size};
    for (std::size_t i = 0; i < run.text.size();) {
      const char32_t ch = NextCodePoint(run.text, &i);
      if (ch == '\t') {
        tokens.push_back({Token::kTab, {}, style});
      } else if (ch == '\n' || ch == '\r') {
        tokens.push_back({Token::kLineBreak, {}, style});
      } else if (ch == '\f') {
        tokens.push_back({Token::kPageBreak, {}, style});
      } else if (ch == ' ') {
        tokens.push_back({Token::kBlank, " ", style});
      } else if (ch >= 0x20) {
        const unsigned char code = ch == 0xA0 ? ' ' : WinAnsiCode(ch);
        if (tokens.empty() || tokens.back().kind != Token::kWord || !(tokens.back().style == style)) {
          tokens.push_back({Token::kWord, {}, style});
        }
        tokens.back().codes += static_cast<char>(code);
      }
    }
  }
  return tokens;
}

// Lays out pages and writes their content streams.
class Typesetter {
 public:
  explicit Typesetter(const PageSetup& page) : page_(page), lineWidth_(page.width - page.left - page.right) {}

  void Paragraph(const FlowParagraph& paragraph) {
    alignment_ = paragraph.alignment;
    emptySize_ = paragraph.size;
    line_ = Line{};
    bool wrapped = false;  // blanks at the start of a wrapped line are dropped
    for (const Token& token : Tokenize(paragraph)) {
      switch (token.kind) {
        case Token::kLineBreak:
          EndLine();
          wrapped = false;
          break;
        case Token::kPageBreak:
          if (!line_.segments.empty() || x_ > 0) EndLine();
          breakPending_ = true;
          wrapped = false;
          break;
        case Token::kTab: {
          const double x = (static_cast<int>(x_ / kTabStop) + 1) * kTabStop;
          if (x > lineWidth_) {
            EndLine();
            wrapped = true;
          } else {
            x_ = x;
          }
          break;
        }
        case Token::kBlank:
          if (wrapped && line_.segments.empty()) break;
          Place(token.codes, token.style, false);
          break;
        case Token::kWord:
          Word(token.codes, token.style, &wrapped);
          break;
      }
    }
    EndLine();
    if (paragraph.newPageAfter) breakPending_ = true;
  }

  std::vector<std::string> Finish() {
    if (pages_.empty()) NewPage();
    return std::move(pages_);
  }

 private:
  void Word(const std::string& codes, const Style& style, bool* wrapped) {
    const double width = Width(codes, style);
    if (x_ + width > lineWidth_ && x_ > 0) {
      EndLine();
      *wrapped = true;
    }
    if (width <= lineWidth_) {
      Place(codes, style, true);
      return;
    }
    // A word longer than a line is broken where the line ends: each piece
    // takes characters while they fit, at least one, measured as they are
    // taken.
    for (std::size_t from = 0; from < codes.size();) {
      std::size_t to = from + 1;
      double taken = CharWidth(static_cast<unsigned char>(codes[from]), style);
      while (to < codes.size() &&
             (taken + CharWidth(static_cast<unsigned char>(codes[to]), style)) * style.size / 1000 <= lineWidth_ - x_) {
        taken += CharWidth(static_cast<unsigned char>(codes[to]), style);
        ++to;
      }
      Place(codes.substr(from, to - from), style, true);
      from = to;
      if (from < codes.size()) EndLine();
    }
  }

  void Place(const std::string& codes, const Style& style, bool visible) {
    const double width = Width(codes, style);
    if (!line_.segments.empty() && line_.segments.back().style == style &&
        std::abs(line_.segments.back().x + line_.segments.back().width - x_) < 0.001) {
      line_.segments.back().codes += codes;
      line_.segments.back().width += width;
    } else {
      line_.segments.push_back({x_, codes, style, width});
    }
    x_ += width;
    if (visible) line_.width = x_;
    line_.size = std::max(line_.size, style.size);
  }

  void EndLine() {
    const double size = line_.size > 0 ? line_.size : emptySize_;
    const double height = size * kLineSpacing;
    if (breakPending_ || pages_.empty() || y_ + height > page_.height - page_.bottom) NewPage();
    const double baseline = y_ + size;
    double offset = 0;
    if (alignment_ == FlowParagraph::Alignment::kCenter) offset = (lineWidth_ - line_.width) / 2;
    else if (alignment_ == FlowParagraph::Alignment::kRight) offset = lineWidth_ - line_.width;
    std::string& content = pages_.back();
    for (const Segment& segment : line_.segments) {
      if (segment.codes.find_first_not_of(' ') == std::string::npos) continue;
      char position[96];
      std::snprintf(position, sizeof position, "BT /F%d %.2f Tf 1 0 0 1 %.2f %.2f Tm (", segment.style.Font() + 1,
                    segment.style.size, page_.left + offset + segment.x, page_.height - baseline);
      content += position;
      for (unsigned char c : segment.codes) {
        if (c == '(' || c == ')' || c == '\\') {
          content += '\\';
          content += static_cast<char>(c);
        } else if (c >= 0x80) {
          char octal[8];
          std::snprintf(octal, sizeof octal, "\\%03o", c);
          content += octal;
        } else {
          content += static_cast<char>(c);
        }
      }
      content += ") Tj ET\n";
    }
    y_ += height;
    line_ = Line{};
    x_ = 0;
  }

  void NewPage() {
    pages_.emplace_back();
    y_ = page_.top;
    breakPending_ = false;
  }

  PageSetup page_;
  double lineWidth_;
  std::vector<std::string> pages_;
  double y_ = 0;  // from the top of the page to the top of the next line
  double x_ = 0;  // from the left margin
  bool breakPending_ = false;
  Line line_;
  FlowParagraph::Alignment alignment_ = FlowParagraph::Alignment::kLeft;
  double emptySize_ = 10;
};

// A text for the file's information: UTF-16BE in hexadecimal.
std::string InfoText(const std::string& utf8) {
  std::string hex = "<FEFF";
  char unit[8];
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t ch = NextCodePoint(utf8, &i);
    if (ch >= 0x10000) {
      ch -= 0x10000;
      std::snprintf(unit, sizeof unit, "%04X", static_cast<unsigned>(0xD800 + (ch >> 10)));
      hex += unit;
      ch = 0xDC00 + (ch & 0x3FF);
    }
    std::snprintf(unit, sizeof unit, "%04X", static_cast<unsigned>(ch));
    hex += unit;
  }
  return hex + ">";
}

}  // namespace

std::string RenderPdf(const FlowDocument& flow, const std::string& title) {
  Typesetter typesetter(flow.page);
  for (const FlowParagraph& paragraph : flow.paragraphs) typesetter.Paragraph(paragraph);
  const std::vector<std::string> pages = typesetter.Finish();

  // Objects: 1 catalog, 2 page tree, 3..6 fonts, 7 information, then a page
  // and its content stream for each page.
  std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  const auto object = [&](const std::string& body) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
  };
  std::string kids;
  for (std::size_t i = 0; i < pages.size(); ++i) kids += std::to_string(8 + 2 * i) + " 0 R ";
  object("<< /Type /Catalog /Pages 2 0 R >>");
  object("<< /Type /Pages /Kids [ " + kids + "] /Count " + std::to_string(pages.size()) + " >>");
  for (const char* font : {"Helvetica", "Helvetica-Bold", "Helvetica-Oblique", "Helvetica-BoldOblique"}) {
    object(std::string("<< /Type /Font /Subtype /Type1 /BaseFont /") + font + " /Encoding /WinAnsiEncoding >>");
  }
  object("<< /Title " + InfoText(title) + " /Producer (Quarlex Accounting) >>");
  char box[96];
  std::snprintf(box, sizeof box, "[0 0 %.2f %.2f]", flow.page.width, flow.page.height);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    object(std::string("<< /Type /Page /Parent 2 0 R /MediaBox ") + box +
           " /Resources << /Font << /F1 3 0 R /F2 4 0 R /F3 5 0 R /F4 6 0 R >> >> /Contents " +
           std::to_string(9 + 2 * i) + " 0 R >>");
    object("<< /Length " + std::to_string(pages[i].size()) + " >>\nstream\n" + pages[i] + "endstream");
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(offsets.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t offset : offsets) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    pdf += entry;
  }
  pdf += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " /Root 1 0 R /Info 7 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

}  // namespace qx::automation::wordprocessor
