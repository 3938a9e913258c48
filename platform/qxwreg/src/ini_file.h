// An ini file held as its lines, read and changed by section and key.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qxwreg {

class IniFile {
 public:
  // Reads `path`; a missing file reads as empty.  False when the file exists
  // but cannot be read.
  bool Load(const std::string& path);

  // Takes the lines of `text` (LF ends a line; carriage returns before it
  // are dropped), as Load takes a file's.
  void Parse(std::string_view text);

  // The lines as Save writes them, each ended by LF.
  std::string Text() const;

  // The value of `key` in `section` (names without regard to ASCII case),
  // blanks around it removed.
  std::optional<std::string> Get(const std::string& section, const std::string& key) const;

  // Sets the value, adding the section and the key when missing.  Other lines
  // (comments, other sections and keys) stay as they were.
  void Set(const std::string& section, const std::string& key, const std::string& value);

  // Writes the lines to `path` through a temporary file in the same folder
  // that replaces `path` once it is complete.  False, with `path` unchanged,
  // when that fails.
  bool Save(const std::string& path) const;

 private:
  std::vector<std::string> lines_;
};

}  // namespace qxwreg
