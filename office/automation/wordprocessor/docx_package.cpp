#include "automation/wordprocessor/docx_package.h"

#include <zip.h>

#include <algorithm>

#include "automation/wordprocessor/text.h"

namespace qx::automation::wordprocessor {

namespace {

constexpr zip_int64_t kMaxParts = 10000;
constexpr zip_uint64_t kMaxTotalBytes = zip_uint64_t(512) << 20;

std::string ZipError(zip_error_t* error) {
  std::string text = zip_error_strerror(error);
  zip_error_fini(error);
  return text;
}

// Releases an archive without writing it (on every way out of a read or a
// failed write).
struct Archive {
  zip_t* zip = nullptr;
  ~Archive() {
    if (zip) zip_discard(zip);
  }
};

struct Source {
  zip_source_t* source = nullptr;
  ~Source() {
    if (source) zip_source_free(source);
  }
};

struct OpenFile {
  zip_file_t* file = nullptr;
  ~OpenFile() {
    if (file) zip_fclose(file);
  }
};

}  // namespace

std::string Package::Read(std::string_view bytes, Package* out) {
  zip_error_t error;
  zip_error_init(&error);
  Source source{zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error)};
  if (!source.source) return ZipError(&error);
  Archive archive{zip_open_from_source(source.source, ZIP_RDONLY, &error)};
  if (!archive.zip) {
    const bool notZip = zip_error_code_zip(&error) == ZIP_ER_NOZIP;
    const std::string text = ZipError(&error);
    return notZip ? "it is not a .docx file" : "it is damaged (" + text + ")";
  }
  zip_source_keep(source.source);  // the archive holds a reference of its own until discarded

  const zip_int64_t count = zip_get_num_entries(archive.zip, 0);
  if (count < 0 || count > kMaxParts) return "it has too many parts for a document";
  Package package;
  zip_uint64_t total = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive.zip, static_cast<zip_uint64_t>(i), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME) ||
        !(stat.valid & ZIP_STAT_SIZE)) {
      return "it is damaged (a part cannot be read)";
    }
    std::string name = stat.name;
    if (!name.empty() && name.back() == '/') continue;  // a folder entry
    total += stat.size;
    if (stat.size > kMaxTotalBytes || total > kMaxTotalBytes) return "its parts are larger than a document can be";
    OpenFile file{zip_fopen_index(archive.zip, static_cast<zip_uint64_t>(i), 0)};
    if (!file.file) return "it is damaged (part \"" + name + "\": " + zip_strerror(archive.zip) + ")";
    std::string data(static_cast<std::size_t>(stat.size), '\0');
    const zip_int64_t read = zip_fread(file.file, data.data(), stat.size);
    char extra = 0;
    // A part must hold exactly the size its header gives.
    if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size || zip_fread(file.file, &extra, 1) != 0) {
      return "it is damaged (part \"" + name + "\" cannot be read)";
    }
    package.parts_.emplace_back(std::move(name), std::move(data));
  }
  *out = std::move(package);
  return {};
}

std::string Package::Write(std::string* bytes) const {
  zip_error_t error;
  zip_error_init(&error);
  Source source{zip_source_buffer_create(nullptr, 0, 0, &error)};
  if (!source.source) return ZipError(&error);
  Archive archive{zip_open_from_source(source.source, ZIP_TRUNCATE, &error)};
  if (!archive.zip) return ZipError(&error);
  zip_source_keep(source.source);  // keep the written bytes after the archive closes

  for (const auto& [name, data] : parts_) {
    zip_source_t* part = zip_source_buffer(archive.zip, data.data(), data.size(), 0);
    if (!part) return zip_strerror(archive.zip);
    if (zip_file_add(archive.zip, name.c_str(), part, ZIP_FL_ENC_UTF_8) < 0) {
      zip_source_free(part);
      return zip_strerror(archive.zip);
    }
  }
  if (zip_close(archive.zip) != 0) return zip_strerror(archive.zip);  // still ours to discard
  archive.zip = nullptr;

  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_source_stat(source.source, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
    return zip_error_strerror(zip_source_error(source.source));
  }
  std::string written(static_cast<std::size_t>(stat.size), '\0');
  if (zip_source_open(source.source) != 0) return zip_error_strerror(zip_source_error(source.source));
  const zip_int64_t read = zip_source_read(source.source, written.data(), stat.size);
  zip_source_close(source.source);
  if (read < 0 || static_cast<zip_uint64_t>(read) != stat.size) return "the document could not be assembled";
  *bytes = std::move(written);
  return {};
}

const std::string* Package::Find(std::string_view name) const {
  for (const auto& [partName, data] : parts_) {
    if (EqualIgnoringAsciiCase(partName, name)) return &data;
  }
  return nullptr;
}

void Package::Put(std::string_view name, std::string data) {
  for (auto& [partName, partData] : parts_) {
    if (EqualIgnoringAsciiCase(partName, name)) {
      partData = std::move(data);
      return;
    }
  }
  parts_.emplace_back(std::string(name), std::move(data));
}

void Package::Remove(std::string_view name) {
  std::erase_if(parts_, [&](const auto& part) { return EqualIgnoringAsciiCase(part.first, name); });
}

}  // namespace qx::automation::wordprocessor
