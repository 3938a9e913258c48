// Fuzzes the .docx main-document reader, as a caller may name any file as
// the main document: the package (zip) and the document's XML, its merge
// fields, its running text, a merge of its fields and the printer's PDF.
//
// An input whose first byte is "P" is taken as the bytes of a .docx file;
// any other input is the text of its word/document.xml (after that first
// byte), packed into a .docx here, so that the XML and the merge are fuzzed
// past the zip.  Besides the sanitizers' checks, it asserts that a document
// read is written to a file that reads back with the same merge fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "automation/wordprocessor/data_source.h"
#include "automation/wordprocessor/docx_package.h"
#include "automation/wordprocessor/flow.h"
#include "automation/wordprocessor/pdf_file.h"
#include "automation/wordprocessor/word_document.h"
#include "fontconfig_leaks.h"  // the printer's PDF is drawn through pango

namespace {

namespace wp = qx::automation::wordprocessor;

void Check(bool condition) {
  if (!condition) std::abort();
}

std::string Packed(std::string_view documentXml) {
  wp::Package package;
  package.Put("[Content_Types].xml",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
              "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/></Types>");
  package.Put("_rels/.rels",
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships "
              "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship Id=\"rId1\" "
              "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
              "Target=\"word/document.xml\"/></Relationships>");
  package.Put("word/document.xml", std::string(documentXml));
  std::string bytes;
  Check(package.Write(&bytes).empty());
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 64 * 1024) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string bytes = input[0] == 'P' ? std::string(input) : Packed(input.substr(1));

  std::string error;
  const auto document = wp::WordDocument::Read(bytes, &error);
  if (!document) {
    Check(!error.empty());
    return 0;
  }
  const auto fields = document->MergeFields();
  (void)document->DataSourceName();
  (void)document->MainDocumentType();
  (void)wp::PlainText(document->Flow());

  std::string written;
  Check(document->Write(&written).empty());
  const auto reread = wp::WordDocument::Read(written, &error);
  Check(reread != nullptr);
  Check(reread->MergeFields().size() == fields.size());

  // Two records with a value for every field the document names.
  wp::DataSource source;
  for (const auto& field : fields) {
    if (source.FieldIndex(field.name) < 0 && !field.name.empty()) source.fields.push_back(field.name);
  }
  if (source.fields.empty()) source.fields.push_back("Name");
  source.records.assign(2, std::vector<std::string>(source.fields.size(), "Alder \"Hardware\"\nLakeside"));
  source.records[1].assign(source.fields.size(), "");
  for (bool suppress : {false, true}) {
    const auto merged = document->Merge(source, 0, 1, suppress, &error);
    if (!merged) continue;
    (void)wp::RenderPdf(merged->Flow(), "Letter");
    std::string mergedBytes;
    Check(merged->Write(&mergedBytes).empty());
  }
  return 0;
}
