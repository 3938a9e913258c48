// Customer and vendor mailing labels (commands 339 and 346) and form
// letters (commands 341 and 349).
#pragma once

// Entry of commands 339, 341, 346 and 349, called with the command id and
// 0: the options screen, then the labels or letters to the preview.
// Returns 0 (32 when the label layout cannot be printed).
int RunCustVendLettersLabels(int commandId, int reserved);

// The same run with its report written to `output`: an HTML file (a name
// ending in .htm or .html), a text file (any other name), or the preview
// (null or blank).
int RunCustVendLettersLabelsTo(int commandId, const char* output);
