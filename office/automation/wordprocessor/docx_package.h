// A document file's package in memory: the named parts of a zip archive, in
// the order the archive holds them.  The only code that knows the zip format
// (through libzip).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qx::automation::wordprocessor {

class Package {
 public:
  // Reads the archive in `bytes` into *out.  Returns an empty text, or what
  // is wrong: not a zip archive, a damaged part, or more than the parts and
  // sizes a document can sensibly have (so that a crafted archive cannot
  // exhaust memory).
  static std::string Read(std::string_view bytes, Package* out);

  // Writes the archive (deflated parts, names in UTF-8) to *bytes.  Returns
  // an empty text or what went wrong.
  std::string Write(std::string* bytes) const;

  // The part called `name` (compared without ASCII case, as part names are),
  // or null.
  const std::string* Find(std::string_view name) const;
  // Replaces the part called `name`, or adds it at the end.
  void Put(std::string_view name, std::string data);
  void Remove(std::string_view name);

 private:
  std::vector<std::pair<std::string, std::string>> parts_;
};

}  // namespace qx::automation::wordprocessor
