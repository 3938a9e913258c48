// The MailMerge object of a document, its DataSource and Fields, and the
// merge itself to a new document, the printer or e-mail.
#include <algorithm>
#include <ctime>
#include <stdexcept>

#include "automation/messages.h"
#include "automation/wordprocessor/files.h"
#include "automation/wordprocessor/mail.h"
#include "automation/wordprocessor/objects.h"
#include "automation/wordprocessor/pdf_file.h"
#include "automation/wordprocessor/printer.h"
#include "qxsys/print_problems.h"
#include "automation/wordprocessor/text.h"

namespace qx::automation::wordprocessor {

namespace {

constexpr const char* kDocxType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document";

class FieldsObject final : public WordProcessorObject {
 public:
  explicit FieldsObject(std::shared_ptr<DocumentState> document) : document_(std::move(document)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    RequireOpen(*document_);
    if (args.member() != member::kCount) args.NoSuchMember();
    args.ExpectGet();
    return Variant::I4(static_cast<std::int32_t>(document_->document->MergeFields().size()));
  }

 private:
  std::shared_ptr<DocumentState> document_;
};

class DataSourceObject final : public WordProcessorObject {
 public:
  explicit DataSourceObject(std::shared_ptr<DocumentState> document) : document_(std::move(document)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    RequireOpen(*document_);
    switch (args.member()) {
      case member::kName:
        args.ExpectGet();
        return Variant::Bstr(document_->document->DataSourceName());
      case member::kFirstRecord:
        if (!args.IsPut()) {
          args.ExpectGet();
          return Variant::I4(document_->firstRecord);
        }
        args.ExpectPut();
        document_->firstRecord = RecordNumber(args, false);
        return {};
      case member::kLastRecord:
        if (!args.IsPut()) {
          args.ExpectGet();
          return Variant::I4(document_->lastRecord);
        }
        args.ExpectPut();
        document_->lastRecord = RecordNumber(args, true);
        return {};
    }
    args.NoSuchMember();
  }

 private:
  static int RecordNumber(const ArgList& args, bool last) {
    const std::int32_t number = args.I4(args.ValueIndex());
    if (number >= 1 || (last && number == kLastRecordOfSource)) return number;
    throw Fault::Refused("Record numbers start at 1" +
                         std::string(last ? " (or -16 for the last record of the data source)." : "."));
  }

  std::shared_ptr<DocumentState> document_;
};

class MailMergeObject final : public WordProcessorObject {
 public:
  MailMergeObject(std::shared_ptr<ApplicationState> application, std::shared_ptr<DocumentState> document)
      : application_(std::move(application)), document_(std::move(document)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    RequireOpen(*document_);
    WordDocument& document = *document_->document;
    switch (args.member()) {
      case member::kMainDocumentType:
        if (!args.IsPut()) {
          args.ExpectGet();
          return Variant::I4(document.MainDocumentType());
        }
        args.ExpectPut();
        SetMainDocumentType(args.I4(args.ValueIndex()));
        return {};
      case member::kState:
        args.ExpectGet();
        if (document.MainDocumentType() < 0) return Variant::I4(kStateNormalDocument);
        return Variant::I4(document.DataSourceName().empty() ? kStateMainDocumentOnly : kStateMainAndDataSource);
      case member::kDestination:
        if (!args.IsPut()) {
          args.ExpectGet();
          return Variant::I4(document_->destination);
        }
        args.ExpectPut();
        SetDestination(args.I4(args.ValueIndex()));
        return {};
      case member::kDataSource:
        args.ExpectGet();
        return Variant::Object(std::make_shared<DataSourceObject>(document_));
      case member::kFields:
        args.ExpectGet();
        return Variant::Object(std::make_shared<FieldsObject>(document_));
      case member::kSuppressBlankLines: return Flag(args, &document_->suppressBlankLines);
      case member::kMailAsAttachment: return Flag(args, &document_->mailAsAttachment);
      case member::kMailAddressFieldName: return Text(args, &document_->mailAddressFieldName);
      case member::kMailSubject: return Text(args, &document_->mailSubject);
      case member::kOpenDataSourceVersion8:
        args.ExpectMethod(1, 14);
        OpenDataSource(args);
        return {};
      case member::kOpenDataSource:
        args.ExpectMethod(1, 16);
        if (args.Present(14)) args.Bool(14);
        if (args.Present(15) && args.Arg(15).type() != VarType::kEmpty && args.I4(15) != 0) {
          throw Fault::Refused("Only delimited text files can be data sources (subtype 0).");
        }
        OpenDataSource(args);
        return {};
      case member::kEditMainDocument:
        args.ExpectMethod(0, 0);
        if (document.MainDocumentType() < 0) throw Fault::Refused("The document is not a mail-merge main document.");
        return {};
      case member::kExecute:
        args.ExpectMethod(0, 1);
        if (args.Present(0)) args.Bool(0);  // Pause: there is nothing to pause for
        Execute();
        return {};
    }
    args.NoSuchMember();
  }

