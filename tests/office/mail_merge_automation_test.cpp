// The mail-merge operations over the word-processor server, each call
// watched through a recording proxy: results, messages and questions for
// every kind of main document, the main document's file left as it was, and
// the connection ended on every way out.
#include "mail_merge_automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/messages.h"
#include "automation/wordprocessor/application.h"
#include "automation/wordprocessor/object_model.h"
#include "fontconfig_leaks.h"
#include "mail_merge_fixture.h"

namespace {

using namespace qx::automation;
using qx::office::MailMergeAutomation;
using qx::test::Merge;
using qx::test::TestFolder;
namespace member = qx::automation::wordprocessor::member;
namespace fs = std::filesystem;

const std::string kNoMergeFields =
    "Document has no merge fields. Cannot execute the requested action.\n\n"
    "You must insert merge fields into the Main document before performing\n"
    "the requested action. To insert merge fields, return to the Mail Merge Jobs\n"
    "screen and click Edit. When the Main document displays, click the\n"
    "Insert Merge Field button and select a field from the list.\n\n"
    "For more information on using the Mail Merge feature, refer to \n"
    "the word processor's documentation.\n";
const std::string kQuestion =
    "This document was created for a different mail merge data source. Do you wish to continue?";

// One member call as the controller made it: the object (named by the path
// of members that reached it from the application, "app/6/15"), the member
// and how it was invoked.
struct Call {
  std::string object;
  DispId member;
  unsigned kind;
};

// Passes every call to the real object and records it; objects handed back
// are wrapped in turn.
class Recorder final : public Dispatch {
 public:
  Recorder(DispatchPtr target, std::string name, std::shared_ptr<std::vector<Call>> log)
      : target_(std::move(target)), name_(std::move(name)), log_(std::move(log)) {}

  HResult Invoke(DispId member, unsigned kind, const DispParams& params, Variant* result, ExcepInfo* exception,
                 unsigned* argError) noexcept override {
    log_->push_back({name_, member, kind});
    const HResult hr = target_->Invoke(member, kind, params, result, exception, argError);
    if (hr == kOk && result && result->type() == VarType::kDispatch && result->object()) {
      *result = Variant::Object(
          std::make_shared<Recorder>(result->object(), name_ + "/" + std::to_string(member), log_));
    }
    return hr;
  }

 private:
  DispatchPtr target_;
  std::string name_;
  std::shared_ptr<std::vector<Call>> log_;
};

// A server started through a recorder, whose lifetime the test can see.
struct Watched {
  std::shared_ptr<std::vector<Call>> log = std::make_shared<std::vector<Call>>();
  std::weak_ptr<Dispatch> application;
  std::string version = "15.0";

  MailMergeAutomation Automation() {
    return MailMergeAutomation([this](DispatchPtr* object) {
      wordprocessor::ServerOptions options;
      options.version = version;
      DispatchPtr real = wordprocessor::CreateApplication(options);
      application = real;
      *object = std::make_shared<Recorder>(real, "app", log);
      return kOk;
    });
  }

