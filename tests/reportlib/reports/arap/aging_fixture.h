// The companies of the aging report tests, as readable fixture records.
//
// The aging date is 03/31/25 (today in every run).  Items are placed by the
// days between their due date and the aging date; each invoice is dated 30
// days before it is due, so the same items aged by invoice date are 30 days
// older.
#pragma once

#include <cstdint>
#include <string>

#include "aging_test_support.h"
#include "ravadodo.h"

namespace agingtest {

inline int AgingDay() { return DateMake(2025, 3, 31); }

// The schedule: the customers' seven periods of days past due, and the
// vendors' (labelled apart, to tell the two sets from each other).
inline Json Period(const std::string& label, int from, int to) {
  return Json{{"label", label}, {"fromDays", from}, {"toDays", to}};
}

inline Json CustomerPeriods() {
  return Json::array({Period("Current", 0, 30), Period("31-60", 31, 60), Period("61-90", 61, 90),
                      Period("91-120", 91, 120), Period("121-150", 121, 150), Period("151-180", 151, 180),
                      Period("Over 180", 181, 9999)});
}

inline Json VendorPeriods() {
  return Json::array({Period("V Current", 0, 30), Period("V 31-60", 31, 60), Period("V 61-90", 61, 90),
                      Period("V 91-120", 91, 120), Period("V 121-150", 121, 150), Period("V 151-180", 151, 180),
                      Period("V Over 180", 181, 9999)});
}

inline Json ScheduleRecord() {
  return Json{{"key", "0Schedule"}, {"customerPeriods", CustomerPeriods()}, {"vendorPeriods", VendorPeriods()}};
}

inline Json Account(const std::string& code, const std::string& name, Json extra = Json::object()) {
  Json r{{"code", code},
         {"name", name},
         {"addressLines", Json::array({"12 Harbour Road", "Lakeside", ""})},
         {"phone1", "(360) 5550100"},
         {"glAccount", "1200"},
         {"accountType", "O"}};
  for (auto it = extra.begin(); it != extra.end(); ++it) r[it.key()] = it.value();
  return r;
}

// An open-item line due `daysPast` days before the aging date (negative:
// not yet due), dated 30 days before its due date.
inline Json Item(const std::string& code, const std::string& invoice, char type, double amount, int daysPast,
                 Json extra = Json::object()) {
  const int due = AgingDay() - daysPast;
  const char precedence = type == 'I' ? '1' : type == 'D' ? '2' : type == 'C' ? '3' : type == 'F' ? '5' : '4';
  Json r{{"code", code},
         {"invoiceNumber", invoice},
         {"precedence", std::string(1, precedence)},
         {"reference", type == 'I' ? "Invoice" : type == 'P' ? "Payment" : "Memo"},
         {"lineType", std::string(1, type)},
         {"status", "P"},
         {"precedenceCode", std::string(1, precedence)},
         {"dueDate", DateOfDay(due)},
         {"secondDate", DateOfDay(due - 20)},
         {"invoiceDate", DateOfDay(due - 30)},
         {"amount", amount}};
  for (auto it = extra.begin(); it != extra.end(); ++it) r[it.key()] = it.value();
  return r;
}

// A line dated on a given day (payments, credits), due the same day.
inline Json ItemOn(const std::string& code, const std::string& invoice, char type, double amount, int day,
                   Json extra = Json::object()) {
  Json r = Item(code, invoice, type, amount, 0, std::move(extra));
  r["invoiceDate"] = r["dueDate"] = r["secondDate"] = DateOfDay(day);
  return r;
}

// The entry an open-item line was made by: the source of the entry, its
// reference and record number, and the order it came from.
inline Json EntrySource(char origin, const std::string& reference, std::int32_t recordNumber,
                        std::int32_t orderNumber = 0) {
  return Json{{"origin", std::string(1, origin)},
              {"sourceReference", reference},
              {"recordNumber", recordNumber},
              {"orderNumber", orderNumber}};
}

}  // namespace agingtest
