#include "automation/wordprocessor/data_source.h"

#include "automation/wordprocessor/files.h"
#include "automation/wordprocessor/text.h"

namespace qx::automation::wordprocessor {

namespace {

// Data sources are read whole; a mailing list of this size is far beyond
// what a merge is for, and the limit keeps a wrong file from eating memory.
constexpr std::size_t kMaxDataSourceBytes = std::size_t(256) << 20;

std::string Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

char DelimiterOf(std::string_view text) {
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    else if (!quoted && (c == '\n' || c == '\r')) break;
    else if (!quoted && c == '\t') return '\t';
  }
  return ',';
}

// "The data source "cust.txt", line 5, <what>"
std::string AtLine(std::string_view name, std::size_t line, std::string_view what) {
  std::string text = "The data source ";
  if (!name.empty()) text += "\"" + std::string(name) + "\", ";
  return text + "line " + std::to_string(line) + ", " + std::string(what);
}

}  // namespace

int DataSource::FieldIndex(std::string_view name) const {
  const std::string wanted = Trim(name);
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (EqualIgnoringAsciiCase(fields[i], wanted)) return static_cast<int>(i);
  }
  return -1;
}

std::string ParseDataSource(std::string_view text, std::string_view name, DataSource* out) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  if (const std::size_t bad = InvalidUtf8At(text); bad != std::string_view::npos) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < bad; ++i) line += text[i] == '\n';
    return AtLine(name, line, "is not UTF-8 text: save it with the UTF-8 encoding.");
  }
  const char delimiter = DelimiterOf(text);

  std::vector<std::vector<std::string>> rows;
  std::vector<std::size_t> rowLines;
  std::size_t line = 1;
  std::size_t i = 0;
  while (i < text.size()) {
    // One record.
    const std::size_t startLine = line;
    std::vector<std::string> row;
    std::string field;
    bool endOfRecord = false;
    if (text[i] == '\n' || text[i] == '\r') {  // an empty line
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++i;
      ++line;
      continue;
    }
    while (!endOfRecord) {
      field.clear();
      if (i < text.size() && text[i] == '"') {
        ++i;
        for (;;) {
          if (i >= text.size()) return AtLine(name, startLine, "has a quoted field that is never closed.");
          const char c = text[i++];
          if (c == '"') {
            if (i < text.size() && text[i] == '"') {
              field += '"';
              ++i;
              continue;
            }
            break;
          }
          if (c == '\n') ++line;
          else if (c == '\r' && (i >= text.size() || text[i] != '\n')) ++line;
          field += c;
        }
        if (i < text.size() && text[i] != delimiter && text[i] != '\n' && text[i] != '\r') {
          return AtLine(name, line, "has text after the closing quote of a field.");
        }
      } else {
        while (i < text.size() && text[i] != delimiter && text[i] != '\n' && text[i] != '\r') field += text[i++];
      }
      row.push_back(field);
      if (i < text.size() && text[i] == delimiter) {
        ++i;
        continue;
      }
      // End of the record: a line break or the end of the text.
      if (i < text.size()) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        ++i;
        ++line;
      }
      endOfRecord = true;
    }
    rows.push_back(std::move(row));
    rowLines.push_back(startLine);
  }

  if (rows.empty()) {
    return "The data source " + (name.empty() ? std::string() : "\"" + std::string(name) + "\" ") +
           "is empty: its first line must name the fields.";
  }
  DataSource parsed;
  for (const std::string& header : rows[0]) parsed.fields.push_back(Trim(header));
  const std::size_t width = parsed.fields.size();
  for (std::size_t r = 1; r < rows.size(); ++r) {
    std::vector<std::string>& row = rows[r];
    if (row.size() > width) {
      for (std::size_t k = width; k < row.size(); ++k) {
        if (!row[k].empty()) {
          return AtLine(name, rowLines[r], "has " + std::to_string(row.size()) + " fields; the first line names " +
                                         std::to_string(width) + ".");
        }
      }
    }
    row.resize(width);
    parsed.records.push_back(std::move(row));
  }
  *out = std::move(parsed);
  return {};
}

std::string ReadDataSource(const std::string& path, DataSource* out) {
  std::string bytes;
  if (std::string error = ReadWholeFile(path, kMaxDataSourceBytes, &bytes); !error.empty()) {
    return "The data source cannot be read: " + error;
  }
  return ParseDataSource(bytes, path, out);
}

}  // namespace qx::automation::wordprocessor
