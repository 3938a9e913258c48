#include "automation/wordprocessor/flow.h"

namespace qx::automation::wordprocessor {

std::string PlainText(const FlowDocument& flow) {
  std::string text;
  for (const FlowParagraph& paragraph : flow.paragraphs) {
    for (const FlowRun& run : paragraph.runs) {
      for (char c : run.text) text += c == '\f' ? '\n' : c;
    }
    text += '\n';
  }
  return text;
}

}  // namespace qx::automation::wordprocessor
