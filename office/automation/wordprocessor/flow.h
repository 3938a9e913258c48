// A document's content as running text, for the renderers that do not keep
// the file format: the printer's PDF and the text of an e-mail.
//
// Runs carry UTF-8 text in which '\t' is a tab, '\n' a line break and '\f' a
// page break.  Tables come as one paragraph per row, cells separated by tabs.
#pragma once

#include <string>
#include <vector>

namespace qx::automation::wordprocessor {

struct FlowRun {
  std::string text;
  bool bold = false;
  bool italic = false;
  double size = 10;  // points
};

struct FlowParagraph {
  enum class Alignment { kLeft, kCenter, kRight };

  std::vector<FlowRun> runs;
  Alignment alignment = Alignment::kLeft;
  double size = 10;            // points: the height of the paragraph when it has no text
  bool newPageAfter = false;   // the paragraph ends a section (or a merged record)
};

// Page size and margins, in points.
struct PageSetup {
  double width = 612;
  double height = 792;
  double left = 72;
  double right = 72;
  double top = 72;
  double bottom = 72;
};

struct FlowDocument {
  PageSetup page;
  std::vector<FlowParagraph> paragraphs;
};

// The document as plain text: one line per paragraph (and per line break),
// a page or section break as a line break.
std::string PlainText(const FlowDocument& flow);

}  // namespace qx::automation::wordprocessor
