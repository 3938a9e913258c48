#include "automation/wordprocessor/application.h"

#include <filesystem>
#include <system_error>

#include "automation/desktop.h"
#include "automation/messages.h"
#include "automation/wordprocessor/date_time_format.h"
#include "automation/wordprocessor/files.h"
#include "automation/wordprocessor/objects.h"

namespace qx::automation::wordprocessor {

namespace {

// Documents larger than this are not read: no letter comes near it, and a
// wrong file must not exhaust memory.
constexpr std::size_t kMaxDocumentBytes = std::size_t(256) << 20;

// Checks an argument that only an empty text (or its absence) may fill.
void RequireEmptyText(const ArgList& args, std::size_t i, const char* refusal) {
  if (args.Present(i) && !args.Text(i).empty()) throw Fault::Refused(refusal);
}

void CheckFlags(const ArgList& args, std::initializer_list<std::size_t> indexes) {
  for (std::size_t i : indexes) {
    if (args.Present(i)) args.Bool(i);
  }
}

// SaveChanges of Close and Quit: a Boolean, or the constants 0 (do not
// save), -1 (save) and -2 (ask: there is no one to ask, so do not save).
bool SaveRequested(const ArgList& args) {
  if (!args.Present(0)) return false;
  return args.I4(0) == -1 || (args.Arg(0).type() == VarType::kI2 && args.I4(0) == 1);
}

void CloseDocument(ApplicationState& application, const std::shared_ptr<DocumentState>& document, bool save) {
  if (save) {
    if (document->path.empty()) throw Fault::Refused("The document has no file yet: save it with SaveAs first.");
    SaveDocument(*document, document->path);
  }
  document->open = false;
  std::erase(application.documents, document);
}

class FontObject final : public WordProcessorObject {
 public:
  explicit FontObject(std::shared_ptr<ApplicationState> application) : application_(std::move(application)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    bool* style = nullptr;
    switch (args.member()) {
      case member::kBold: style = &application_->bold; break;
      case member::kItalic: style = &application_->italic; break;
      default: args.NoSuchMember();
    }
    if (args.IsPut()) {
      args.ExpectPut();
      *style = args.Bool(args.ValueIndex());
      return {};
    }
    args.ExpectGet();
    return Variant::I4(*style ? -1 : 0);
  }

 private:
  std::shared_ptr<ApplicationState> application_;
};

class SelectionObject final : public WordProcessorObject {
 public:
  explicit SelectionObject(std::shared_ptr<ApplicationState> application) : application_(std::move(application)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    switch (args.member()) {
      case member::kFont:
        args.ExpectGet();
        return Variant::Object(std::make_shared<FontObject>(application_));
      case member::kTypeText:
        args.ExpectMethod(1, 1);
        Active().TypeText(args.Text(0), application_->bold, application_->italic);
        return {};
      case member::kTypeParagraph:
        args.ExpectMethod(0, 0);
        Active().TypeParagraph();
        return {};
      case member::kInsertDateTimeVersion8:
        args.ExpectMethod(0, 3);
        InsertDateTime(args);
        return {};
      case member::kInsertDateTime:
        args.ExpectMethod(0, 5);
        InsertDateTime(args);
        return {};
    }
    args.NoSuchMember();
  }

 private:
  WordDocument& Active() {
    if (application_->documents.empty()) throw Fault::Refused("There is no document to type in.");
    return *application_->documents.back()->document;
  }

  // InsertDateTime (DateTimeFormat, InsertAsField, InsertAsFullWidth
  // [, DateLanguage, CalendarType]): the date as text in the picture given.
  void InsertDateTime(const ArgList& args) {
    const std::string picture = args.Present(0) ? args.Text(0) : "M/d/yyyy";
    if (args.Present(1) && args.Bool(1)) throw Fault::Refused("Dates are inserted as text only, not as fields.");
    CheckFlags(args, {2});
    std::tm now{};
    if (application_->options.now) {
      now = application_->options.now();
    } else {
      const std::time_t clock = std::time(nullptr);
      localtime_r(&clock, &now);
    }
    Active().TypeText(FormatDateTime(picture, now), application_->bold, application_->italic);
  }

