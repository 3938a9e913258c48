// Customer and vendor mailing labels (commands 339 and 346) and form
// letters (commands 341 and 349).
#pragma once

// Entry of commands 339, 341, 346 and 349, called with the command id and
// 0.  Returns 0.
int RunCustVendLettersLabels(int commandId, int reserved);
