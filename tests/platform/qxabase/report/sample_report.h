// A small report written the way the system's report units write theirs: a
// customer balance listing with a page heading of blocks (heading beside
// title, column headings, rule), drill-down links on its cells, a saved run
// at the top, a new page when the page is full, and a totals line.  The
// tests, the golden files and the terminal demo all run it.
#pragma once

#include <string>
#include <vector>

#include "qxabase/report.h"

namespace sample {

struct Customer {
  const char* code;
  const char* name;   // code page 437
  const char* phone;
  int lastSale;       // day number, 0 none
  double balance;
};

// Eight customers; "O'Brien & Sons <Wholesale>" and an accented name among them.
const std::vector<Customer>& Customers();

// Called before each customer is written (index from 0); the break tests
// use it to stand in for a report that shows a message in the middle.
using BeforeRow = void (*)(int index);

// Writes the report into an opened run.  Returns 27 when the user stopped
// it, else 0.  Eight customers on pages of 12 lines make two pages.
int WriteCustomerBalances(TagRepInfo* info, BeforeRow beforeRow = nullptr);

// Opens a run (destination and path as given: kDestPreview, kDestHtmlFile,
// ...), writes the report and leaves the run open.  Returns the ReportOpen
// result.
int OpenCustomerBalances(TagRepInfo* info, int destination, const char* path, BeforeRow beforeRow = nullptr);

// The command ids of the links: account screen, purchase history, the same
// report for one account.
inline constexpr int kCustomerScreen = 121;
inline constexpr int kPurchaseHistory = 329;
inline constexpr int kAgingReport = 337;

}  // namespace sample
