// Reading the transcripts of the script device: the message numbers shown,
// and the text with its lines joined.
#pragma once

#include <string>
#include <vector>

namespace qxtest {

// The numbers of the messages shown, in the order they were shown (the
// transcript's "message number: N" lines).
std::vector<int> MessageNumbers(const std::string& transcript);

// The transcript with its lines joined by blanks: message boxes wrap long
// lines, so texts are looked for in this form.
std::string Flat(std::string transcript);

}  // namespace qxtest
