// Printing for the word-processor server: a PDF handed to the system's print
// command on its standard input, with no shell.
//
// Settings come from the environment:
//   QXOFFICE_LP       the print command (default "lp", found on PATH); it is
//                     run as  command [-d printer] -t title
//   QXOFFICE_PRINTER  the printer (destination); unset: the command's
//                     default (lp's own LPDEST and PRINTER apply)
#pragma once

#include <string>

namespace qx::automation::wordprocessor {

// Prints `pdf` as a job called `title`.  Returns an empty text, or what went
// wrong (the command's own message when it gave one).
std::string PrintPdf(const std::string& pdf, const std::string& title);

}  // namespace qx::automation::wordprocessor