 private:
  static Variant Flag(const ArgList& args, bool* value) {
    if (!args.IsPut()) {
      args.ExpectGet();
      return Variant::Boolean(*value);
    }
    args.ExpectPut();
    *value = args.Bool(args.ValueIndex());
    return {};
  }

  static Variant Text(const ArgList& args, std::string* value) {
    if (!args.IsPut()) {
      args.ExpectGet();
      return Variant::Bstr(*value);
    }
    args.ExpectPut();
    *value = args.Text(args.ValueIndex());
    return {};
  }

  void SetMainDocumentType(int type) {
    if (type != kNotAMergeDocument && type != kFormLetters) {
      throw Fault::Refused("Only form letters are supported (main document type 0).");
    }
    document_->document->SetMainDocumentType(type);
    if (type == kNotAMergeDocument) document_->data.reset();
  }

  void SetDestination(int destination) {
    if (destination != kToNewDocument && destination != kToPrinter && destination != kToEmail) {
      throw Fault::Refused("A merge goes to a new document (0), the printer (1) or e-mail (2).");
    }
    document_->destination = destination;
    document_->document->SetDestination(destination);
  }

  // OpenDataSource (Name, Format, ConfirmConversions, ReadOnly, LinkToSource,
  // AddToRecentFiles, PasswordDocument, PasswordTemplate, Revert,
  // WritePasswordDocument, WritePasswordTemplate, Connection, SQLStatement,
  // SQLStatement1 [, OpenExclusive, SubType]).
  void OpenDataSource(const ArgList& args) {
    const std::string name = args.Text(0);
    if (name.empty()) throw Fault::Refused("The data source's file name is empty.");
    if (args.Present(1) && args.I4(1) != kOpenFormatAuto) {
      throw Fault::Refused("Data sources are delimited text files (format 0).");
    }
    for (std::size_t i : {2, 3, 4, 5, 8}) {
      if (args.Present(i)) args.Bool(i);
    }
    for (std::size_t i : {6, 7, 9, 10}) {
      if (args.Present(i) && !args.Text(i).empty()) throw Fault::Refused("Passwords are not supported.");
    }
    for (std::size_t i : {11, 12, 13}) {
      if (args.Present(i) && !args.Text(i).empty()) {
        throw Fault::Refused("Only delimited text files can be data sources: connections and queries are not.");
      }
    }
    const std::string path = AbsolutePath(name);
    DataSource data;
    if (std::string error = ReadDataSource(path, &data); !error.empty()) throw Fault::Refused(error);
    document_->document->AttachDataSource(path);
    document_->data = std::move(data);
    document_->firstRecord = 1;
    document_->lastRecord = kLastRecordOfSource;
  }

  // ---- the merge ----

  void Execute() {
    WordDocument& document = *document_->document;
    const std::string source = document.DataSourceName();
    if (document.MainDocumentType() < 0 || source.empty()) {
      throw Fault::Refused("The document is not a mail-merge main document with a data source.");
    }
    if (!document_->data) {
      DataSource data;
      if (std::string error = ReadDataSource(source, &data); !error.empty()) throw Fault::Refused(error);
      document_->data = std::move(data);
    }
    const DataSource& data = *document_->data;
    const std::size_t count = data.records.size();
    if (count == 0) throw Fault::Refused("The data source \"" + source + "\" has no records.");
    const std::size_t first = static_cast<std::size_t>(std::max(document_->firstRecord, 1));
    const std::size_t last = document_->lastRecord == kLastRecordOfSource
                                 ? count
                                 : std::min(static_cast<std::size_t>(document_->lastRecord), count);
    if (first > last) {
      throw Fault::Refused("The data source \"" + source + "\" has no records from record " + std::to_string(first) +
                           " on.");
    }
    switch (document_->destination) {
      case kToNewDocument: MergeToNewDocument(data, first - 1, last - 1); return;
      case kToPrinter: MergeToPrinter(data, first - 1, last - 1); return;
      case kToEmail: MergeToEmail(data, first - 1, last - 1); return;
    }
  }

  std::unique_ptr<WordDocument> Merged(const DataSource& data, std::size_t first, std::size_t last) const {
    std::string error;
    auto merged = document_->document->Merge(data, first, last, document_->suppressBlankLines, &error);
    if (!merged) throw Fault::Refused(error);
    return merged;
  }

  std::string DocumentName() const {
    return document_->path.empty() ? std::string("Document") : FileStem(document_->path);
  }

