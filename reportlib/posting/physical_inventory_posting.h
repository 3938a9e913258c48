// Physical-inventory posting (command 327): sets each counted product's
// quantity on hand to its count.
#pragma once

#include "records/masters.h"

// Entry of command 327.  Returns 0.
int RunPhysicalInventoryPost();

// The value of a count's difference: `units` stock units of `product`
// (counted less on hand, or the other way round) in the product's measure
// (its unit divisor) at the cost the costing letter `costing` chooses
// (records::TagProduct::CostByMethod), rounded to the cent, with the sign of
// `units`.  A product whose divisor is 0 carries quantities that are not
// valued: 0.  The physical-inventory journal shows the G/L entry it gives,
// and posting books it.
double PhysicalCountValue(const records::TagProduct& product, double units, char costing);
