// Renders running text (flow.h) as a PDF file for the printer: pages of the
// document's size and margins, paragraphs wrapped at blanks (a word longer
// than a line is broken where the line ends), bold and italic runs in their
// sizes, tabs every half inch, line, page and section breaks.
//
// Pages are drawn by cairo and the text set by pango in DejaVu Sans (or what
// fontconfig offers in its place), whose glyphs are embedded in the file, so
// every character of the document's UTF-8 text prints as itself: Latin,
// Greek, Cyrillic and the other scripts the installed fonts cover.
#pragma once

#include <cstddef>
#include <string>

#include "automation/wordprocessor/flow.h"

namespace qx::automation::wordprocessor {

// A paragraph is laid out through a window of this many bytes that slides
// along it, so that its layout costs time in proportion to its length.
inline constexpr std::size_t kLayoutWindow = 2048;

// The PDF file's bytes.  `title` (UTF-8) goes into the file's information.
// `window` is the layout window's size in bytes (kLayoutWindow; a test may
// use another: the pages are the same whatever its size).  Throws
// std::runtime_error when cairo cannot make the file.
std::string RenderPdf(const FlowDocument& flow, const std::string& title, std::size_t window = kLayoutWindow);

}  // namespace qx::automation::wordprocessor
