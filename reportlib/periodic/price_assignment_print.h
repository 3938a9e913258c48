// The print of the price assignment list ("Price Assignments"): one line
// per listed product with its cost, its current price, the rule given on its
// line and the new price.
#pragma once

#include <vector>

#include "records/masters.h"

// One printed line: the product as read and its line's rule.
struct PriceAssignmentLine {
  records::TagProduct product;
  char sign = '%';
  double amount = 0;
  double newPrice = 0;
};

// Prints the lines to the report preview.  `complete` false adds the line
// that says the list could not be read to the end.  Returns 0, or 1 when the
// report could not be opened.
int PrintPriceAssignments(const std::vector<PriceAssignmentLine>& lines, bool complete = true);
