// The product price listing (command 352): one line per selected product
// with its identity, selling measure and fraction, warehouse, department,
// bin, tax code and sale price; with a cost code on the selection screen
// also its cost written in the code's letters and its price-break tables of
// levels A to F.  A count per group under a grouping sort and the total.
#pragma once

#include <string>

#include "records/masters.h"

// Entry of command 352.  Returns 0.
int RunProductPriceListing();

// The cost the costing method (the system's one-letter setting 8) gives a
// product on the price listing: 'A' the average cost, 'L' the purchase
// price, any other letter the standard cost.
double ProductCostByMethod(const records::TagProduct& product, char costing);

// `cost` with four decimals written in a cost code of up to ten different
// characters: each digit 1 to 9 becomes the code's character at that place,
// 0 its tenth; the point and a minus sign stay.  A place the code does not
// have prints as '?'; a text wider than the column (10) is a run of '*'.
std::string EncodeCost(double cost, const char* code);