  // The merged document is written beside the main document under a name
  // of its own ("letter-merged.docx", "letter-merged-2.docx", ...) and
  // becomes the active document, shown with the application.
  void MergeToNewDocument(const DataSource& data, std::size_t first, std::size_t last) {
    auto merged = Merged(data, first, last);
    std::string bytes;
    if (std::string error = merged->Write(&bytes); !error.empty()) throw Fault::Refused(error);
    const std::string folder = document_->path.empty() ? AbsolutePath(".") : FolderOf(document_->path);
    std::string path;
    if (std::string error = WriteNewFile(folder, DocumentName() + "-merged", ".docx", bytes, &path); !error.empty()) {
      throw Fault::Refused("The merged document could not be saved: " + error);
    }
    auto state = std::make_shared<DocumentState>();
    state->document = std::move(merged);
    state->path = path;
    state->shown = true;
    application_->documents.push_back(std::move(state));
  }

  void MergeToPrinter(const DataSource& data, std::size_t first, std::size_t last) {
    std::string pdf;
    try {
      pdf = RenderPdf(Merged(data, first, last)->Flow(), DocumentName());
    } catch (const std::runtime_error& e) {
      throw Fault::Refused(std::string("The merged document could not be printed: ") + e.what() + ".");
    }
    if (std::string error = PrintPdf(pdf, DocumentName()); !error.empty()) {
      // What to set up in CUPS follows when lp said no printer could take it.
      std::string text = "The merged document could not be printed: " + error;
      if (std::string advice = qxsys::PrintProblemAdvice(error); !advice.empty()) text += " " + advice;
      throw Fault::Refused(text);
    }
  }

  void MergeToEmail(const DataSource& data, std::size_t first, std::size_t last) {
    const std::string& fieldName = document_->mailAddressFieldName;
    if (fieldName.empty()) throw Fault::Refused("No data-source field is named for the e-mail addresses.");
    const int field = data.FieldIndex(fieldName);
    if (field < 0) {
      throw Fault::Refused("The data source has no field \"" + fieldName + "\" for the e-mail addresses.");
    }
    struct Recipient {
      std::size_t record;
      MailAddress mailbox;
    };
    std::vector<Recipient> recipients;
    std::vector<std::size_t> leftOut;
    for (std::size_t r = first; r <= last; ++r) {
      Recipient recipient{r, {}};
      if (ParseMailAddress(data.records[r][static_cast<std::size_t>(field)], &recipient.mailbox)) {
        recipients.push_back(std::move(recipient));
      } else {
        leftOut.push_back(r + 1);
      }
    }
    if (recipients.empty()) {
      throw Fault::Refused("No record has a valid e-mail address in the field \"" + fieldName +
                           "\": no message was made.");
    }
    // A merge field the data source lacks, or a record that makes more text
    // than a letter holds, stops the merge before anything is sent.
    Merged(data, first, last);

    const MailSettings settings = MailSettings::FromEnvironment();
    std::size_t sent = 0;
    for (const Recipient& recipient : recipients) {
      auto merged = Merged(data, recipient.record, recipient.record);
      MailMessage message;
      message.from = settings.from;
      message.to = recipient.mailbox;
      message.subject = document_->mailSubject;
      if (document_->mailAsAttachment) {
        MailAttachment attachment{DocumentName() + ".docx", kDocxType, {}};
        if (std::string error = merged->Write(&attachment.bytes); !error.empty()) throw Fault::Refused(error);
        message.attachment = std::move(attachment);
      } else {
        message.body = PlainText(merged->Flow());
      }
      const std::time_t clock = std::time(nullptr);
      std::tm now{};
      localtime_r(&clock, &now);
      std::string outboxFile;
      const std::string error =
          DeliverMessage(settings, recipient.mailbox.address, ComposeMessage(message, now, NewMessageId()),
                         recipient.record + 1, &outboxFile);
      if (!error.empty()) {
        throw Fault::Refused("The message to " + recipient.mailbox.address + " (record " +
                             std::to_string(recipient.record + 1) + ") could not be sent: " + error +
                             (sent ? " " + std::to_string(sent) + " message(s) before it were sent." : ""));
      }
      ++sent;
    }
    if (settings.sendmail.empty()) {
      ShowMessage("No mail command is set up (QXOFFICE_SENDMAIL), so the " + std::to_string(sent) +
                  " message(s) were written to the outbox folder \"" + settings.outbox + "\".");
    }
    if (!leftOut.empty()) {
      std::string numbers;
      for (std::size_t i = 0; i < leftOut.size() && i < 20; ++i) {
        numbers += (i ? ", " : "") + std::to_string(leftOut[i]);
      }
      if (leftOut.size() > 20) numbers += ", ...";
      ShowMessage(std::to_string(leftOut.size()) + " record(s) have no valid e-mail address in the field \"" +
                      fieldName + "\" and got no message: record " + numbers + ".",
                  kMessageOk | kMessageIconExclamation);
    }
  }

  std::shared_ptr<ApplicationState> application_;
  std::shared_ptr<DocumentState> document_;
};

}  // namespace

DispatchPtr MakeMailMerge(std::shared_ptr<ApplicationState> application, std::shared_ptr<DocumentState> document) {
  return std::make_shared<MailMergeObject>(std::move(application), std::move(document));
}

}  // namespace qx::automation::wordprocessor
