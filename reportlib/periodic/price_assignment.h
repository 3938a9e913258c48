// Price assignment (command 380): sets the prices of a range of products by
// a rule.
//
// The user picks products by two criteria with From/To ranges; the matching
// products are listed with their price and last cost, and on each line a
// sign ('%' a margin on the new price, '$' an amount added to the cost) and
// an amount give the new price.  F10 writes the new prices (all of them in
// one record-manager transaction), F7 prints the list, Esc leaves without
// writing.
#pragma once

#include "records/masters.h"

// Entry of command 380.  Returns 0, or 1 when the screen could not be set up.
int RunPriceAssignment();

// The kinds of the two criteria: the dictionary field numbers of the product
// fields they test (also the sort fields of the temporary index).
enum PriceCriterionKind : int {
  kPriceByNumber = 1,
  kPriceByDescription = 2,
  kPriceByBin = 5,
  kPriceByDepartment = 8,
  kPriceByVendor = 10,
  kPriceByLastSaleDate = 37,
  kPriceByLastPurchaseDate = 38,
  kPriceByPurchaseUnits = 51,
  kPriceBySalesUnits = 56,
  kPriceByPurchaseDollars = 61,
  kPriceBySalesDollars = 66,
};

// One criterion's range as typed: From and To texts (an empty text is an open
// end).  Text kinds compare the whole field without regard to case; date
// kinds read mm/dd/yy; number kinds read a decimal number.
struct PriceRange {
  int kind = kPriceByNumber;
  const char* from = "";
  const char* to = "";
};

// True when `product` lies within `range` (open ends pass).  A product past
// the To end sets *pastEnd (the walk in this criterion's order can stop); an
// unknown kind is out.  Units are this year's statistics divided by the unit
// factor; dollars are this year's statistics.
bool ProductInPriceRange(const PriceRange& range, const records::TagProduct& product, bool* pastEnd);

// The new price of a line: `cost` is the last cost as shown (3 decimals),
// per purchase unit; the cost of one sales unit is cost / purchase factor x
// sales factor (a factor of 0 counts as 1).  With '%' the amount is the
// margin on the new price (cost / (1 - amount / 100)); with any other sign
// the amount is added.  A zero amount keeps `shown`.  Rounded to 4 decimals.
// A '%' amount of 100 or more has no price: `shown` is kept and *refused set.
double ComputeNewPrice(char sign, double cost, int purchaseFactor, int salesFactor, double amount, double shown,
                       bool* refused = nullptr);