  std::shared_ptr<ApplicationState> application_;
};

class DocumentObject final : public WordProcessorObject {
 public:
  DocumentObject(std::shared_ptr<ApplicationState> application, std::shared_ptr<DocumentState> document)
      : application_(std::move(application)), document_(std::move(document)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    RequireOpen(*document_);
    switch (args.member()) {
      case member::kMailMerge:
        args.ExpectGet();
        return Variant::Object(MakeMailMerge(application_, document_));
      case member::kShowInWindow:
        if (args.IsPut()) {
          args.ExpectPut();
          document_->shown = args.Bool(args.ValueIndex());
          return {};
        }
        args.ExpectGet();
        return Variant::Boolean(document_->shown);
      case member::kSaveAs:
        args.ExpectMethod(1, 11);
        SaveAs(args);
        return {};
      case member::kClose:
        args.ExpectMethod(0, 3);
        CloseDocument(*application_, document_, SaveRequested(args));
        return {};
    }
    args.NoSuchMember();
  }

 private:
  // SaveAs (FileName, FileFormat, LockComments, Password, AddToRecentFiles,
  // WritePassword, ReadOnlyRecommended, EmbedTrueTypeFonts,
  // SaveNativePictureFormat, SaveFormsData, SaveAsAOCELetter).
  void SaveAs(const ArgList& args) {
    const std::string path = args.Text(0);
    if (path.empty()) throw Fault::Refused("The file name is empty.");
    if (args.Present(1) && args.I4(1) != kFormatDocument) {
      throw Fault::Refused("Documents are saved in the .docx format only (file format 0).");
    }
    RequireEmptyText(args, 3, "Passwords are not supported.");
    RequireEmptyText(args, 5, "Passwords are not supported.");
    CheckFlags(args, {2, 4, 6, 7, 8, 9, 10});
    SaveDocument(*document_, AbsolutePath(path));
  }

  std::shared_ptr<ApplicationState> application_;
  std::shared_ptr<DocumentState> document_;
};

class DocumentsObject final : public WordProcessorObject {
 public:
  explicit DocumentsObject(std::shared_ptr<ApplicationState> application) : application_(std::move(application)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    switch (args.member()) {
      case member::kOpenVersion8:
        args.ExpectMethod(1, 10);
        return Variant::Object(Open(args));
      case member::kOpen:
        args.ExpectMethod(1, 12);
        if (args.Present(10)) args.I4(10);  // Encoding: documents are UTF-8 XML whatever it says
        CheckFlags(args, {11});
        return Variant::Object(Open(args));
      case member::kAddVersion8:
        args.ExpectMethod(0, 2);
        return Variant::Object(Add(args));
      case member::kAdd:
        args.ExpectMethod(0, 4);
        if (args.Present(2) && args.I4(2) != 0) throw Fault::Refused("Only documents can be added (type 0).");
        CheckFlags(args, {3});
        return Variant::Object(Add(args));
    }
    args.NoSuchMember();
  }

