#include "qxsys/print_problems.h"

#include <algorithm>
#include <cctype>

namespace qxsys {
namespace {

bool Says(std::string_view text, std::string_view words) {
  return std::search(text.begin(), text.end(), words.begin(), words.end(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         }) != text.end();
}

}  // namespace

std::string PrintProblemAdvice(std::string_view problem) {
  if (Says(problem, "no default destination"))
    return "No printer is set up as the default. Set one up with CUPS (for example lpadmin -p office -E "
           "-v <device URI> -m everywhere, then lpoptions -d office; or the page http://localhost:631), "
           "or start the program with LPDEST=<printer> to print to another.";
  if (Says(problem, "printer or class does not exist"))
    return "The printer named is not set up in CUPS: lpstat -p lists those that are; set it up with "
           "lpadmin (or the page http://localhost:631), or name another.";
  if (Says(problem, "scheduler not responding") || Says(problem, "unable to connect to server"))
    return "The print service (CUPS) does not answer: start it (systemctl start cups) and print again.";
  return "";
}

std::string PrintFailureText(std::string_view lead, std::string_view problem) {
  std::string text = std::string(lead) + ":\n" + std::string(problem);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) text.pop_back();
  if (text.empty() || text.back() != '.') text += '.';
  if (const std::string advice = PrintProblemAdvice(problem); !advice.empty()) text += "\n" + advice;
  return text;
}

}  // namespace qxsys
