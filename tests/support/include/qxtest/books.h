// The accountant's invariants over a company, as tests/support/books_invariants.py
// checks them on a dump: every posted G/L transaction balances, the trial
// balance holds, and the receivables, payables and inventory accounts equal
// the customers', vendors' and products' balances.  The tests written in
// bash run the script on qxdump's output; these run it on a dump of their
// own (CompanyTest::CheckBooks dumps the company it built).
#pragma once

#include <filesystem>
#include <string>

namespace qxtest {

// What the checker found.
struct BooksReport {
  bool hold = false;   // every invariant holds
  std::string report;  // the figures and each problem, as the checker prints them
};

// Runs the checker on the dump at `dumpFile` (the form qxdump writes).  A
// checker that cannot be run reports so, with `hold` false.
BooksReport CheckBooksDump(const std::filesystem::path& dumpFile);

}  // namespace qxtest