  bool Made(const std::string& object, DispId id, unsigned kind) const {
    for (const Call& call : *log) {
      if (call.object == object && call.member == id && (call.kind & kind)) return true;
    }
    return false;
  }
  bool Quit() const { return Made("app", member::kQuit, kInvokeMethod); }
  bool HandedOver() const { return Made("app", member::kVisible, kInvokePropertyPut); }
  bool Opened() const {
    for (const Call& call : *log) {
      if (call.object == "app/6" && (call.member == member::kOpen || call.member == member::kOpenVersion8)) {
        return true;
      }
    }
    return false;
  }
  bool DocumentClosed() const {
    for (const Call& call : *log) {
      if (call.object != "app" && call.member == member::kClose && call.kind == kInvokeMethod) return true;
    }
    return false;
  }
  bool Executed() const {
    for (const Call& call : *log) {
      if (call.member == member::kExecute && call.kind == kInvokeMethod) return true;
    }
    return false;
  }
  // The members called on the object named `object`, in order.
  std::vector<DispId> MembersOf(const std::string& object) const {
    std::vector<DispId> members;
    for (const Call& call : *log) {
      if (call.object == object) members.push_back(call.member);
    }
    return members;
  }
};

// Messages and questions of one test; questions get `answer`.
class Messages {
 public:
  Messages() {
    SetMessageSink([this](std::string_view text, unsigned style, unsigned) {
      texts.emplace_back(text);
      return (style & kMessageYesNo) ? answer : static_cast<int>(kAnswerOk);
    });
  }
  ~Messages() { SetMessageSink({}); }
  std::vector<std::string> texts;
  int answer = kAnswerYes;
};

// Sets an environment variable for the life of the object.
class Environment {
 public:
  Environment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~Environment() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

enum class Doc { kWithFields, kWithoutFields, kOtherSource, kMainOnly, kPlain, kNotADocument };

const char* Name(Doc doc) {
  switch (doc) {
    case Doc::kWithFields: return "a main document with fields";
    case Doc::kWithoutFields: return "a main document without fields";
    case Doc::kOtherSource: return "a main document for ACUST.TXT";
    case Doc::kMainOnly: return "a main document without data source";
    case Doc::kPlain: return "a document with fields but no merge settings";
    case Doc::kNotADocument: return "a text file";
  }
  return "";
}

class MailMergeMatrix : public testing::Test {
 protected:
  MailMergeMatrix()
      : folder_("matrix"),
        noMail_("QXOFFICE_SENDMAIL", "true"),  // "sent" through a command that takes anything
        noPrinter_("QXOFFICE_LP", "true"),
        noDisplay_("DISPLAY", ""),
        noWaylandDisplay_("WAYLAND_DISPLAY", ""),
        outbox_("QXOFFICE_OUTBOX", (folder_ / "outbox").string()) {
    qx::test::WriteText(folder_ / "CUST.TXT", "First,Last,Email\nAnn,Smith,ann@example.com\nBob,Jones,bob@example.com\n");
  }

  fs::path Write(Doc doc) {
    const fs::path path = folder_ / "main.docx";
    const std::string own = "file://" + (folder_ / "CUST.TXT").string();
    switch (doc) {
      case Doc::kWithFields: qx::test::WriteDocx(path, qx::test::kLetterBody, Merge::kDataSource, own); break;
      case Doc::kWithoutFields: qx::test::WriteDocx(path, qx::test::kPlainBody, Merge::kDataSource, own); break;
      case Doc::kOtherSource:
        qx::test::WriteDocx(path, qx::test::kLetterBody, Merge::kDataSource, "file:///C:\\DATA\\ACUST.TXT");
        break;
      case Doc::kMainOnly: qx::test::WriteDocx(path, qx::test::kLetterBody, Merge::kMainOnly); break;
      case Doc::kPlain: qx::test::WriteDocx(path, qx::test::kLetterBody, Merge::kNone); break;
      case Doc::kNotADocument: qx::test::WriteText(path, "Dear customer,\n"); break;
    }
    return path;
  }

  MailMergeRequest Request(int operation, const fs::path& main) {
    MailMergeRequest request;
    std::memset(&request, 0, sizeof request);
    request.operation = operation;
    request.suppressBlankLines = 1;
    std::strcpy(request.mainDocumentPath, main.c_str());
    std::strcpy(request.dataSourcePath, (folder_ / "CUST.TXT").c_str());
    std::strcpy(request.dataSourceName, "untouched");
    std::strcpy(mail_.subject, "Statement");
    std::strcpy(mail_.addressFieldName, "EMAIL");
    mail_.attach = 0;
    request.mailRecord = &mail_;
    return request;
  }

