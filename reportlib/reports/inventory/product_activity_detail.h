// The product activity detail report (command 359): for each selected
// product, its running stock balance through the inventory transactions of
// a date range.  A product line shows the balance at the start of the range
// (the product's purged totals and every transaction before the range), a
// line per transaction in the range its quantity, cost and the running
// quantity and value, and the report ends with the total of the products'
// ending values.  In a destination that takes links, the product cells link
// to the product's entry screen and each transaction to the screen of its
// source document.
#pragma once

#include <string>

#include "btrvc.h"
#include "report_param_string.h"

struct ProductReportParams;

// Entry of command 359.  A null or empty `parameterText` runs the selection
// screen; a report parameter string presets it or runs the report
// unattended ("input" 'default' or 'usersel'; "output" an HTML file).  A
// string that cannot be read, that names a field the report cannot use or
// a sort field it cannot order by, is refused with message 2001 and nothing
// runs.  Returns 0.
int RunProductActivityDetail(const char* parameterText);

// The run over prepared parameters: opens the files, runs the screen when
// params.input asks for it, prints and closes.  Returns 0, or 27 when the
// user stopped the report.
int PrintProductActivityDetail(ProductReportParams& params);

// The name of a transaction's source by its type letter (and, for an
// entered adjustment 'T', its kind digit): "Invoice", "Merch_Rec",
// "IA-IncQty." ...  False with an empty name for a letter the table does
// not hold.
bool TransactionSourceName(char type, char kind, std::string* name);

// Writes the saved run of a detail run into `out` (cleared first):
// input='usersel', the sort and rank criteria as entered, "incnoinv" and
// "decorfrac".  False when it does not fit.
bool SaveDetailRun(const ProductReportParams& params, CReportParamString* out);
// The same selection in words: the range, the transaction dates, the quantities and
// whether non-inventory products are left out.
std::string DetailSelectionWords(const ProductReportParams& params);

// The selection screen (form 359, data/forms/form-359.txt) in the report's
// window params->window: the product field to sort and select by with its
// range, the transaction dates, quantities in decimals or fractions, and
// whether products of type 2 are left out.  Keys:
//   F10       checks the ranges (from not after to; a date that is one) and
//             accepts
//   F5        on a product range: the product pick list; on a date: the
//             inventory transactions' list (over `transactions`)
//   Shift+F9  puts back this run's defaults
//   Esc       leaves without a report
// The values a user accepts are remembered per user ("ProdTrnDtl").
// Returns 0 when accepted (params hold the criteria and choices), 27 when
// left with Esc, 1 when the screen could not be made (after its message):
// the report then does not run.
int ProductDetailSelection(ProductReportParams* params, BtrvHandle transactions);
