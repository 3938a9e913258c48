// The product alert report (command 355): the selected products whose
// available quantity has fallen to or below their minimum, with how far
// they are under it, what is on order, the reorder up to the reorder
// quantity and its cost at the purchase price; a count and an amount per
// group under a grouping sort, and the totals.
#pragma once

#include "records/masters.h"

// Entry of command 355.  Returns 0.
int RunProductAlertReport();

// What the alert report makes of one product.
struct ProductAlertFigures {
  double available = 0;          // (on hand − committed) in selling units
  double under = 0;              // minimum − available when below it, else 0
  bool listed = false;           // available ≤ minimum, a minimum or a reorder quantity set, not type 2
  double reorderStockUnits = 0;  // reorder quantity (buying units) less what is on order, never below 0
  double purchaseAmount = 0;     // the reorder in buying units × the purchase price, at cents
};
ProductAlertFigures ProductAlertFiguresOf(const records::TagProduct& product);