  TestFolder folder_;
  Environment noMail_, noPrinter_, noDisplay_, noWaylandDisplay_, outbox_;
  MergeMailRecord mail_;
};

struct MatrixCase {
  int operation;
  Doc doc;
  int onYes;  // the result when a question is answered Yes
  int onNo;   // ... and No
  std::vector<std::string> messages;  // the same for either answer
};

TEST_F(MailMergeMatrix, ResultsMessagesAndTheMainDocumentForEveryOperationAndDocument) {
  const std::string notADocument = "Word processor - \"" + (folder_ / "main.docx").string() +
                                   "\" cannot be opened: it is not a .docx file.";
  const std::vector<MatrixCase> cases = {
      {1, Doc::kWithFields, 0, 0, {}},
      {1, Doc::kNotADocument, 0, 0, {}},

      {2, Doc::kWithFields, 0, 0, {}},
      {2, Doc::kWithoutFields, 0, 0, {}},
      {2, Doc::kOtherSource, 0, -4, {kQuestion}},
      {2, Doc::kMainOnly, 0, 0, {}},
      {2, Doc::kPlain, 0, 0, {}},
      {2, Doc::kNotADocument, -5, -5, {notADocument}},

      {4, Doc::kWithFields, 0, 0, {}},
      {4, Doc::kWithoutFields, -3, -3, {kNoMergeFields}},
      {4, Doc::kOtherSource, 0, -4, {kQuestion}},
      {4, Doc::kMainOnly, 0, 0, {}},
      {4, Doc::kPlain, 0, 0, {}},
      {4, Doc::kNotADocument, -5, -5, {notADocument}},

      {5, Doc::kWithFields, 0, 0, {}},
      {5, Doc::kWithoutFields, -3, -3, {kNoMergeFields}},
      {5, Doc::kOtherSource, 0, -4, {kQuestion}},
      {5, Doc::kMainOnly, 0, 0, {}},
      {5, Doc::kPlain, 0, 0, {}},
      {5, Doc::kNotADocument, -5, -5, {notADocument}},

      {6, Doc::kWithFields, 0, 0, {}},
      {6, Doc::kWithoutFields, -3, -3, {kNoMergeFields}},
      {6, Doc::kOtherSource, 0, -4, {kQuestion}},
      {6, Doc::kMainOnly, 0, 0, {}},
      {6, Doc::kPlain, 0, 0, {}},
      {6, Doc::kNotADocument, -5, -5, {notADocument}},

      {7, Doc::kWithFields, 0, 0, {}},
      {7, Doc::kWithoutFields, 0, 0, {}},
      {7, Doc::kOtherSource, 0, 0, {}},
      {7, Doc::kMainOnly, -2, -2, {}},
      {7, Doc::kPlain, -2, -2, {}},
      {7, Doc::kNotADocument, -5, -5, {notADocument}},

      {0, Doc::kWithFields, 0, 0, {}},
      {8, Doc::kWithFields, 0, 0, {}},
      {8, Doc::kNotADocument, 0, 0, {}},
  };
  for (const MatrixCase& c : cases) {
    for (const int answer : {kAnswerYes, kAnswerNo}) {
      SCOPED_TRACE("operation " + std::to_string(c.operation) + " on " + Name(c.doc) + ", answer " +
                   (answer == kAnswerYes ? "Yes" : "No"));
      const fs::path main = Write(c.doc);
      const std::string before = qx::test::ReadBytes(main);
      fs::remove_all(folder_ / "outbox");
      Messages messages;
      messages.answer = answer;
      Watched server;
      MailMergeRequest request = Request(c.operation, main);

      const int result = server.Automation().Run(&request);

      const int expected = answer == kAnswerYes ? c.onYes : c.onNo;
      EXPECT_EQ(result, expected);
      EXPECT_EQ(messages.texts, c.messages);
      EXPECT_EQ(qx::test::ReadBytes(main), before) << "the main document changed";
      // The connection is over: released, and quit or left with the user.
      EXPECT_TRUE(server.application.expired());
      if (result != 0) {
        EXPECT_TRUE(server.Quit());
        if (server.Opened() && c.doc != Doc::kNotADocument) {
          EXPECT_TRUE(server.DocumentClosed());
        }
      } else {
        EXPECT_TRUE(server.Quit() || server.HandedOver());
      }
      // Merges run only when they may, and make what they should.
      const bool merge = c.operation >= 4 && c.operation <= 6;
      EXPECT_EQ(server.Executed(), merge && result == 0);
      EXPECT_EQ(fs::exists(folder_ / "main-merged.docx"), c.operation == 5 && result == 0);
      fs::remove(folder_ / "main-merged.docx");
      if (c.operation == 7 && result == 0) {
        EXPECT_STREQ(request.dataSourceName, c.doc == Doc::kOtherSource ? "C:\\DATA\\ACUST.TXT"
                                                                         : (folder_ / "CUST.TXT").c_str());
      } else {
        EXPECT_STREQ(request.dataSourceName, "untouched");
      }
    }
  }
}

TEST_F(MailMergeMatrix, WithoutAHostTheQuestionIsAnsweredNoOnStandardError) {
  SetMessageSink({});
  for (int operation : {2, 4, 5, 6}) {
    SCOPED_TRACE("operation " + std::to_string(operation));
    const fs::path main = Write(Doc::kOtherSource);
    const std::string before = qx::test::ReadBytes(main);
    Watched server;
    MailMergeRequest request = Request(operation, main);
    testing::internal::CaptureStderr();
    EXPECT_EQ(server.Automation().Run(&request), -4);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kQuestion + "\n");
    EXPECT_EQ(qx::test::ReadBytes(main), before);
    EXPECT_TRUE(server.Quit());
    EXPECT_FALSE(server.Executed());
  }
}

TEST_F(MailMergeMatrix, TheDataSourceMatchesByItsWholeFileNameInAnyCase) {
  const struct {
    const char* documentSource;
    const char* requestSource;  // a file in the test folder
    bool asks;
  } cases[] = {
      {"file:///C:\\DATA\\CUST.TXT", "cust.txt", false},
      {"file:///C:/DATA/cust.txt", "CUST.TXT", false},
      {"file:///srv/shared/Cust.Txt", "CUST.TXT", false},
      {"file:///C:\\DATA\\ACUST.TXT", "CUST.TXT", true},  // was taken for CUST.TXT by its last letters
      {"file:///C:\\DATA\\CUST.TXT", "XCUST.TXT", true},
      {"file:///C:\\DATA\\CUST.TXT.BAK", "CUST.TXT", true},
      {"file:///C:\\CUST\\DATA.TXT", "CUST.TXT", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.documentSource) + " against " + c.requestSource);
    qx::test::WriteText(folder_ / c.requestSource, "First,Last\nAnn,Smith\n");
    const fs::path main = folder_ / "main.docx";
    qx::test::WriteDocx(main, qx::test::kLetterBody, Merge::kDataSource, c.documentSource);
    Messages messages;
    messages.answer = kAnswerNo;
    Watched server;
    MailMergeRequest request = Request(5, main);
    std::strcpy(request.dataSourcePath, (folder_ / c.requestSource).c_str());
    EXPECT_EQ(server.Automation().Run(&request), c.asks ? -4 : 0);
    EXPECT_EQ(messages.texts, c.asks ? std::vector<std::string>{kQuestion} : std::vector<std::string>{});
    fs::remove(folder_ / "main-merged.docx");
  }
}

