// The address lines of a customer or vendor.
#include "address_lines.h"

#include <cctype>

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