 private:
  // Open (FileName, ConfirmConversions, ReadOnly, AddToRecentFiles,
  // PasswordDocument, PasswordTemplate, Revert, WritePasswordDocument,
  // WritePasswordTemplate, Format, ...).
  DispatchPtr Open(const ArgList& args) {
    const std::string path = args.Text(0);
    if (path.empty()) throw Fault::Refused("The file name is empty.");
    CheckFlags(args, {1, 3, 6});
    const bool readOnly = args.Present(2) && args.Bool(2);
    for (std::size_t i : {4, 5, 7, 8}) RequireEmptyText(args, i, "Password-protected documents are not supported.");
    if (args.Present(9) && args.I4(9) != kOpenFormatAuto) {
      throw Fault::Refused("Documents are opened in the .docx format only (format 0).");
    }
    std::string bytes;
    if (std::string error = ReadWholeFile(path, kMaxDocumentBytes, &bytes); !error.empty()) {
      throw Fault::Refused("The document cannot be opened: " + error);
    }
    std::string error;
    auto state = std::make_shared<DocumentState>();
    state->document = WordDocument::Read(bytes, &error);
    if (!state->document) throw Fault::Refused("\"" + path + "\" cannot be opened: " + error + ".");
    state->path = AbsolutePath(path);
    state->readOnly = readOnly;
    application_->documents.push_back(state);
    return std::make_shared<DocumentObject>(application_, std::move(state));
  }

  DispatchPtr Add(const ArgList& args) {
    if (args.Present(0) && !args.Text(0).empty()) throw Fault::Refused("Document templates are not supported.");
    CheckFlags(args, {1});
    auto state = std::make_shared<DocumentState>();
    state->document = WordDocument::Blank();
    application_->documents.push_back(state);
    return std::make_shared<DocumentObject>(application_, std::move(state));
  }

  std::shared_ptr<ApplicationState> application_;
};

class ApplicationObject final : public WordProcessorObject {
 public:
  explicit ApplicationObject(ServerOptions options) : application_(std::make_shared<ApplicationState>()) {
    application_->options = std::move(options);
  }

 protected:
  Variant Answer(const ArgList& args) override {
    switch (args.member()) {
      case member::kVersion:
        args.ExpectGet();
        return Variant::Bstr(application_->options.version);
      case member::kDocuments:
        args.ExpectGet();
        return Variant::Object(std::make_shared<DocumentsObject>(application_));
      case member::kSelection:
        args.ExpectGet();
        return Variant::Object(std::make_shared<SelectionObject>(application_));
      case member::kVisible: {
        if (!args.IsPut()) {
          args.ExpectGet();
          return Variant::Boolean(application_->visible);
        }
        args.ExpectPut();
        const bool visible = args.Bool(args.ValueIndex());
        if (visible && !application_->visible) ShowDocuments(*application_);
        application_->visible = visible;
        return {};
      }
      case member::kActivate:
        args.ExpectMethod(0, 0);
        return {};
      case member::kQuit: {
        args.ExpectMethod(0, 3);
        const bool save = SaveRequested(args);
        while (!application_->documents.empty()) {
          CloseDocument(*application_, application_->documents.back(), save);
        }
        return {};
      }
    }
    args.NoSuchMember();
  }

 private:
  std::shared_ptr<ApplicationState> application_;
};

}  // namespace

void RequireOpen(const DocumentState& document) {
  if (!document.open) throw Fault::Refused("The document has been closed.");
}

void SaveDocument(DocumentState& document, const std::string& path) {
  if (document.readOnly && path == document.path) {
    throw Fault::Refused("The document was opened read-only: save it under another name.");
  }
  std::string bytes;
  if (std::string error = document.document->Write(&bytes); !error.empty()) throw Fault::Refused(error);
  if (std::string error = ReplaceFile(path, bytes); !error.empty()) {
    throw Fault::Refused("The document could not be saved: " + error);
  }
  document.path = path;
  document.readOnly = false;
}

void ShowDocuments(const ApplicationState& application) {
  for (const auto& document : application.documents) {
    if (!document->shown || document->path.empty()) continue;
    std::string error;
    if (ShowFileOnDesktop(document->path, &error) == ShowResult::kFailed) {
      ShowMessage("The document \"" + document->path + "\" could not be opened: " + error,
                  kMessageOk | kMessageIconExclamation);
    }
  }
}

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

DispatchPtr CreateApplication(ServerOptions options) { return std::make_shared<ApplicationObject>(std::move(options)); }

}  // namespace qx::automation::wordprocessor