TEST_F(MailMergeMatrix, AFailedPrintJobIsAFailedMerge) {
  Environment failingPrinter("QXOFFICE_LP", "false");
  const fs::path main = Write(Doc::kWithFields);
  const std::string before = qx::test::ReadBytes(main);
  Messages messages;
  Watched server;
  MailMergeRequest request = Request(4, main);
  EXPECT_EQ(server.Automation().Run(&request), -5);
  EXPECT_EQ(messages.texts,
            std::vector<std::string>{"Word processor - The merged document could not be printed: false: exit status 1."});
  EXPECT_TRUE(server.Executed());
  EXPECT_TRUE(server.DocumentClosed());
  EXPECT_TRUE(server.Quit());
  EXPECT_TRUE(server.application.expired());
  EXPECT_EQ(qx::test::ReadBytes(main), before);
}

TEST_F(MailMergeMatrix, ARecordThatMakesMoreTextThanALetterCanHoldIsRefused) {
  // The second record's first name is 2.5 million characters: no letter.
  qx::test::WriteText(folder_ / "CUST.TXT", "First,Last,Email\nAnn,Smith,ann@example.com\n" +
                                                std::string(2'500'000, 'B') + ",Jones,bob@example.com\n");
  const std::string refused =
      "Word processor - Record 2 of the data source makes more than 2 million characters of text: nothing was merged.";
  Environment outboxOnly("QXOFFICE_SENDMAIL", "");  // messages that were made would lie in the outbox
  for (int operation : {4, 5, 6}) {
    SCOPED_TRACE(operation);
    const fs::path main = Write(Doc::kWithFields);
    Messages messages;
    Watched server;
    MailMergeRequest request = Request(operation, main);
    EXPECT_EQ(server.Automation().Run(&request), -5);
    EXPECT_EQ(messages.texts, std::vector<std::string>{refused});
    EXPECT_TRUE(server.Quit());
    EXPECT_FALSE(fs::exists(folder_ / "main-merged.docx"));
    EXPECT_FALSE(fs::exists(folder_ / "outbox")) << "a message was made";
  }
}

