// The address of a customer or vendor as documents and listings print it.
#include "address_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "report_frame.h"

namespace {

constexpr int kLines = 3;

void SetLine(records::CustVendRecord* record, int i, const std::string& text) {
  char (&line)[41] = record->addressLines[i];
  std::memset(line, 0, sizeof line);
  std::memcpy(line, text.data(), std::min(text.size(), sizeof line - 1));
}

// The index of the last address line that holds anything, −1 when none does.
int LastLine(const records::CustVendRecord& record) {
  for (int i = kLines - 1; i >= 0; --i)
    if (!TrimField(record.addressLines[i]).empty()) return i;
  return -1;
}

}  // namespace

std::vector<std::string> AddressLines(const records::CustVendRecord& record) {
  std::vector<std::string> lines;
  for (const auto& line : record.addressLines) {
    std::string text = TrimField(line);
    if (!text.empty()) lines.push_back(std::move(text));
  }
  return lines;
}

std::string ClosingAddressLine(const records::CustVendRecord& record) {
  const std::vector<std::string> lines = AddressLines(record);
  if (lines.empty()) return "";
  std::string closing = lines.back();
  const std::string zip = TrimField(record.zipCode);
  // A zip code of nine digits is written ccccc-cccc; its first five are
  // enough to know that the line holds it.
  if (!zip.empty() && closing.find(zip.substr(0, std::min<std::size_t>(zip.size(), 5))) == std::string::npos) {
    std::string shown = zip;
    if (zip.size() == 9 && zip.find_first_not_of("0123456789") == std::string::npos)
      shown = zip.substr(0, 5) + "-" + zip.substr(5);
    closing += "  " + shown;
  }
  return closing;
}

void FormatAddressLine(const records::CustVendRecord* record, char* closingLine) {
  if (closingLine == nullptr) return;
  std::memset(closingLine, 0, 61);
  if (record == nullptr) return;
  const std::string closing = ClosingAddressLine(*record);
  std::memcpy(closingLine, closing.data(), std::min<std::size_t>(closing.size(), 60));
}

void AddressFormatBegin(records::CustVendRecord* record, int apart) {
  if (record == nullptr) return;
  if (apart) {
    const int last = LastLine(*record);
    if (last >= 0) SetLine(record, last, "");
  }
  const std::vector<std::string> lines = AddressLines(*record);
  for (int i = 0; i < kLines; ++i) SetLine(record, i, i < static_cast<int>(lines.size()) ? lines[i] : "");
}

void AddressFormatEnd(records::CustVendRecord* record, int /*apart*/) {
  if (record == nullptr) return;
  const std::vector<std::string> lines = AddressLines(*record);
  const int blanks = kLines - static_cast<int>(lines.size());
  for (int i = 0; i < kLines; ++i) SetLine(record, i, i < blanks ? "" : lines[static_cast<std::size_t>(i - blanks)]);
}
