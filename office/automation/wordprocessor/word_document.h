// A word-processing document (.docx) in memory: its package, its body and
// its mail-merge settings, as the word-processor server reads, changes,
// merges and writes it.  The only code that knows the document's XML
// (through libxml2).
//
// Mail-merge settings live where word processors keep them, in the
// document's settings part (word/settings.xml, element w:mailMerge): the
// main document type, and the data source as an external relationship of
// the settings part (with the query naming the same file).
//
// Merge fields are the body's MERGEFIELD fields, simple (w:fldSimple) or
// complex (w:fldChar begin, w:instrText, separate, result, end) with begin
// and end in one paragraph; fields nested inside other fields are left as
// they are.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/wordprocessor/data_source.h"
#include "automation/wordprocessor/flow.h"
#include "automation/wordprocessor/merge_field.h"

namespace qx::automation::wordprocessor {

class WordDocument {
 public:
  ~WordDocument();
  WordDocument(const WordDocument&) = delete;
  WordDocument& operator=(const WordDocument&) = delete;

  // A new document: one empty paragraph on a Letter page with 1-inch
  // margins, 12-point text, no merge settings.
  static std::unique_ptr<WordDocument> Blank();

  // Reads a .docx file's bytes.  Returns null and sets *error (a phrase such
  // as "it is not a .docx file") when the bytes are not a document.
  static std::unique_ptr<WordDocument> Read(std::string_view bytes, std::string* error);

  // The document as a .docx file.  Returns an empty text or what went wrong.
  std::string Write(std::string* bytes) const;

  // The main document type (0 form letters, ...) or -1 when the document has
  // no merge settings.  Setting -1 removes the merge settings.
  int MainDocumentType() const;
  void SetMainDocumentType(int type);

  // The path of the attached data source; empty when none.
  std::string DataSourceName() const;
  // Attaches the delimited text file at `path` as the data source (the
  // document becomes a form-letter main document if it was none).
  void AttachDataSource(const std::string& path);
  // Records where merges go (0 new document, 1 printer, 2 e-mail).
  void SetDestination(int destination);

  // The merge fields of the body, in document order.
  std::vector<MergeField> MergeFields() const;

  // Appends text to the last paragraph in a run of its own.
  void TypeText(std::string_view text, bool bold, bool italic);
  // Starts a new paragraph after the last one.
  void TypeParagraph();

  // The merged document of records first..last (0-based, inclusive) of
  // `data`: the body once per record, each record a section of its own that
  // starts on a new page, every merge field replaced by its text.  With
  // `suppressBlankLines`, a paragraph whose merge fields are all empty and
  // that holds nothing else but blanks is left out.  The result has no merge
  // settings.  Returns null and sets *error when a merge field names no
  // field of `data`, or when one record's copy of the body would hold more
  // than two million characters of text.  The work grows with the
  // document's size and the records merged.
  std::unique_ptr<WordDocument> Merge(const DataSource& data, std::size_t first, std::size_t last,
                                      bool suppressBlankLines, std::string* error) const;

  // The body as running text with the page setup of its last section.
  FlowDocument Flow() const;

 private:
  struct Rep;
  explicit WordDocument(std::unique_ptr<Rep> rep);
  std::unique_ptr<Rep> rep_;
};

}  // namespace qx::automation::wordprocessor
