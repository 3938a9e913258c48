// Helpers of the receivables, payables and cash journal tests: the books of
// fixtures/ledger_books.json with the transactions of a second fixture file,
// the records of a file, and the report as the preview showed it, by page
// and by line.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "journal_test_support.h"

namespace journaltest {

// The report's pages as the preview showed them (each from its first line to
// its footer).
inline std::vector<std::string> ReportPages(const std::string& transcript) {
  std::vector<std::string> pages;
  const std::string text = PreviewText(transcript);
  std::size_t at = 0;
  while ((at = text.find("--- page ", at)) != std::string::npos) {
    const std::size_t start = text.find('\n', at) + 1;
    const std::size_t next = text.find("--- page ", start);
    pages.push_back(text.substr(start, next == std::string::npos ? std::string::npos : next - start));
    at = start;
  }
  return pages;
}

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
