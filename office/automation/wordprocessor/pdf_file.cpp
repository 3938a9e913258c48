#include "automation/wordprocessor/pdf_file.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

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
// every piece but the last.
struct Piece {
  std::string text;
  PangoAttrList* attributes = pango_attr_list_new();
  Piece() = default;
  Piece(Piece&& other) noexcept : text(std::move(other.text)), attributes(other.attributes) {
    other.attributes = nullptr;
  }
  Piece(const Piece&) = delete;
  ~Piece() {
    if (attributes) pango_attr_list_unref(attributes);
  }
};

void AddAttribute(PangoAttrList* list, PangoAttribute* attribute, std::size_t start, std::size_t end) {
  attribute->start_index = static_cast<guint>(start);
  attribute->end_index = static_cast<guint>(end);
  pango_attr_list_insert(list, attribute);
}

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
      if (end > start) {
        AddAttribute(piece.attributes, pango_attr_size_new(static_cast<int>(run.size * PANGO_SCALE)), start, end);
        if (run.bold) AddAttribute(piece.attributes, pango_attr_weight_new(PANGO_WEIGHT_BOLD), start, end);
        if (run.italic) AddAttribute(piece.attributes, pango_attr_style_new(PANGO_STYLE_ITALIC), start, end);
      }
      if (brk == std::string::npos) break;
      pieces.emplace_back();
      from = brk + 1;
    }
  }
  return pieces;
}

// Lays out pages: lines go down the page until the next would cross the
// bottom margin.
class Typesetter {
 public:
  // Text sizes are points, as the page's: pango's context is set to 72
  // units an inch, the resolution of a PDF page.
  Typesetter(cairo_t* cr, const PageSetup& page) : cr_(cr), page_(page), context_(pango_cairo_create_context(cr)) {
    pango_cairo_context_set_resolution(context_.get(), 72);
  }

  void Paragraph(const FlowParagraph& paragraph) {
    std::vector<Piece> pieces = PiecesOf(paragraph);
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
  void Lines(const Piece& piece, const FlowParagraph& paragraph) {
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
    pango_layout_set_text(layout.get(), piece.text.data(), static_cast<int>(piece.text.size()));
    pango_layout_set_attributes(layout.get(), piece.attributes);

    PangoLayoutIter* iter = pango_layout_get_iter(layout.get());
    do {
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
    } while (pango_layout_iter_next_line(iter));
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
  std::unique_ptr<PangoContext, ObjectDeleter> context_;
  bool started_ = false;
  bool breakPending_ = false;
  double y_ = 0;  // from the top of the page to the top of the next line
};

}  // namespace

std::string RenderPdf(const FlowDocument& flow, const std::string& title) {
  std::string pdf;
  Surface surface(cairo_pdf_surface_create_for_stream(Append, &pdf, flow.page.width, flow.page.height));
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "Quarlex Accounting");
  {
    Context cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    Typesetter typesetter(cr.get(), flow.page);
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
