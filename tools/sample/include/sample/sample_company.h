// The sample company: a small trading company that a new user can open and
// work in, and, scaled up, the companies the benchmarks run on.
//
// It holds a chart of accounts with a summary tree and the interface
// accounts, the twelve monthly periods of the current fiscal year (the
// calendar year of `today`, the months before today's closed), customers of
// each account type, vendors, products with unit factors and assemblies,
// services, tax codes, terms and salespeople, posted history that balances
// (account balances agree with the customers', vendors' and products'), open
// invoices at several ages, and unposted transactions in every ledger that
// has a posting run: general ledger, receivables, payables, billing,
// purchasing, inventory transactions, assemblies and physical counts.  Its
// cash transactions of the month are posted already, with what posting them
// wrote (cash posting is not part of this system), so that its month can be
// posted and closed here; no G/L transaction is held.  Every G/L
// transaction balances.
//
// The company is a function of the options alone: the same options give the
// same records, byte for byte.
#pragma once

#include <cstdint>
#include <string>

#include "fixture/company.h"

namespace sample {

struct Options {
  std::int32_t today = 0;    // day number of "today"; 0 = the clock's today
  std::uint64_t seed = 20;   // drives every amount, age and choice
  // Sizes; 0 keeps the small company's own.
  int customers = 0;
  int products = 0;
  int openItems = 0;         // receivables open-invoice lines
  int transactions = 0;      // transactions of the month over all ledgers (the cash ones posted)
};

// Builds the records of the sample company.  False with `error` set only for
// options out of range (the generator's records always encode).
bool BuildSampleCompany(const Options& options, fixture::CompanyImage* company, std::string* error);

// Today as a day number, from the local clock.
std::int32_t Today();

}  // namespace sample
