// QXA-1's opening of a company: the company-folder screen and the switch of
// the program's folders to the company chosen.
#pragma once

namespace menulibs {

// Asks for the company folder (offering SharedAppBlock::companyPath, which
// the command line or QxAcArgs.ini gave) until the user names a folder that
// holds a company, or leaves with Esc; a command-only start opens the folder
// given without asking.  On success the company becomes the program's
// (SharedAppBlock::companyPath, the screen library's and the record
// manager's folders, the settings object) and SharedAppBlock::lastKey is 13.
// Left with Esc (or refused in a command-only start): lastKey is 27 when
// `escEnds` (the opening command: the program ends), else 0.  Returns 0.
int OpenCompany(bool escEnds);

}  // namespace menulibs
