// The address lines of a customer or vendor.
#include "address_lines.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "report_frame.h"

std::vector<std::string> AddressLines(const records::CustVendRecord& record) {
  std::vector<std::string> lines;
  for (const auto& line : record.addressLines) {
    std::string text = TrimField(line);
    if (!text.empty()) lines.push_back(std::move(text));
  }
  return lines;
}

std::string ZipCodeText(const std::string& zip) {
  if (zip.size() != 9) return zip;
  for (char c : zip)
    if (!std::isdigit(static_cast<unsigned char>(c))) return zip;
  return zip.substr(0, 5) + "-" + zip.substr(5);
}

std::string FormatAddressLine(const records::CustVendRecord& record) {
  const std::vector<std::string> lines = AddressLines(record);
  const std::string stored = TrimField(record.zipCode);
  std::string closing = lines.empty() ? std::string() : lines.back();
  if (stored.empty()) return closing;
  const std::string zip = ZipCodeText(stored);
  if (closing.find(stored) != std::string::npos || closing.find(zip) != std::string::npos) return closing;
  return closing.empty() ? zip : closing + "  " + zip;
}

std::vector<std::string> AddressStreetLines(const records::CustVendRecord& record) {
  std::vector<std::string> lines = AddressLines(record);
  if (!lines.empty()) lines.pop_back();
  return lines;
}

namespace {

constexpr int kAddressLines = 3;

void SetLine(records::CustVendRecord* record, int i, const std::string& text) {
  char (&line)[41] = record->addressLines[i];
  std::memset(line, 0, sizeof line);
  std::memcpy(line, text.data(), std::min(text.size(), sizeof line - 1));
}

}  // namespace

void FormatAddressLine(const records::CustVendRecord* record, char* closingLine) {
  if (closingLine == nullptr) return;
  std::memset(closingLine, 0, 61);
  if (record == nullptr) return;
  const std::string closing = FormatAddressLine(*record);
  std::memcpy(closingLine, closing.data(), std::min<std::size_t>(closing.size(), 60));
}

void AddressFormatBegin(records::CustVendRecord* record, int apart) {
  if (record == nullptr) return;
  if (apart) {
    for (int i = kAddressLines - 1; i >= 0; --i) {
      if (TrimField(record->addressLines[i]).empty()) continue;
      SetLine(record, i, "");
      break;
    }
  }
  const std::vector<std::string> lines = AddressLines(*record);
  for (int i = 0; i < kAddressLines; ++i) SetLine(record, i, i < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(i)] : "");
}

void AddressFormatEnd(records::CustVendRecord* record, int /*apart*/) {
  if (record == nullptr) return;
  const std::vector<std::string> lines = AddressLines(*record);
  const int blanks = kAddressLines - static_cast<int>(lines.size());
  for (int i = 0; i < kAddressLines; ++i)
    SetLine(record, i, i < blanks ? "" : lines[static_cast<std::size_t>(i - blanks)]);
}
