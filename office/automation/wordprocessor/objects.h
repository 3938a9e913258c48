// Internal to the word-processor server: what its object classes share.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/server.h"
#include "automation/wordprocessor/application.h"
#include "automation/wordprocessor/data_source.h"
#include "automation/wordprocessor/object_model.h"
#include "automation/wordprocessor/word_document.h"

namespace qx::automation::wordprocessor {

// One open document and the mail-merge state the server keeps with it.
struct DocumentState {
  std::unique_ptr<WordDocument> document;
  std::string path;  // the file it was opened from or saved to; empty for a new one
  bool readOnly = false;
  bool open = true;
  bool shown = false;

  int destination = kToNewDocument;
  bool suppressBlankLines = false;
  bool mailAsAttachment = false;
  std::string mailAddressFieldName;
  std::string mailSubject;
  std::optional<DataSource> data;  // as read when the data source was attached
  int firstRecord = 1;
  int lastRecord = kLastRecordOfSource;
};

struct ApplicationState {
  ServerOptions options;
  std::vector<std::shared_ptr<DocumentState>> documents;  // the last is the active one
  bool visible = false;
  bool bold = false;    // the style of what the selection types next
  bool italic = false;
};

class WordProcessorObject : public DispatchObject {
 protected:
  const char* Source() const override { return "Word processor"; }
};

DispatchPtr MakeMailMerge(std::shared_ptr<ApplicationState> application, std::shared_ptr<DocumentState> document);

// Refuses a call on a document that has been closed.
void RequireOpen(const DocumentState& document);

// Writes the document to `path` (see files.h); refusals as Fault.
void SaveDocument(DocumentState& document, const std::string& path);

// Hands the files of the shown documents to the user (the desktop's opener),
// telling the user of a file that could not be opened.
void ShowDocuments(const ApplicationState& application);

// `path` made absolute against the current folder (unchanged on failure).
std::string AbsolutePath(const std::string& path);

}  // namespace qx::automation::wordprocessor
