// The product listing (command 350): two lines per selected product (its
// identity, fractions, minimum, prices and costs; vendor and part number,
// bin, measures, reorder quantity, last sale and purchase dates), a product
// count per group when the sort field groups products, and the total count.
// In a destination that takes links each product links to its entry screen
// and to the product activity detail report for it.
#pragma once

#include <string>

#include "report_param_string.h"

struct ProductReportParams;

// Entry of command 350.  A null or empty `parameterText` runs the selection
// screen; a report parameter string presets it or runs the report
// unattended ("input" 'default' or 'usersel'; "output" an HTML file).  A
// string that cannot be read, or that names a field or a range the report
// cannot use, is refused with a message and nothing runs.  Returns 0.
int RunProductListing(const char* parameterText);

// The run over prepared parameters: opens the product file, runs the
// screen when params.input asks for it, selects, prints and closes.
// Returns 0, or 27 when the user stopped the report.
int PrintProductListing(ProductReportParams& params);

// Writes the saved run of a listing into `out` (cleared first):
// input='usersel', then the sort and rank criteria as entered (caption, from,
// to).  False when it does not fit: the caller then offers no saved run.
bool SaveListingRun(const ProductReportParams& params, CReportParamString* out);
// The same selection in words: "Sort by: Product Number, from A to B; Rank by: ...".
std::string ListingSelectionWords(const ProductReportParams& params);