TEST_F(MailMergeMatrix, NullRequestsAndMailRecordsFailBeforeAnyServerStarts) {
  Messages messages;
  bool started = false;
  MailMergeAutomation automation([&](DispatchPtr* object) {
    started = true;
    *object = wordprocessor::CreateApplication();
    return kOk;
  });
  EXPECT_EQ(automation.Run(nullptr), -5);
  const fs::path main = Write(Doc::kWithFields);
  MailMergeRequest request = Request(6, main);
  request.mailRecord = nullptr;
  EXPECT_EQ(automation.Run(&request), -5);
  EXPECT_FALSE(started);
  EXPECT_EQ(messages.texts, (std::vector<std::string>{
                                "The mail merge was called without a request.",
                                "The merge to e-mail was called without its mail record (subject and address field).",
                            }));
  EXPECT_FALSE(fs::exists(folder_ / "outbox"));
}

TEST_F(MailMergeMatrix, AServerThatCannotStartGivesMinusOneWithoutAMessage) {
  Messages messages;
  MailMergeAutomation automation([](DispatchPtr*) { return kClassNotFound; });
  for (int operation = 0; operation <= 8; ++operation) {
    MailMergeRequest request = Request(operation, Write(Doc::kWithFields));
    EXPECT_EQ(automation.Run(&request), -1) << operation;
  }
  EXPECT_TRUE(messages.texts.empty());
}

TEST_F(MailMergeMatrix, TheProgramsVersionPicksTheFormOfEachCall) {
  const struct {
    const char* version;
    DispId add, open, openDataSource, insertDateTime;
  } cases[] = {
      {"8.0", member::kAddVersion8, member::kOpenVersion8, member::kOpenDataSourceVersion8,
       member::kInsertDateTimeVersion8},
      {"9.0", member::kAdd, member::kOpen, member::kOpenDataSourceVersion8, member::kInsertDateTime},
      {"15.0", member::kAdd, member::kOpen, member::kOpenDataSource, member::kInsertDateTime},
      {"18.0", member::kAdd, member::kOpen, member::kOpenDataSource, member::kInsertDateTime},  // not "8."
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    Messages messages;
    const fs::path main = folder_ / "new.docx";
    {
      Watched server;
      server.version = c.version;
      MailMergeRequest request = Request(3, main);
      ASSERT_EQ(server.Automation().Run(&request), 0);
      const std::vector<DispId> documents = server.MembersOf("app/6");
      ASSERT_EQ(documents.size(), 1u);
      EXPECT_EQ(documents[0], c.add);
      const std::vector<DispId> selection = server.MembersOf("app/5");
      EXPECT_EQ(std::count(selection.begin(), selection.end(), c.insertDateTime), 2);
      const std::vector<DispId> merge = server.MembersOf("app/6/" + std::to_string(c.add) + "/27");
      EXPECT_EQ(std::count(merge.begin(), merge.end(), c.openDataSource), 1);
    }
    {
      // The new main document has no fields yet: one merge field makes it
      // ready to merge.
      qx::test::WriteDocx(main, qx::test::kLetterBody, Merge::kDataSource,
                          "file://" + (folder_ / "CUST.TXT").string());
      Watched server;
      server.version = c.version;
      MailMergeRequest request = Request(5, main);
      ASSERT_EQ(server.Automation().Run(&request), 0);
      EXPECT_EQ(server.MembersOf("app/6"), std::vector<DispId>{c.open});
      const std::vector<DispId> merge = server.MembersOf("app/6/" + std::to_string(c.open) + "/27");
      EXPECT_EQ(std::count(merge.begin(), merge.end(), c.openDataSource), 1);
      fs::remove(folder_ / "new-merged.docx");
    }
    EXPECT_TRUE(messages.texts.empty());
  }
}

}  // namespace
