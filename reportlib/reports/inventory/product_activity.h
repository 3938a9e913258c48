// The product activity report (command 354): two lines per selected product
// (its identity, fractions, units, price and cost; the quantities on hand,
// bought and sold; the year's purchases, sales, cost of sales and profit),
// a subtotal per group when the sort field groups products (bin, G/L
// department, vendor, warehouse), and the totals with the product count.
// In a destination that takes links each product links to its entry screen,
// and its quantities and amounts to the activity detail of that product.
#pragma once

#include <string>

#include "report_param_string.h"

struct ProductReportParams;

// Entry of command 354.  A null or empty `parameterText` runs the selection
// screen; a report parameter string presets it or runs the report
// unattended ("input" 'default' or 'usersel'; "output" an HTML file).  A
// string that cannot be read, or that names a field or a range the report
// cannot use, is refused with a message and nothing runs.  Returns 0.
int RunProductActivityReport(const char* parameterText);

// The run over prepared parameters.  Returns 0, or 27 when the user stopped
// the report.
int PrintProductActivity(ProductReportParams& params);

// Writes the saved run of an activity run into `out` (cleared first):
// input='usersel', the sort and rank criteria as entered and "incnoinv".
// False when it does not fit.
bool SaveActivityRun(const ProductReportParams& params, CReportParamString* out);
// The same selection in words: the ranges and whether non-inventory products are left out.
std::string ActivitySelectionWords(const ProductReportParams& params);
