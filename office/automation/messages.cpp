#include "automation/messages.h"

#include <cstdio>
#include <string>
#include <utility>

namespace qx::automation {

namespace {

MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}

int DefaultAnswer(unsigned style) { return (style & kMessageYesNo) ? kAnswerNo : kAnswerOk; }

}  // namespace

void SetMessageSink(MessageSink sink) { Sink() = std::move(sink); }

int ShowMessage(std::string_view text, unsigned style, unsigned helpContext) noexcept {
  try {
    if (Sink()) return Sink()(text, style, helpContext);
  } catch (...) {
    return DefaultAnswer(style);
  }
  std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
  return DefaultAnswer(style);
}

std::string AutomationErrorText(std::string_view source, std::string_view description) {
  std::string text;
  if (!source.empty()) {
    text.append(source);
    text.append(" - ");
  }
  text.append(description.empty() ? std::string_view("unknown error") : description);
  return text;
}

}  // namespace qx::automation
