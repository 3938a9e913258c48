// The automation layer as a controller meets it: the spreadsheet server's
// members checked for how they are invoked and for the number and types of
// their arguments, refusals explained, and the controller's exceptions.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "automation/client.h"
#include "automation/messages.h"
#include "automation/registry.h"
#include "automation/spreadsheet/object_model.h"

namespace {

using namespace qx::automation;
namespace member = qx::automation::spreadsheet::member;

// A new workbook and handles on the objects the cases call.
struct Server {
  DispatchPtr application, workbooks, workbook, worksheets, sheet, range, font, border;

  Server() {
    EXPECT_EQ(CreateObject("quarlex.SPREADSHEET", &application), kOk);  // any case
    workbooks = GetObject(application, member::kWorkbooks);
    workbook = CallForObject(workbooks, member::kAdd, {Variant::Missing()});
    worksheets = GetObject(workbook, member::kWorksheets);
    sheet = GetObject(worksheets, member::kItem, {Variant::I2(1)});
    range = GetObject(sheet, member::kRange, {Variant::Bstr("B2"), Variant::Bstr("C3")});
    font = GetObject(range, member::kFont);
    border = GetObject(GetObject(range, member::kBorders), member::kItem, {Variant::I4(7)});
  }
};

struct Call {
  const char* name;
  DispatchPtr Server::*object;
  DispId member;
  unsigned kind;
  std::vector<Variant> args;
  HResult expected;
  const char* description;  // for kDispException: what the server says
};

TEST(SpreadsheetServer, ChecksMembersArgumentsAndValues) {
  const std::vector<Call> calls = {
      {"no such member", &Server::application, 0x9999, kInvokePropertyGet, {}, kDispMemberNotFound, ""},
      {"a write-only property read", &Server::application, member::kSheetsInNewWorkbook, kInvokePropertyGet, {},
       kDispMemberNotFound, ""},
      {"a read-only property written", &Server::application, member::kWorkbooks, kInvokePropertyPut,
       {Variant::I4(1)}, kDispMemberNotFound, ""},
      {"a method with too many arguments", &Server::application, member::kQuit, kInvokeMethod, {Variant::I4(1)},
       kDispBadParamCount, ""},
      {"SaveAs with 13 arguments", &Server::workbook, member::kSaveAs, kInvokeMethod,
       std::vector<Variant>(13, Variant::Bstr("x")), kDispBadParamCount, ""},
      {"a required argument left out", &Server::sheet, member::kRange, kInvokePropertyGet, {Variant::Missing()},
       kDispParamNotFound, ""},
      {"text that is no number", &Server::application, member::kSheetsInNewWorkbook, kInvokePropertyPut,
       {Variant::Bstr("three")}, kDispTypeMismatch, ""},
      {"text that is a number", &Server::application, member::kSheetsInNewWorkbook, kInvokePropertyPut,
       {Variant::Bstr(" 3 ")}, kOk, ""},
      {"an object for a number", &Server::font, member::kSize, kInvokePropertyPut,
       {Variant::Object(nullptr)}, kDispTypeMismatch, ""},
      {"a number beyond 32 bits", &Server::worksheets, member::kItem, kInvokePropertyGet, {Variant::R8(1e12)},
       kDispOverflow, ""},
      {"a Boolean as a number", &Server::font, member::kBold, kInvokePropertyPut, {Variant::I2(1)}, kOk, ""},
      {"font size 0", &Server::font, member::kSize, kInvokePropertyPut, {Variant::I2(0)}, kDispException,
       "Font size 0 is out of range: sizes run from 1 to 409 points."},
      {"an empty font name", &Server::font, member::kName, kInvokePropertyPut, {Variant::Bstr("")},
       kDispException, "The font name is empty."},
      {"a colour that is no RGB value", &Server::font, member::kColor, kInvokePropertyPut,
       {Variant::I4(0x1000000)}, kDispException, "Font colour 16777216 is not an RGB value (0 to 16777215)."},
      {"a cell that does not exist", &Server::sheet, member::kRange, kInvokePropertyGet, {Variant::Bstr("A0")},
       kDispException, "\"A0\" is not a cell reference (A1 to XFD1048576)."},
      {"a sheet past the last", &Server::worksheets, member::kItem, kInvokePropertyGet, {Variant::I2(2)},
       kDispException, "There is no worksheet 2: the workbook has 1."},
      {"a sheet by name, any case", &Server::worksheets, member::kItem, kInvokePropertyGet,
       {Variant::Bstr("SHEET1")}, kOk, ""},
      {"a line style that does not exist", &Server::border, member::kLineStyle, kInvokePropertyPut,
       {Variant::I2(6)}, kDispException, "Line style 6 is not a border line style."},
      {"a border weight that does not exist", &Server::border, member::kWeight, kInvokePropertyPut,
       {Variant::I2(3)}, kDispException, "Weight 3 is not a border weight."},
      {"an alignment that does not exist", &Server::range, member::kHorizontalAlignment, kInvokePropertyPut,
       {Variant::I2(2)}, kDispException, "Alignment 2 is not a horizontal alignment."},
      {"a column too wide", &Server::range, member::kColumnWidth, kInvokePropertyPut, {Variant::I2(256)},
       kDispException, "Column width 256 is out of range: widths run from 0 to 255 characters."},
      {"a template", &Server::workbooks, member::kAdd, kInvokeMethod, {Variant::Bstr("t.xltx")},
       kDispException, "Workbook templates are not supported."},
      {"Save before SaveAs", &Server::workbook, member::kSave, kInvokeMethod, {}, kDispException,
       "The workbook has no file yet: save it with SaveAs first."},
      {"SaveAs with a password", &Server::workbook, member::kSaveAs, kInvokeMethod,
       {Variant::Bstr("p.xlsx"), Variant::Missing(), Variant::Bstr("secret")}, kDispException,
       "Passwords are not supported."},
  };
  for (const Call& call : calls) {
    SCOPED_TRACE(call.name);
    Server server;
    const DispatchPtr& object = server.*call.object;
    DispParams params{call.args};
    Variant result;
    ExcepInfo info;
    unsigned argError = 99;
    EXPECT_EQ(object->Invoke(call.member, call.kind, params, &result, &info, &argError), call.expected);
    if (call.expected == kDispException) {
      EXPECT_EQ(info.source, "Spreadsheet");
      EXPECT_EQ(info.description, call.description);
    }
  }
}

TEST(SpreadsheetServer, NamesTheArgumentOfTheWrongType) {
  Server server;
  std::vector<Variant> args(12, Variant::Missing());
  args[0] = Variant::Bstr("book.xlsx");
  args[6] = Variant::Bstr("exclusive");  // AccessMode
  Variant result;
  ExcepInfo info;
  unsigned argError = 0;
  EXPECT_EQ(server.workbook->Invoke(member::kSaveAs, kInvokeMethod, DispParams{args}, &result, &info, &argError),
            kDispTypeMismatch);
  EXPECT_EQ(argError, 6u);
}

TEST(SpreadsheetServer, RefusesToFillMoreCellsThanOneChangeMayTouch) {
  Server server;
  const DispatchPtr everything =
      GetObject(server.sheet, member::kRange, {Variant::Bstr("A1"), Variant::Bstr("XFD1048576")});
  try {
    PutProperty(everything, member::kValue, Variant::Bstr("x"));
    FAIL() << "no refusal";
  } catch (const DispatchException& error) {
    EXPECT_EQ(error.description(),
              "The range A1:XFD1048576 holds 17,179,869,184 cells; one change may touch at most 4,194,304.");
  }
  // Whole columns are formatted as columns, whatever their size.
  const DispatchPtr columns = GetObject(server.sheet, member::kRange, {Variant::Bstr("A:XFD")});
  EXPECT_NO_THROW(PutProperty(GetObject(columns, member::kFont), member::kBold, Variant::Boolean(true)));
}

TEST(AutomationController, ReportsEveryFailureAsADispatchException) {
  Server server;
  try {
    PutProperty(server.application, member::kSheetsInNewWorkbook, Variant::Bstr("three"));
    FAIL() << "no exception";
  } catch (const DispatchException& error) {
    EXPECT_EQ(error.code(), kDispTypeMismatch);
    EXPECT_EQ(error.source(), "");
    EXPECT_EQ(error.description(), "Type mismatch.");
  }
  // A null object answers nothing: the active window of an application
  // without a workbook.
  DispatchPtr fresh;
  ASSERT_EQ(CreateObject("Quarlex.Spreadsheet", &fresh), kOk);
  EXPECT_THROW(GetObject(fresh, member::kActiveWindow), DispatchException);
  try {
    PutProperty(nullptr, member::kValue, Variant::I2(1));
    FAIL() << "no exception";
  } catch (const DispatchException& error) {
    EXPECT_EQ(error.code(), kErrorPointer);
  }
}

TEST(AutomationRegistry, KnowsOnlyItsServers) {
  DispatchPtr object;
  EXPECT_EQ(CreateObject("Nobody.Application", &object), kClassNotFound);
  EXPECT_EQ(object, nullptr);
}

TEST(AutomationMessages, ErrorTextNamesSourceAndDescription) {
  EXPECT_EQ(AutomationErrorText("Spreadsheet", "Type mismatch."), "Spreadsheet - Type mismatch.");
  EXPECT_EQ(AutomationErrorText("", "Type mismatch."), "Type mismatch.");
  EXPECT_EQ(AutomationErrorText("Spreadsheet", ""), "Spreadsheet - unknown error");
  EXPECT_EQ(AutomationErrorText("", ""), "unknown error");
}

TEST(AutomationMessages, QuestionsWithoutAHostAreAnsweredNo) {
  SetMessageSink({});
  testing::internal::CaptureStderr();
  EXPECT_EQ(ShowMessage("Go on?", kMessageYesNo | kMessageIconExclamation), kAnswerNo);
  EXPECT_EQ(ShowMessage("Done."), kAnswerOk);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Go on?\nDone.\n");
  SetMessageSink([](std::string_view, unsigned, unsigned) -> int { throw std::runtime_error("host failed"); });
  EXPECT_EQ(ShowMessage("Go on?", kMessageYesNo), kAnswerNo);
  SetMessageSink({});
}

}  // namespace
