#include "automation/wordprocessor/pdf_file.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace qx::automation::wordprocessor {

namespace {

constexpr double kTabStop = 36;  // points: every half inch
constexpr const char* kFontFamily = "DejaVu Sans";

// Owners of the cairo and pango objects of one rendering.
struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct ObjectDeleter {
  void operator()(void* o) const { g_object_unref(o); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;
using Layout = std::unique_ptr<PangoLayout, ObjectDeleter>;

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

double Points(int pangoUnits) { return static_cast<double>(pangoUnits) / PANGO_SCALE; }

// A paragraph's pieces between page breaks: each piece is laid out as one
// pango paragraph (its '\n' become line breaks), and a page begins after
// every piece but the last.  The runs' sizes and styles are spans of the
// piece's bytes, in order.
struct Span {
  std::size_t start = 0, end = 0;  // bytes of the piece's text
  double size = 10;
  bool bold = false, italic = false;
};
struct Piece {
  std::string text;
  std::vector<Span> spans;
};

std::vector<Piece> PiecesOf(const FlowParagraph& paragraph) {
  std::vector<Piece> pieces(1);
  for (const FlowRun& run : paragraph.runs) {
    std::size_t from = 0;
    while (from <= run.text.size()) {
      const std::size_t brk = run.text.find('\f', from);
      const std::size_t to = brk == std::string::npos ? run.text.size() : brk;
      Piece& piece = pieces.back();
      const std::size_t start = piece.text.size();
      for (std::size_t i = from; i < to; ++i) {
        const char c = run.text[i];
        // A carriage return is a line break too; other control characters
        // but the tab have no glyph.
        if (c == '\r') piece.text += '\n';
        else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n') piece.text += c;
      }
      const std::size_t end = piece.text.size();
      if (end > start) piece.spans.push_back({start, end, run.size, run.bold, run.italic});
      if (brk == std::string::npos) break;
      pieces.emplace_back();
      from = brk + 1;
    }
  }
  return pieces;
}

void AddAttribute(PangoAttrList* list, PangoAttribute* attribute, std::size_t start, std::size_t end) {
  attribute->start_index = static_cast<guint>(start);
  attribute->end_index = static_cast<guint>(end);
  pango_attr_list_insert(list, attribute);
}

// The attributes of the piece's bytes [from, to), as offsets from `from`.
// `first` is the first span that may reach them; it moves on past the
// spans that end before `from`, since windows only move forward.
PangoAttrList* AttributesOf(const Piece& piece, std::size_t from, std::size_t to, std::size_t* first) {
  PangoAttrList* list = pango_attr_list_new();
  while (*first < piece.spans.size() && piece.spans[*first].end <= from) ++*first;
  for (std::size_t i = *first; i < piece.spans.size() && piece.spans[i].start < to; ++i) {
    const Span& span = piece.spans[i];
    const std::size_t start = std::max(span.start, from) - from, end = std::min(span.end, to) - from;
    AddAttribute(list, pango_attr_size_new(static_cast<int>(span.size * PANGO_SCALE)), start, end);
    if (span.bold) AddAttribute(list, pango_attr_weight_new(PANGO_WEIGHT_BOLD), start, end);
    if (span.italic) AddAttribute(list, pango_attr_style_new(PANGO_STYLE_ITALIC), start, end);
  }
  return list;
}

// The end of a window of about `bytes` bytes from `from`: on a character's
// first byte before `end`, or `end`.
std::size_t WindowEnd(const std::string& text, std::size_t from, std::size_t end, std::size_t bytes) {
  const auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
  if (bytes >= end - from) return end;
  std::size_t to = from + bytes;
  while (to > from && continuation(to)) --to;
  if (to == from) {  // a window smaller than one character holds that character
    to = from + 1;
    while (to < end && continuation(to)) ++to;
  }
  return to;
}

// Lays out pages: lines go down the page until the next would cross the
// bottom margin.
//
// Pango wraps a paragraph greedily, line after line, but shapes the rest of
// the paragraph again for every line it ends: a paragraph of n characters
// would cost n times its line count.  So a piece is laid out through a
// window of about `window` bytes that slides along it: every line of the
// window but its last is a line of the whole paragraph (a line's breaks
// depend on its own text and the few characters after it), so those are
// drawn and the window moves on to the start of its last line.  A window
// whose first line does not end inside it grows until it does.  The cost
// is then in proportion to the paragraph's length.
class Typesetter {
 public:
  // Text sizes are points, as the page's: pango's context is set to 72
  // units an inch, the resolution of a PDF page.
  Typesetter(cairo_t* cr, const PageSetup& page, std::size_t window)
      : cr_(cr), page_(page), window_(window), context_(pango_cairo_create_context(cr)) {
    pango_cairo_context_set_resolution(context_.get(), 72);
    baseDirection_ = pango_context_get_base_dir(context_.get());
  }

  void Paragraph(const FlowParagraph& paragraph) {
    const std::vector<Piece> pieces = PiecesOf(paragraph);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
      if (i > 0) breakPending_ = true;
      Lines(pieces[i], paragraph);
    }
    if (paragraph.newPageAfter) breakPending_ = true;
  }

  void Finish() {
    if (!started_) StartPage();
    cairo_show_page(cr_);
  }

 private:
  Layout MakeLayout(const FlowParagraph& paragraph) const {
    Layout layout(pango_layout_new(context_.get()));
    PangoFontDescription* font = pango_font_description_from_string(kFontFamily);
    pango_font_description_set_size(font, static_cast<int>(paragraph.size * PANGO_SCALE));
    pango_layout_set_font_description(layout.get(), font);
    pango_font_description_free(font);
    pango_layout_set_width(layout.get(), static_cast<int>((page_.width - page_.left - page_.right) * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    pango_layout_set_alignment(layout.get(), paragraph.alignment == FlowParagraph::Alignment::kCenter ? PANGO_ALIGN_CENTER
                                             : paragraph.alignment == FlowParagraph::Alignment::kRight ? PANGO_ALIGN_RIGHT
                                                                                                      : PANGO_ALIGN_LEFT);
    PangoTabArray* tabs = pango_tab_array_new(1, TRUE);
    pango_tab_array_set_tab(tabs, 0, PANGO_TAB_LEFT, static_cast<int>(kTabStop));
    pango_layout_set_tabs(layout.get(), tabs);
    pango_tab_array_free(tabs);
    return layout;
  }

  void Lines(const Piece& piece, const FlowParagraph& paragraph) {
    const Layout layout = MakeLayout(paragraph);
    std::size_t firstSpan = 0;
    // Each line of the piece's text ('\n' ends one) is a paragraph of its
    // own to pango: its windows begin at its start.
    for (std::size_t begin = 0;;) {
      const std::size_t newline = piece.text.find('\n', begin);
      const std::size_t end = newline == std::string::npos ? piece.text.size() : newline;
      TextLine(layout.get(), piece, begin, end, &firstSpan);
      if (newline == std::string::npos) break;
      begin = newline + 1;
    }
  }

  // Lays out and draws the piece's bytes [begin, end), which hold no line
  // break, through the sliding window.
  void TextLine(PangoLayout* layout, const Piece& piece, std::size_t begin, std::size_t end, std::size_t* firstSpan) {
    // The first window finds the direction of the text (its first strong
    // character's, as pango finds it); the later ones begin inside the
    // text and keep it.
    const PangoAlignment alignment = pango_layout_get_alignment(layout);
    pango_context_set_base_dir(context_.get(), baseDirection_);
    pango_layout_set_auto_dir(layout, TRUE);
    pango_layout_context_changed(layout);
    std::size_t from = begin, bytes = window_;
    for (;;) {
      const std::size_t to = WindowEnd(piece.text, from, end, bytes);
      const bool last = to == end;
      pango_layout_set_text(layout, piece.text.data() + from, static_cast<int>(to - from));
      PangoAttrList* attributes = AttributesOf(piece, from, to, firstSpan);
      pango_layout_set_attributes(layout, attributes);
      pango_attr_list_unref(attributes);
      const int lines = pango_layout_get_line_count(layout);
      if (!last && lines < 2) {
        bytes *= 2;  // the window's first line does not end inside it
        continue;
      }
      Draw(layout, last ? lines : lines - 1);
      if (last) break;
      if (from == begin) {
        // Pango mirrors the alignment of a right-to-left text it found so
        // itself; given the direction, it takes the alignment as it stands.
        const PangoDirection direction =
            pango_layout_line_get_resolved_direction(pango_layout_get_line_readonly(layout, 0));
        pango_context_set_base_dir(context_.get(), direction);
        pango_layout_set_auto_dir(layout, FALSE);
        if (direction == PANGO_DIRECTION_RTL && alignment != PANGO_ALIGN_CENTER)
          pango_layout_set_alignment(layout, alignment == PANGO_ALIGN_LEFT ? PANGO_ALIGN_RIGHT : PANGO_ALIGN_LEFT);
        pango_layout_context_changed(layout);
      }
      // The next window begins where this one's last line does.
      from += static_cast<std::size_t>(pango_layout_get_line_readonly(layout, lines - 1)->start_index);
      bytes = window_;
    }
    pango_layout_set_alignment(layout, alignment);
  }

  // Draws the first `count` lines of `layout` down the page.
  void Draw(PangoLayout* layout, int count) {
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    for (int n = 0; n < count; ++n) {
      if (n > 0) pango_layout_iter_next_line(iter);
      PangoRectangle logical;
      pango_layout_iter_get_line_extents(iter, nullptr, &logical);
      const int baseline = pango_layout_iter_get_baseline(iter);
      int y0 = 0, y1 = 0;
      pango_layout_iter_get_line_yrange(iter, &y0, &y1);
      const double height = Points(y1 - y0);
      if (breakPending_ || !started_ || y_ + height > page_.height - page_.bottom + 0.01) NewPage();
      cairo_move_to(cr_, page_.left + Points(logical.x), y_ + Points(baseline - y0));
      pango_cairo_show_layout_line(cr_, pango_layout_iter_get_line_readonly(iter));
      y_ += height;
    }
    pango_layout_iter_free(iter);
  }

  void NewPage() {
    if (started_) cairo_show_page(cr_);
    StartPage();
  }

  void StartPage() {
    started_ = true;
    breakPending_ = false;
    y_ = page_.top;
  }

  cairo_t* cr_;
  PageSetup page_;
  std::size_t window_;
  std::unique_ptr<PangoContext, ObjectDeleter> context_;
  PangoDirection baseDirection_ = PANGO_DIRECTION_LTR;  // the context's own
  bool started_ = false;
  bool breakPending_ = false;
  double y_ = 0;  // from the top of the page to the top of the next line
};

}  // namespace

std::string RenderPdf(const FlowDocument& flow, const std::string& title, std::size_t window) {
  std::string pdf;
  Surface surface(cairo_pdf_surface_create_for_stream(Append, &pdf, flow.page.width, flow.page.height));
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "Quarlex Accounting");
  {
    Context cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    Typesetter typesetter(cr.get(), flow.page, window > 0 ? window : 1);
    for (const FlowParagraph& paragraph : flow.paragraphs) typesetter.Paragraph(paragraph);
    typesetter.Finish();
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) {
      throw std::runtime_error(std::string("the printed pages could not be drawn: ") +
                               cairo_status_to_string(cairo_status(cr.get())));
    }
  }
  cairo_surface_finish(surface.get());
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(std::string("the printed pages could not be written: ") +
                             cairo_status_to_string(cairo_surface_status(surface.get())));
  }
  return pdf;
}

}  // namespace qx::automation::wordprocessor
