// Fuzzes the mail-merge data-source reader with arbitrary bytes, as a caller
// may name any file as the data source.
//
// Besides the sanitizers' checks, it asserts what the reader promises: every
// record has one value per field; a refusal names the line; and what was
// read, written back with every field quoted, reads back to the same fields
// and records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "automation/wordprocessor/data_source.h"

namespace {

namespace wp = qx::automation::wordprocessor;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string Quoted(const std::string& value) {
  std::string out = "\"";
  for (char c : value) {
    out += c;
    if (c == '"') out += '"';
  }
  return out + "\"";
}

std::string Written(const wp::DataSource& data, char delimiter) {
  std::string text;
  const auto line = [&](const std::vector<std::string>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) text += (i ? std::string(1, delimiter) : "") + Quoted(values[i]);
    text += "\r\n";
  };
  line(data.fields);
  for (const auto& record : data.records) line(record);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  wp::DataSource source;
  const std::string error = wp::ParseDataSource(text, "fuzz.txt", &source);
  if (!error.empty()) {
    Check(error.find("fuzz.txt") != std::string::npos);
    return 0;
  }
  for (const auto& record : source.records) Check(record.size() == source.fields.size());
  for (const std::string& field : source.fields) Check(source.FieldIndex(field) >= 0);

  // Every field quoted: any delimiter reads back the same.
  wp::DataSource again;
  Check(wp::ParseDataSource(Written(source, ','), "again.txt", &again).empty());
  Check(again.fields == source.fields);
  Check(again.records == source.records);
  return 0;
}
