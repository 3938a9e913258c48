// Renders running text (flow.h) as a PDF file for the printer: pages of the
// document's size and margins, paragraphs wrapped at blanks, bold and italic
// runs in their sizes, tabs every half inch, page and section breaks.
//
// Text is set in the standard Helvetica family, which every PDF reader and
// printer has, so no font is embedded; characters outside the Windows-1252
// repertoire print as "?".
#pragma once

#include <string>

#include "automation/wordprocessor/flow.h"

namespace qx::automation::wordprocessor {

// The PDF file's bytes.  `title` (UTF-8) goes into the file's information.
std::string RenderPdf(const FlowDocument& flow, const std::string& title);

}  // namespace qx::automation::wordprocessor
