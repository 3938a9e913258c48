// Whole-file reads and writes of the word-processor server.  A file it
// writes is complete or absent: the bytes go to a temporary file in the same
// folder, are flushed, and only then take the file's name.
//
// Each function returns an empty text on success, else a sentence saying
// what went wrong (naming the file).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qx::automation::wordprocessor {

// Reads the regular file at `path` into *bytes; refuses folders and files
// larger than `limit` bytes.
std::string ReadWholeFile(const std::string& path, std::size_t limit, std::string* bytes);

// Writes `bytes` to `path`, replacing the file there (whose permissions the
// new file keeps).
std::string ReplaceFile(const std::string& path, std::string_view bytes);

// Writes `bytes` to a new file in `folder` named stem + extension, or
// stem + "-2" + extension, "-3", ... for the first name not taken; never
// replaces a file.  Sets *path to the file written.
std::string WriteNewFile(const std::string& folder, const std::string& stem, const std::string& extension,
                         std::string_view bytes, std::string* path);

// The folder part of `path` ("." when it has none).
std::string FolderOf(const std::string& path);

}  // namespace qx::automation::wordprocessor
