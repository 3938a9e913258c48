#include "qxtest/transcript.h"

namespace qxtest {

std::vector<int> MessageNumbers(const std::string& transcript) {
  std::vector<int> numbers;
  const std::string tag = "message number: ";
  for (std::size_t at = transcript.find(tag); at != std::string::npos; at = transcript.find(tag, at + 1))
    numbers.push_back(std::stoi(transcript.substr(at + tag.size())));
  return numbers;
}

std::string Flat(std::string transcript) {
  for (char& c : transcript)
    if (c == '\n') c = ' ';
  return transcript;
}

}  // namespace qxtest
