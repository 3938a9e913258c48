#include "automation/wordprocessor/printer.h"

#include <cstdlib>
#include <vector>

#include "qxsys/run_program.h"

namespace qx::automation::wordprocessor {

std::string PrintPdf(const std::string& pdf, const std::string& title) {
  const char* command = std::getenv("QXOFFICE_LP");
  const char* printer = std::getenv("QXOFFICE_PRINTER");
  const bool named = command && *command;
  std::vector<std::string> argv{named ? command : "lp"};
  if (printer && *printer) {
    argv.push_back("-d");
    argv.push_back(printer);
  }
  std::string jobTitle = title;
  for (char& c : jobTitle) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  argv.push_back("-t");
  argv.push_back(jobTitle.empty() ? "document" : jobTitle);
  qxsys::ProgramOptions options;
  if (!named) options.whenMissing = "lp is not installed (Debian package cups-client), so nothing can be printed.";
  return qxsys::RunProgram(argv, qxsys::ProgramInput{pdf, -1}, options);
}

}  // namespace qx::automation::wordprocessor
