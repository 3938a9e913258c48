// What the user is told when the print command lp fails: the failure as
// RunProgram tells it, and what to set up when lp says that no printer can
// take the job (none is set up as the default, the one named is not set
// up, the print service does not answer).  The report writer's preview and
// its printed runs tell it this way.
#pragma once

#include <string>
#include <string_view>

namespace qxsys {

// What to do about the failure `problem` (RunProgram's sentence) of lp: a
// sentence naming the CUPS set-up, or "" when lp said something else.
std::string PrintProblemAdvice(std::string_view problem);

// "<lead>:\n<problem>." (one final period, whatever the problem ends with),
// then the advice on a line of its own when there is one: the text of the
// box that tells a failed print.
std::string PrintFailureText(std::string_view lead, std::string_view problem);

}  // namespace qxsys
