// Helpers of the receivables, payables and cash journal tests: the books of
// fixtures/ledger_books.json with the transactions of a second fixture file,
// the records of a file, and the report as the preview showed it, by line,
// by transaction and by summary line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "journal_test_support.h"

namespace journaltest {

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    lines.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
    at = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

// The line of the report that holds `text` ("" when none does).
inline std::string LineWith(const std::string& report, const std::string& text) {
  const std::size_t at = report.find(text);
  if (at == std::string::npos) return "";
  const std::size_t start = report.rfind('\n', at) + 1;
  return report.substr(start, report.find('\n', at) - start);
}

// The text with every run of blanks made one blank, so that figures compare
// without counting the blanks of their columns.
inline std::string Squeezed(const std::string& text) {
  std::string out;
  for (const char c : text)
    if (c != ' ' || out.empty() || out.back() != ' ') out += c;
  return out;
}

inline std::string Trimmed(std::string s) {
  s.erase(0, s.find_first_not_of(' '));
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

// The print columns [x, x + width) of a line, trimmed.
inline std::string Cell(const std::string& line, std::size_t x, std::size_t width) {
  return x < line.size() ? Trimmed(line.substr(x, width)) : "";
}

// A transaction number as headers store it: right-justified in 10.
inline std::string TranNo(const std::string& number) {
  return std::string(10 - number.size(), ' ') + number;
}

// A header's transaction number, trimmed.
template <class Header>
std::string Number(const Header& h) {
  return Trimmed(std::string(h.transactionNumber, strnlen(h.transactionNumber, sizeof h.transactionNumber)));
}

// The transactions a journal page shows, in the order printed: the number
// of each line whose print columns [x, x + 10) hold digits right-justified,
// with a blank in column 0 and after the number.
inline std::vector<std::string> TransactionsShown(const std::string& text, std::size_t x) {
  std::vector<std::string> out;
  for (const std::string& line : Lines(text)) {
    if (line.size() < x + 12 || line[0] != ' ' || line[x + 9] == ' ' || line[x + 10] != ' ') continue;
    const std::string number = Trimmed(line.substr(x, 10));
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos) out.push_back(number);
  }
  return out;
}

// Where a journal's G/L summary table stands on its page.
struct SummaryLayout {
  const char* heading;         // a text of the column headings' line; the table follows it
  std::size_t debitX, creditX;  // print columns of the debit and credit amounts (11 wide)
  const char* totalsCaption;   // a text of the totals line; null: the first line without an account or name
};

// A journal's G/L summary: each account's line as "account name: Dr x" or
// "account name: Cr x" (account in print columns 1-10, name in 12-36), then
// the totals as "totals: x / y".
inline std::vector<std::string> SummaryLines(const std::string& page, const SummaryLayout& layout) {
  std::vector<std::string> out;
  bool inTable = false;
  for (const std::string& line : Lines(page)) {
    if (line.find(layout.heading) != std::string::npos) {
      inTable = true;
      continue;
    }
    if (!inTable || line.find("---") != std::string::npos || Trimmed(line).empty()) continue;
    const std::string debit = Cell(line, layout.debitX, 11), credit = Cell(line, layout.creditX, 11);
    const bool totals = layout.totalsCaption ? line.find(layout.totalsCaption) != std::string::npos
                                             : Cell(line, 1, 36).empty();
    if (totals) {
      out.push_back("totals: " + debit + " / " + credit);
      break;
    }
    out.push_back(Cell(line, 1, 10) + " " + Cell(line, 12, 25) + ": " + (debit.empty() ? "Cr " + credit : "Dr " + debit));
  }
  return out;
}

class LedgerJournalTest : public JournalTest {
 protected:
  // The books with the transactions of fixture file `transactions` and the
  // `extra` records.
  void LoadBooks(const std::string& transactions, const Json& extra = Json::object()) {
    Json records = Json::object();
    if (!transactions.empty()) {
      std::ifstream in(std::string(QX_JOURNAL_FIXTURES) + "/" + transactions);
      records = Json::parse(in)["files"];
    }
    for (auto it = extra.begin(); it != extra.end(); ++it)
      for (const Json& record : it.value()) records[it.key()].push_back(record);
    LoadCompany("ledger_books.json", records);
  }

  // Every record of file `fileNo`, as `Record`s in the file's position order.
  template <class Record>
  std::vector<Record> Records(int fileNo) {
    std::vector<Record> out;
    const fixture::CompanyImage image = Snapshot();
    const auto it = image.files.find(fileNo);
    if (it == image.files.end()) return out;
    for (const auto& bytes : it->second) {
      Record r{};
      EXPECT_TRUE(records::FromImage(bytes, &r));
      out.push_back(r);
    }
    return out;
  }

  // Writes a comment file of the company.
  void WriteComments(const std::string& name, const std::string& text) {
    fs::create_directories(company_ + "/comments");
    WriteAll(company_ + "/comments/" + name, text);
  }

  // Runs `entry` for command `commandId` at its selection window on `keys`;
  // the transcript.
  template <class Entry>
  std::string Run(int commandId, const std::string& keys, Entry entry) {
    SharedAppBlockGet()->currentCommand = commandId;
    Start(keys);
    EXPECT_EQ(entry(), 0);
    return Finish();
  }
};

}  // namespace journaltest
