// Running a helper program (the mail command, the print command) without a
// shell: the arguments go to the program as they are, so no text from a
// document or a data source is ever read as a command.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qx::automation::wordprocessor {

// Runs argv[0] (looked up on PATH when it has no "/") with `arguments`,
// writes `input` to its standard input and waits for it to end, at most
// `timeoutSeconds` (then it is killed).  Its standard output is discarded;
// the start of its error output is kept for the message.  Descriptors of the
// caller other than 0..2 are not passed on, and SIGPIPE cannot end the
// caller when the program stops reading early.
//
// Returns an empty text when the program ran and exited with status 0,
// else a sentence naming the program and what happened ("lp: exit status
// 1: lp: The printer or class does not exist.").
std::string RunProgram(const std::vector<std::string>& argv, std::string_view input, int timeoutSeconds = 120);

}  // namespace qx::automation::wordprocessor
