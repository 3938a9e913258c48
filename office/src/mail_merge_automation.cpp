#include "mail_merge_automation.h"

#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "automation/client.h"
#include "automation/messages.h"
#include "automation/registry.h"
#include "automation/wordprocessor/object_model.h"
#include "oemtext.h"

namespace qx::office {

using automation::DispatchException;
using automation::DispatchPtr;
using automation::Variant;
namespace member = automation::wordprocessor::member;
namespace wp = automation::wordprocessor;

namespace {

constexpr const char* kProgId = "Quarlex.WordProcessor";

constexpr const char* kNoMergeFieldsText =
    "Document has no merge fields. Cannot execute the requested action.\n\n"
    "You must insert merge fields into the Main document before performing\n"
    "the requested action. To insert merge fields, return to the Mail Merge Jobs\n"
    "screen and click Edit. When the Main document displays, click the\n"
    "Insert Merge Field button and select a field from the list.\n\n"
    "For more information on using the Mail Merge feature, refer to \n"
    "the word processor's documentation.\n";
constexpr const char* kDifferentDataSource = "This document was created for a different mail merge data source.";
constexpr const char* kContinueQuestion = "Do you wish to continue?";

constexpr const char* kNoRequestText = "The mail merge was called without a request.";
constexpr const char* kNoMailRecordText =
    "The merge to e-mail was called without its mail record (subject and address field).";

constexpr int kDone = 0;
constexpr int kNoMergeFields = -3;
constexpr int kDeclined = -4;
constexpr int kAutomationError = -5;

// "true" and "false" as the word processor takes them: 16-bit integers.
Variant Flag(bool value) { return Variant::I2(value ? 1 : 0); }
Variant Text(std::string text) { return Variant::Bstr(std::move(text)); }

template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return oem::ToUtf8(std::string_view(field, strnlen(field, N)));
}

std::string TextOf(const Variant& value) {
  std::string text;
  if (const automation::HResult hr = automation::ToText(value, &text); hr != automation::kOk) {
    throw DispatchException(hr, {});
  }
  return text;
}

int IntegerOf(const Variant& value) {
  std::int32_t number = 0;
  if (const automation::HResult hr = automation::ToI4(value, &number); hr != automation::kOk) {
    throw DispatchException(hr, {});
  }
  return number;
}

// The major version in a version text ("15.0" -> 15; 0 when none).
int MajorVersion(std::string_view version) {
  int major = 0;
  std::size_t i = 0;
  for (; i < version.size() && version[i] >= '0' && version[i] <= '9' && major < 1000; ++i) {
    major = major * 10 + (version[i] - '0');
  }
  return i > 0 && i < version.size() && version[i] == '.' ? major : 0;
}

// The file name a path ends with, for Windows and POSIX paths alike
// ("C:\DATA\CUST.TXT" -> "CUST.TXT").
std::string_view FileNameOf(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') path.remove_prefix(2);
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

void ShowAutomationError(const DispatchException& error) noexcept {
  try {
    automation::ShowMessage(automation::AutomationErrorText(error.source(), error.description()),
                            automation::kMessageOk, error.help_file().empty() ? 0 : error.help_context());
  } catch (...) {
    automation::ShowMessage("Not enough memory to finish the mail merge.");
  }
}

// One call: the connection it starts, the main document it opens, and the
// steps of the operations over them.
class MailMergeCall {
 public:
  MailMergeCall(MailMergeRequest& request, DispatchPtr application)
      : request_(request), application_(std::move(application)) {}

  int Run(int operation) {
    documents_ = automation::GetObject(application_, member::kDocuments);
    switch (operation) {
      case 1: return Quit();
      case 2: return OpenForEditing();
      case 3: return NewMainDocument();
      case 4: return MergeToPrinter();
      case 5: return MergeToNewDocument();
      case 6: return MergeToEmail();
      case 7: return Check();
    }
    return kDone;
  }

  // Ends the connection: after a failure the main document is closed and
  // the application quits, both without saving; after success it quits
  // unless the operation handed it to the user or quit already.  Failures
  // here are not told again.
  void Finish(int result) noexcept {
    if (result != kDone && document_ && !documentClosed_) {
      try {
        CloseMainDocument();
      } catch (...) {
      }
    }
    if (!quit_ && (result != kDone || !handedOver_)) {
      try {
        QuitApplication();
      } catch (...) {
      }
    }
  }

 private:
  // ---- the operations ----

  int Quit() {
    QuitApplication();
    return kDone;
  }

  int OpenForEditing() {
    OpenMainDocument();
    merge_ = automation::GetObject(document_, member::kMailMerge);
    if (EnsureDataSourceAttached()) {
      automation::CallMethod(merge_, member::kEditMainDocument);
      ShowMainDocument();
      return kDone;
    }
    if (!CheckDataSource()) return kDeclined;
    AttachDataSource(false);
    ShowMainDocument();
    return kDone;
  }

  int NewMainDocument() {
    AddMainDocument();
    merge_ = automation::GetObject(document_, member::kMailMerge);
    EnsureDataSourceAttached();
    automation::PutProperty(merge_, member::kDestination, Variant::I4(wp::kToNewDocument));
    WriteSampleMainDocument();
    // SaveAs (FileName, FileFormat, LockComments, Password, AddToRecentFiles,
    // and six more).
    std::vector<Variant> saveAs(11, Variant::Missing());
    saveAs[0] = Text(FieldText(request_.mainDocumentPath));
    saveAs[1] = Variant::I4(wp::kFormatDocument);
    saveAs[4] = Flag(true);
    automation::CallMethod(document_, member::kSaveAs, std::move(saveAs));
    ShowMainDocument();
    return kDone;
  }

  // The steps that every merge starts with: the main document with its
  // merge fields and the request's data source.  Returns kDone to go on.
  int PrepareMerge(bool recordRange) {
    OpenMainDocument();
    merge_ = automation::GetObject(document_, member::kMailMerge);
    EnsureDataSourceAttached();
    if (CheckMergeFields(true) <= 0) return kNoMergeFields;
    if (!CheckDataSource()) return kDeclined;
    AttachDataSource(recordRange);
    return kDone;
  }

  int MergeToPrinter() {
    if (const int result = PrepareMerge(false); result != kDone) return result;
    ShowMainDocument();
    automation::PutProperty(merge_, member::kDestination, Variant::I4(wp::kToPrinter));
    PutSuppressBlankLines();
    // A print job that fails is a failed merge: it is told and reported
    // (-5), never passed off as printed.
    ExecuteMerge();
    return kDone;
  }

  int MergeToNewDocument() {
    if (const int result = PrepareMerge(true); result != kDone) return result;
    automation::PutProperty(merge_, member::kDestination, Variant::I4(wp::kToNewDocument));
    PutSuppressBlankLines();
    ExecuteMerge();
    CloseMainDocument();
    // The merged document stays with the user.
    automation::PutProperty(application_, member::kVisible, Flag(true));
    handedOver_ = true;
    automation::CallMethod(application_, member::kActivate);
    return kDone;
  }

  int MergeToEmail() {
    if (const int result = PrepareMerge(false); result != kDone) return result;
    const MergeMailRecord& mail = *request_.mailRecord;
    automation::PutProperty(merge_, member::kDestination, Variant::I4(wp::kToEmail));
    PutSuppressBlankLines();
    automation::PutProperty(merge_, member::kMailAsAttachment, Flag(mail.attach == 1));
    automation::PutProperty(merge_, member::kMailAddressFieldName, Text(FieldText(mail.addressFieldName)));
    automation::PutProperty(merge_, member::kMailSubject, Text(FieldText(mail.subject)));
    ExecuteMerge();
    CloseMainDocument();
    QuitApplication();
    return kDone;
  }

  int Check() {
    OpenMainDocument();
    merge_ = automation::GetObject(document_, member::kMailMerge);
    const int state = IntegerOf(automation::GetProperty(merge_, member::kState));
    int result = -2;
    if (state == wp::kStateMainAndDataSource) {
      CopyDataSourceName();
      result = kDone;
    }
    CloseMainDocument();
    QuitApplication();
    return result;
  }

  // ---- the steps ----

  int Version() {
    if (version_ < 0) version_ = MajorVersion(TextOf(automation::GetProperty(application_, member::kVersion)));
    return version_;
  }

  void OpenMainDocument() {
    std::vector<Variant> open{Text(FieldText(request_.mainDocumentPath)),
                              Flag(false),  // ConfirmConversions
                              Flag(false),  // ReadOnly
                              Flag(false),  // AddToRecentFiles
                              Text(""),     // PasswordDocument
                              Text(""),     // PasswordTemplate
                              Flag(false),  // Revert
                              Text(""),     // WritePasswordDocument
                              Text(""),     // WritePasswordTemplate
                              Variant::I4(wp::kOpenFormatAuto)};
    if (Version() == 8) {
      document_ = automation::CallForObject(documents_, member::kOpenVersion8, std::move(open));
      return;
    }
    open.push_back(Variant::Missing());  // Encoding
    open.push_back(Flag(true));          // Visible
    document_ = automation::CallForObject(documents_, member::kOpen, std::move(open));
  }

  void AddMainDocument() {
    if (Version() == 8) {
      document_ = automation::CallForObject(documents_, member::kAddVersion8, {Variant::Missing(), Variant::Missing()});
      return;
    }
    document_ = automation::CallForObject(documents_, member::kAdd, std::vector<Variant>(4, Variant::Missing()));
  }

  // Gives a document without a data source the request's.  Returns whether
  // it attached one now.
  bool EnsureDataSourceAttached() {
    const int type = IntegerOf(automation::GetProperty(merge_, member::kMainDocumentType));
    const int state = IntegerOf(automation::GetProperty(merge_, member::kState));
    if (type == wp::kNotAMergeDocument || state == wp::kStateDataSourceDocument) {
      automation::PutProperty(merge_, member::kMainDocumentType, Variant::I4(wp::kFormLetters));
      AttachDataSource(false);
      return true;
    }
    if (state == wp::kStateMainDocumentOnly) {
      AttachDataSource(false);
      return true;
    }
    return false;
  }

  void AttachDataSource(bool recordRange) {
    std::vector<Variant> open{Text(FieldText(request_.dataSourcePath)),
                              Variant::I4(wp::kOpenFormatAuto),
                              Flag(false),  // ConfirmConversions
                              Flag(true),   // ReadOnly
                              Flag(true),   // LinkToSource
                              Flag(false),  // AddToRecentFiles
                              Text(""),     // PasswordDocument
                              Text(""),     // PasswordTemplate
                              Flag(false),  // Revert
                              Text(""),     // WritePasswordDocument
                              Text(""),     // WritePasswordTemplate
                              Text(""),     // Connection
                              Text(""),     // SQLStatement
                              Text("")};    // SQLStatement1
    if (Version() == 8 || Version() == 9) {
      automation::CallMethod(merge_, member::kOpenDataSourceVersion8, std::move(open));
    } else {
      open.push_back(Flag(false));  // OpenExclusive
      open.push_back(Variant());    // SubType
      automation::CallMethod(merge_, member::kOpenDataSource, std::move(open));
    }
    if (recordRange) {
      const DispatchPtr source = automation::GetObject(merge_, member::kDataSource);
      automation::PutProperty(source, member::kFirstRecord, Variant::I4(1));
      automation::PutProperty(source, member::kLastRecord, Variant::I4(wp::kLastRecordOfSource));
    }
  }

  int CheckMergeFields(bool warn) {
    const DispatchPtr fields = automation::GetObject(merge_, member::kFields);
    const int count = IntegerOf(automation::GetProperty(fields, member::kCount));
    if (warn && count <= 0) {
      automation::ShowMessage(kNoMergeFieldsText, automation::kMessageOk | automation::kMessageIconExclamation);
    }
    return count;
  }

  // Whether the document's data source is the request's, or the user wants
  // to go on with the request's.  The file names are compared whole: a
  // document made for ACUST.TXT was not made for CUST.TXT.
  bool CheckDataSource() {
    const DispatchPtr source = automation::GetObject(merge_, member::kDataSource);
    const std::string name = TextOf(automation::GetProperty(source, member::kName));
    const std::string wanted = FieldText(request_.dataSourcePath);
    if (SameIgnoringCase(FileNameOf(name), FileNameOf(wanted))) return true;
    const std::string question = std::string(kDifferentDataSource) + " " + kContinueQuestion;
    return automation::ShowMessage(question, automation::kMessageYesNo | automation::kMessageIconExclamation) ==
           automation::kAnswerYes;
  }

  void CopyDataSourceName() {
    const DispatchPtr source = automation::GetObject(merge_, member::kDataSource);
    const std::string name = oem::FromUtf8(TextOf(automation::GetProperty(source, member::kName)));
    std::memset(request_.dataSourceName, 0, sizeof request_.dataSourceName);
    std::memcpy(request_.dataSourceName, name.data(), std::min(name.size(), sizeof request_.dataSourceName - 1));
  }

  void ShowMainDocument() {
    automation::PutProperty(document_, member::kShowInWindow, Flag(true));
    automation::PutProperty(application_, member::kVisible, Flag(true));
    handedOver_ = true;
    automation::CallMethod(application_, member::kActivate);
  }

  void PutSuppressBlankLines() {
    automation::PutProperty(merge_, member::kSuppressBlankLines, Flag(request_.suppressBlankLines != 0));
  }

  void ExecuteMerge() { automation::CallMethod(merge_, member::kExecute, {Flag(true)}); }

  void WriteSampleMainDocument() {
    const DispatchPtr selection = automation::GetObject(application_, member::kSelection);
    const DispatchPtr font = automation::GetObject(selection, member::kFont);
    const Variant italic = automation::GetProperty(font, member::kItalic);
    const Variant bold = automation::GetProperty(font, member::kBold);
    automation::PutProperty(font, member::kItalic, Flag(false));
    automation::PutProperty(font, member::kBold, Flag(false));
    const auto type = [&](const char* text) { automation::CallMethod(selection, member::kTypeText, {Text(text)}); };
    const auto paragraphs = [&] {
      automation::CallMethod(selection, member::kTypeParagraph);
      automation::CallMethod(selection, member::kTypeParagraph);
    };

    type("This ");
    automation::PutProperty(font, member::kItalic, Flag(true));
    type("mail merge main document");
    automation::PutProperty(font, member::kItalic, Flag(false));
    type(" was created by Quarlex on ");
    InsertDateTimeText(selection, "dddd, MMMM dd, yyyy");
    type(" at ");
    InsertDateTimeText(selection, "h:mm:ss am/pm");
    type(". Please, replace this sample text with your own text and graphics.");
    paragraphs();

    type("To edit the main document, type the text you want to appear on the document and use the Merge fields as "
         "placeholders for your data. Examples of these placeholders would include name, address and phone number. "
         "To insert Merge fields, click the ");
    automation::PutProperty(font, member::kBold, Flag(true));
    type("Insert Merge Field");
    automation::PutProperty(font, member::kBold, Flag(false));
    type(" button and select a field from the list. For more information on the Mail Merge feature, refer to the "
         "word processor's documentation.");
    paragraphs();

    type("To include your Quarlex data in the merged document, you must process the Mail Merge operation from "
         "Quarlex.");
    paragraphs();

    automation::PutProperty(font, member::kItalic, italic);
    automation::PutProperty(font, member::kBold, bold);
  }

  void InsertDateTimeText(const DispatchPtr& selection, const char* format) {
    if (Version() == 8) {
      automation::CallMethod(selection, member::kInsertDateTimeVersion8, {Text(format), Flag(false), Variant::Missing()});
      return;
    }
    automation::CallMethod(selection, member::kInsertDateTime,
                           {Text(format), Flag(false), Variant::Missing(), Variant::Missing(), Variant::Missing()});
  }

  void CloseMainDocument() {
    documentClosed_ = true;  // not tried twice, even when it fails
    automation::CallMethod(document_, member::kClose, {Flag(false), Variant::Missing(), Variant::Missing()});
  }

  void QuitApplication() {
    quit_ = true;
    automation::CallMethod(application_, member::kQuit, {Flag(false), Variant::Missing(), Variant::Missing()});
  }

  MailMergeRequest& request_;
  DispatchPtr application_;
  DispatchPtr documents_;
  DispatchPtr document_;
  DispatchPtr merge_;
  int version_ = -1;
  bool documentClosed_ = false;
  bool handedOver_ = false;
  bool quit_ = false;
};

}  // namespace

MailMergeAutomation::MailMergeAutomation(ServerStarter start) : start_(std::move(start)) {
  if (!start_) start_ = [](DispatchPtr* object) { return automation::CreateObject(kProgId, object); };
}

int MailMergeAutomation::Run(MailMergeRequest* request) noexcept {
  if (!request) {
    automation::ShowMessage(kNoRequestText, automation::kMessageOk | automation::kMessageIconExclamation);
    return kAutomationError;
  }
  const int operation = request->operation;
  if (operation == 6 && !request->mailRecord) {
    automation::ShowMessage(kNoMailRecordText, automation::kMessageOk | automation::kMessageIconExclamation);
    return kAutomationError;
  }
  try {
    DispatchPtr application;
    if (start_(&application) != automation::kOk || !application) return -1;
    MailMergeCall call(*request, std::move(application));
    int result = kAutomationError;
    try {
      result = call.Run(operation);
    } catch (const DispatchException& error) {
      ShowAutomationError(error);
    } catch (const std::bad_alloc&) {
      automation::ShowMessage("Not enough memory to finish the mail merge.");
    } catch (...) {
      automation::ShowMessage("unknown error");
    }
    call.Finish(result);
    return result;
  } catch (...) {
    // Only starting the server can get here (out of memory).
    automation::ShowMessage("Not enough memory to finish the mail merge.");
    return kAutomationError;
  }
}

}  // namespace qx::office
