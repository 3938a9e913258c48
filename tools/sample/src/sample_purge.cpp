// What the sample company keeps that the purge of files clears: the
// customers' and vendors' histories of last year, serial-numbered units of a
// tool (sold ones and ones in stock), user-defined data and pictures of the
// first masters, a promotion of last winter and one of this spring, quotes of
// last year and of this month, AutoComplete entries, and the note files the
// first masters and the company's own notes name (one of them missing, as
// after a note was deleted by hand).  Nothing here moves a balance; no
// random draw is taken, so the rest of the company stays as it was.
#include <fmt/format.h>

#include <string>

#include "builder.h"
#include "daynumber.h"
#include "records/dictionary.h"

namespace sample {

std::string Builder::NoteOf(const std::string& code, int index, std::size_t width) {
  // The first three masters of a kind have notes: the second one's in a
  // folder of its own, the third one's file is missing.
  if (index > 2) return "";
  const std::string folder = index == 1 ? "N" : "";
  std::string base = code;
  const std::size_t room = width - 1 - (folder.empty() ? 0 : folder.size() + 1) - 4;
  if (base.size() > room) base.resize(room);
  if (index < 2) {
    const std::string path = folder.empty() ? base + ".TXT" : folder + "/" + base + ".TXT";
    company_->notes[path] = fmt::format("Notes on {}\r\nKept since {}.\r\n", code, DateText(Day(400)));
  }
  return folder.empty() ? base + ".TXT" : folder + "\\" + base + ".TXT";
}

void Builder::AddPurgeableRecords() {
  const std::int32_t lastYear = daynum::FromCivil(year_ - 1, 11, 14);
  const std::int32_t lastWinter = daynum::FromCivil(year_ - 1, 12, 1);

  // Histories: two documents of last year for each of the first accounts.
  auto history = [&](int headerFile, int detailFile, const Party& p, int n) {
    const std::string document = fmt::format("H{}-{}", year_ - 1, n);
    Add(headerFile, Json{{"code", p.code},
                         {"documentNumber", document},
                         {"documentType", "I"},
                         {"date", DateText(lastYear + 7 * n)},
                         {"amount", 150.0 * n}});
    for (int line = 1; line <= 2; ++line)
      Add(detailFile, Json{{"code", p.code},
                           {"documentNumber", document},
                           {"lineNumber", line},
                           {"description", line == 1 ? "Goods" : "Freight"},
                           {"quantity", 1.0},
                           {"amount", line == 1 ? 140.0 * n : 10.0 * n}});
  };
  for (std::size_t i = 0; i < 2 && i < customers_.size(); ++i)
    for (int n = 1; n <= 2; ++n)
      history(records::kFileCustomerHistory, records::kFileCustomerHistoryDetails, customers_[i],
              static_cast<int>(i) * 2 + n);
  for (std::size_t i = 0; i < 2 && i < vendors_.size(); ++i)
    for (int n = 1; n <= 2; ++n)
      history(records::kFileVendorHistory, records::kFileVendorHistoryDetails, vendors_[i],
              static_cast<int>(i) * 2 + n);

  // Serial-numbered units of the first product: two sold last year, two in
  // stock.
  if (!products_.empty()) {
    const Product& tool = products_.front();
    for (int n = 1; n <= 4; ++n) {
      const bool sold = n <= 2;
      const std::string serial = fmt::format("SN{:05}", 1200 + n);
      const std::int32_t received = lastYear - 30 + n;
      Add(records::kFileSerialNumbers, Json{{"productCode", tool.number},
                                            {"serialNumber", serial},
                                            {"inStock", sold ? "N" : "Y"},
                                            {"date", DateText(sold ? lastYear + n : received)},
                                            {"documentNumber", fmt::format("R{}", 7100 + n)}});
      Add(records::kFileSerialMovements, Json{{"productCode", tool.number},
                                              {"serialNumber", serial},
                                              {"date", DateText(received)},
                                              {"documentNumber", fmt::format("R{}", 7100 + n)},
                                              {"movement", "R"}});
      if (sold)
        Add(records::kFileSerialMovements, Json{{"productCode", tool.number},
                                                {"serialNumber", serial},
                                                {"date", DateText(lastYear + n)},
                                                {"documentNumber", fmt::format("{}", 23000 + n)},
                                                {"movement", "S"}});
    }
  }

  // User-defined data and pictures of the first masters.
  for (std::size_t i = 0; i < 2 && i < customers_.size(); ++i) {
    Add(records::kFileCustomerUserData,
        Json{{"code", customers_[i].code}, {"fieldNumber", 1}, {"value", i ? "Region south" : "Region north"}});
    Add(records::kFileCustomerUserData, Json{{"code", customers_[i].code}, {"fieldNumber", 2}, {"value", "Key account"}});
  }
  if (!vendors_.empty())
    Add(records::kFileVendorUserData, Json{{"code", vendors_.front().code}, {"fieldNumber", 1}, {"value", "Net 30 agreed"}});
  for (std::size_t i = 0; i < 2 && i < products_.size(); ++i) {
    Add(records::kFileProductUserData, Json{{"code", products_[i].number}, {"fieldNumber", 1}, {"value", "Aisle 3"}});
    Add(records::kFileProductPictures,
        Json{{"productNumber", products_[i].number}, {"pictureFile", "PICTURES\\" + products_[i].number + ".PNG"}});
  }
  if (!services_.empty())
    Add(records::kFileServiceUserData, Json{{"code", services_.front().code}, {"fieldNumber", 1}, {"value", "On site"}});

  // Promotions: last winter's (over) and this spring's.
  const struct {
    const char* code;
    const char* description;
    std::int32_t start, end;
  } promotions[] = {
      {"WINTER", "Winter clearance", lastWinter, lastWinter + 30},
      {"SPRING", "Spring offer", daynum::FromCivil(year_, 3, 1), daynum::FromCivil(year_, 5, 31)},
  };
  for (const auto& p : promotions) {
    Add(records::kFilePromotions, Json{{"code", p.code},
                                       {"startDate", DateText(p.start)},
                                       {"endDate", DateText(p.end)},
                                       {"description", p.description}});
    for (int n = 1; n <= 2 && static_cast<std::size_t>(n) <= products_.size(); ++n) {
      const Product& product = products_[static_cast<std::size_t>(n - 1)];
      Add(records::kFilePromotionDetails, Json{{"code", p.code},
                                               {"number", n},
                                               {"productCode", product.number},
                                               {"firstDate", DateText(p.start)},
                                               {"lastDate", DateText(p.end)},
                                               {"price", Cents(product.price * 0.9)}});
    }
    if (!customers_.empty())
      Add(records::kFilePromotionCustomers, Json{{"code", p.code}, {"number", 1}, {"customerCode", customers_.front().code}});
  }

  // Quotes: two of last year, one of this month, each with two lines.
  const std::int32_t quoteDates[] = {lastYear, lastYear + 10, periodStart_};
  for (int q = 0; q < 3; ++q) {
    if (customers_.empty() || products_.empty()) break;
    const Party& c = customers_[static_cast<std::size_t>(q) % customers_.size()];
    const std::string number = TranNo(5001 + q);
    Add(records::kFileQuoteHeaders, Json{{"typeLetter", "Q"},
                                         {"transactionNumber", number},
                                         {"keyPart", 1},
                                         {"custVendCode", c.code},
                                         {"name", c.name},
                                         {"date", DateText(quoteDates[q])},
                                         {"postedFlag", "N"},
                                         {"closedFlag", "N"}});
    for (int line = 1; line <= 2; ++line) {
      const Product& p = products_[static_cast<std::size_t>(line - 1) % products_.size()];
      Add(records::kFileQuoteLines, Json{{"typeLetter", "Q"},
                                         {"transactionNumber", number},
                                         {"keyPart", 1},
                                         {"sequence", line},
                                         {"lineKind", 1},
                                         {"item", p.number},
                                         {"description", p.description},
                                         {"quantity", 2.0},
                                         {"amount", Cents(2 * p.price)}});
    }
  }

  // AutoComplete entries of the entry screens' name fields.
  int field = 0;
  for (const char* text : {"Alder Medical Group", "Port Alden, WA 98370", "Net 30"})
    Add(records::kFileAutoComplete, Json{{"fieldId", ++field}, {"text", text}});

  // The company's own notes: one whose file is there, one whose is not.
  const std::string memo = "MEMO01.TXT";
  company_->notes[memo] = "Year-end: count the stock on the last Friday.\r\n";
  Add(records::kFileNotes, Json{{"code", "MEMO01"}, {"description", "Stock count"}, {"noteFile", memo}});
  Add(records::kFileNotes, Json{{"code", "MEMO02"}, {"description", "Old price list"}, {"noteFile", "MEMO02.TXT"}});
}

}  // namespace sample
