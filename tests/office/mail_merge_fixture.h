// Fixtures of the mail-merge tests: main documents written from readable
// XML, in a folder of their own.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "automation/wordprocessor/docx_package.h"

namespace qx::test {

namespace fs = std::filesystem;

inline constexpr const char* kW = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr const char* kR = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A paragraph "Dear «First» «Last»," with a simple and a complex field.
inline const std::string kLetterBody =
    "<w:p><w:r><w:t xml:space=\"preserve\">Dear </w:t></w:r>"
    "<w:fldSimple w:instr=\" MERGEFIELD First \"><w:r><w:t>&#171;First&#187;</w:t></w:r></w:fldSimple>"
    "<w:r><w:t xml:space=\"preserve\"> </w:t></w:r>"
    "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> MERGEFIELD Last </w:instrText></w:r>"
    "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>&#171;Last&#187;</w:t></w:r>"
    "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r><w:r><w:t>,</w:t></w:r></w:p>";

inline const std::string kPlainBody = "<w:p><w:r><w:t>A letter without fields.</w:t></w:r></w:p>";

inline std::string DocumentXml(const std::string& body) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document xmlns:w=\"") + kW +
         "\" xmlns:r=\"" + kR + "\"><w:body>" + body +
         "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr></w:body></w:document>";
}

// How a fixture document is set up for merging.
enum class Merge { kNone, kMainOnly, kDataSource };

// Writes a .docx at `path` with `body`; with Merge::kDataSource its data
// source is the relationship target `target` ("file:///C:\DATA\CUST.TXT").
inline void WriteDocx(const fs::path& path, const std::string& body, Merge merge, const std::string& target = {}) {
  automation::wordprocessor::Package package;
  package.Put("[Content_Types].xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
              "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
              "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
              "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>");
  package.Put("_rels/.rels",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
              "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
              "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
              "Target=\"word/document.xml\"/></Relationships>");
  package.Put("word/document.xml", DocumentXml(body));
  if (merge != Merge::kNone) {
    package.Put("word/_rels/document.xml.rels",
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
                "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings\" "
                "Target=\"settings.xml\"/></Relationships>");
    std::string mailMerge = "<w:mailMerge><w:mainDocumentType w:val=\"formLetters\"/>";
    if (merge == Merge::kDataSource) {
      mailMerge += "<w:dataType w:val=\"textFile\"/><w:dataSource r:id=\"rId7\"/>";
      package.Put("word/_rels/settings.xml.rels",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
                  "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId7\" "
                  "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/mailMergeSource\" "
                  "Target=\"" + target + "\" TargetMode=\"External\"/></Relationships>");
    }
    mailMerge += "</w:mailMerge>";
    package.Put("word/settings.xml", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:settings xmlns:w=\"") +
                                         kW + "\" xmlns:r=\"" + kR + "\">" + mailMerge + "</w:settings>");
  }
  std::string bytes;
  if (!package.Write(&bytes).empty()) throw std::runtime_error("fixture not written");
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A folder of the test's own, removed afterwards.
class TestFolder {
 public:
  explicit TestFolder(const std::string& name)
      : path_(fs::temp_directory_path() / ("qxmerge-" + name + "-" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TestFolder() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

}  // namespace qx::test
