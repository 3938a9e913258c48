// Message boxes of the automation layer: the texts that a controller or a
// server shows the user (an automation error, a question), handed to the
// host through one sink.  Without a sink a message is written to standard
// error and a question is answered No.
//
// The box styles and answers keep the values hosts know from message boxes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qx::automation {

enum MessageStyle : unsigned {
  kMessageOk = 0x0,               // an OK button only
  kMessageYesNo = 0x4,            // Yes and No buttons: a question
  kMessageIconExclamation = 0x30,
};

enum MessageAnswer : int {
  kAnswerOk = 1,
  kAnswerYes = 6,
  kAnswerNo = 7,
};

// Receives a message (UTF-8), its style bits and help context (0 for none),
// and returns the button the user chose.
using MessageSink = std::function<int(std::string_view text, unsigned style, unsigned helpContext)>;

// Installs `sink` (an empty function restores the standard-error default).
void SetMessageSink(MessageSink sink);

// Shows `text` and returns the answer.  Never throws: a sink that throws
// counts as OK (or No for a question).
int ShowMessage(std::string_view text, unsigned style = kMessageOk, unsigned helpContext = 0) noexcept;

// The text of an automation error box: "source - description", or the
// description alone when there is no source; "unknown error" stands for an
// empty description.
std::string AutomationErrorText(std::string_view source, std::string_view description);

}  // namespace qx::automation
