// The command frame with recording services and recording entries: which
// entry each command id reaches and with what, the order of the frame's
// calls (also when the command is refused), the paths block, and exceptions.
#include "dispatch/command_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "btrvc.h"
#include "dispatch/command_entries.h"

namespace {

using qxa3::CommandEntries;
using qxa3::FrameServices;
using qxa3::RunCommandFrame;

// What one run of the frame did, and how the recording services answer.
struct Recording {
  std::vector<std::string> calls;       // every call, in order
  std::vector<int> inCommandAtCall;     // SharedAppBlock::inCommand as each call saw it
  std::vector<std::string> entryCalls;  // the entries' calls only
  int commandFlagAtEntry = -1;
  std::vector<std::string> errorBoxes;
  std::string paths;  // the block handed to BtrvSetPaths

  SharedAppBlock* app = nullptr;
  const char* parameterText = nullptr;  // shown as "p" when an entry receives it

  int sessionAnswer = 1;
  int commandAnswer = 1;
  int lockAnswer = 1;
  int depthAnswer = 1;  // the bracket depth CommandActiveSet(1) gives: 2 inside another command
  std::string throwAt;  // the call (as recorded) that throws
  bool throwNonStandard = false;
  int detourTo = 0;  // an entry that sets the current command to this and queues itself
  bool entrySaysDone = false;  // the entry said it did its work (CommandDone)
  std::vector<std::string> marks;  // what the frame marked: "not done", "unknown"
};

Recording* gRec = nullptr;

void Note(const std::string& call) {
  gRec->calls.push_back(call);
  gRec->inCommandAtCall.push_back(gRec->app->inCommand);
  if (call == gRec->throwAt) {
    if (gRec->throwNonStandard) throw 42;
    throw std::runtime_error("the disk is full");
  }
}

std::string Show(int value) { return std::to_string(value); }
std::string Show(char value) { return std::string("'") + value + "'"; }
std::string Show(const char* text) {
  if (text == nullptr) return "null";
  if (text == gRec->parameterText) return "p";  // the dispatcher's own text, not a copy
  return '"' + std::string(text) + '"';
}

template <std::size_t N>
struct EntryName {
  char text[N];
  constexpr EntryName(const char (&name)[N]) {  // NOLINT: implicit, for EntryName<"...">
    for (std::size_t i = 0; i < N; ++i) text[i] = name[i];
  }
};

template <EntryName Name, class... Args>
int RecordEntry(Args... args) {
  std::string call = std::string(Name.text) + "(";
  std::string separator;
  ((call += separator + Show(args), separator = ", "), ...);
  call += ")";
  gRec->entryCalls.push_back(call);
  gRec->commandFlagAtEntry = gRec->app->commandFlag;
  gRec->app->commandFlag = 7;  // the frame clears it again after the command
  if (gRec->detourTo) {
    gRec->app->nextCommand = gRec->app->currentCommand;
    gRec->app->currentCommand = gRec->detourTo;
  }
  Note(call);
  return 5;  // dropped by the frame
}

template <EntryName Name, class... Args>
void Bind(int (*&slot)(Args...)) {
  slot = &RecordEntry<Name, Args...>;
}

CommandEntries RecordingEntries() {
  CommandEntries e{};
  Bind<"RunGLJournal">(e.RunGLJournal);
  Bind<"RunArApJournal">(e.RunArApJournal);
  Bind<"RunPurchasingJournal">(e.RunPurchasingJournal);
  Bind<"RunBillingJournal">(e.RunBillingJournal);
  Bind<"RunAssemblyJournal">(e.RunAssemblyJournal);
  Bind<"RunPhysicalInventoryJournal">(e.RunPhysicalInventoryJournal);
  Bind<"RunPOStatusReport">(e.RunPOStatusReport);
  Bind<"RunCashJournal">(e.RunCashJournal);
  Bind<"RunCashRecDisReport">(e.RunCashRecDisReport);
  Bind<"RunChecksToPrint">(e.RunChecksToPrint);
  Bind<"RunCheckRegister">(e.RunCheckRegister);
  Bind<"RunOnLineBalance">(e.RunOnLineBalance);
  Bind<"RunGLPost">(e.RunGLPost);
  Bind<"RunArApPost">(e.RunArApPost);
  Bind<"PostCash">(e.PostCash);
  Bind<"RunBiPoPost">(e.RunBiPoPost);
  Bind<"RunAssemblyPost">(e.RunAssemblyPost);
  Bind<"RunPhysicalInventoryPost">(e.RunPhysicalInventoryPost);
  Bind<"RunInventoryPost">(e.RunInventoryPost);
  Bind<"RunCustPurchaseHistory">(e.RunCustPurchaseHistory);
  Bind<"RunCustVendStatements">(e.RunCustVendStatements);
  Bind<"RunCustVendAging">(e.RunCustVendAging);
  Bind<"RunCustVendDirectory">(e.RunCustVendDirectory);
  Bind<"RunCustVendLettersLabels">(e.RunCustVendLettersLabels);
  Bind<"RunBackorderReport">(e.RunBackorderReport);
  Bind<"RunVendorPaymentsReport">(e.RunVendorPaymentsReport);
  Bind<"RunPrint1099">(e.RunPrint1099);
  Bind<"RunProductListing">(e.RunProductListing);
  Bind<"RunServiceListing">(e.RunServiceListing);
  Bind<"RunProductPriceListing">(e.RunProductPriceListing);
  Bind<"RunPriceBreaksReport">(e.RunPriceBreaksReport);
  Bind<"RunProductActivityReport">(e.RunProductActivityReport);
  Bind<"RunProductAlertReport">(e.RunProductAlertReport);
  Bind<"RunProductCountSheets">(e.RunProductCountSheets);
  Bind<"RunProductAssemblyReport">(e.RunProductAssemblyReport);
  Bind<"RunProductComponentReport">(e.RunProductComponentReport);
  Bind<"RunProductActivityDetail">(e.RunProductActivityDetail);
  Bind<"RunGLEndPeriod">(e.RunGLEndPeriod);
  Bind<"RunEditAccountBudget">(e.RunEditAccountBudget);
  Bind<"RunGLYearClose">(e.RunGLYearClose);
  Bind<"PromoPriceReport">(e.PromoPriceReport);
  Bind<"RunGenerateFinanceCharges">(e.RunGenerateFinanceCharges);
  Bind<"RunArApEndPeriod">(e.RunArApEndPeriod);
  Bind<"RunCustVendForecastReport">(e.RunCustVendForecastReport);
  Bind<"RunCustVendForecastCalc">(e.RunCustVendForecastCalc);
  Bind<"RunCustVendYearEnd">(e.RunCustVendYearEnd);
  Bind<"RunPrint1096">(e.RunPrint1096);
  Bind<"RunPriceAssignment">(e.RunPriceAssignment);
  Bind<"RunInventoryForecastReport">(e.RunInventoryForecastReport);
  Bind<"RunInventoryForecastCalc">(e.RunInventoryForecastCalc);
  Bind<"RunInventoryYearEnd">(e.RunInventoryYearEnd);
  Bind<"RunPurgeFiles">(e.RunPurgeFiles);
  Bind<"RunPhysicalInventoryEntry">(e.RunPhysicalInventoryEntry);
  Bind<"RunGlobalChange">(e.RunGlobalChange);
  Bind<"RunAuditTrailLog">(e.RunAuditTrailLog);
  Bind<"Command395Run">(e.Command395Run);
  Bind<"MailMergeCustomers">(e.MailMergeCustomers);
  Bind<"MailMergeVendors">(e.MailMergeVendors);
  Bind<"RunWarehouseStatusReport">(e.RunWarehouseStatusReport);
  Bind<"RunInventoryTransactionJournal">(e.RunInventoryTransactionJournal);
  return e;
}

std::string Args(int a, int b) { return "(" + std::to_string(a) + ", " + std::to_string(b) + ")"; }

FrameServices RecordingServices() {
  return {
      .BtrvSetPaths =
          [](const void* block) {
            gRec->paths.assign(static_cast<const char*>(block), kPathsBlockSize);
            Note("BtrvSetPaths");
            return 0;
          },
      .CommandActiveSet =
          [](int active) {
            Note("CommandActiveSet(" + std::to_string(active) + ")");
            return active ? gRec->depthAnswer : gRec->depthAnswer - 1;
          },
      .UserAccessCheckSession =
          [](int* scratch) {
            if (scratch) *scratch = 0;
            Note("UserAccessCheckSession");
            return gRec->sessionAnswer;
          },
      .UserAccessCheckCommand =
          [](int fromMenu) {
            Note("UserAccessCheckCommand(" + std::to_string(fromMenu) + ")");
            return gRec->commandAnswer;
          },
      .CommandAccess =
          [](int take, int commandId) {
            Note("CommandAccess" + Args(take, commandId));
            return take ? gRec->lockAnswer : 1;
          },
      .SettingsRefresh =
          [](int a, int b) {
            Note("SettingsRefresh" + Args(a, b));
            return 0;
          },
      .CommandFlagsReset =
          [](int a, int b) {
            Note("CommandFlagsReset" + Args(a, b));
            return 0;
          },
      .PostingLeave = [] { Note("PostingLeave"); },
      .ShowError = [](const char* text) { gRec->errorBoxes.push_back(text); },
      .CommandIsDone = [] { return gRec->entrySaysDone && !gRec->entryCalls.empty(); },
      .CommandNotDone = [] { gRec->marks.push_back("not done"); },
      .CommandUnknown = [] { gRec->marks.push_back("unknown"); },
  };
}

// A report parameter string as a drill-down link hands it over.
constexpr char kPreset[] = "input='default' output='aging.htm' sortfld='1'";

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { gRec = nullptr; }

  void Reset() {
    rec_ = Recording{};
    app_ = SharedAppBlock{};
    rec_.app = &app_;
    gRec = &rec_;
  }

  // Runs `commandId` as a menu pick with `parameterText`.
  int Run(int commandId, const char* parameterText = kPreset) {
    app_.currentCommand = commandId;
    app_.fromMenu = 1;
    rec_.parameterText = parameterText;
    return RunCommandFrame(app_, parameterText, services_, entries_);
  }

  Recording rec_;
  SharedAppBlock app_;
  const FrameServices services_ = RecordingServices();
  const CommandEntries entries_ = RecordingEntries();
};

using Calls = std::vector<std::string>;

// The entry each id with a case reaches, with its arguments ("p": the
// dispatcher's parameter text itself).
const std::map<int, std::string> kEntryOfId = {
    {301, "RunGLJournal(p)"},
    {302, "RunArApJournal(302)"},
    {303, "RunArApJournal(303)"},
    {304, "RunPurchasingJournal(304)"},
    {305, "RunBillingJournal(305)"},
    {306, "RunAssemblyJournal()"},
    {307, "RunPhysicalInventoryJournal()"},
    {308, "RunPOStatusReport()"},
    {310, "RunCashJournal()"},
    {311, "RunCashRecDisReport('R')"},
    {312, "RunCashRecDisReport('P')"},
    {313, "RunChecksToPrint()"},
    {314, "RunCheckRegister()"},
    {316, "RunOnLineBalance()"},
    {320, "RunGLPost()"},
    {321, "RunArApPost(1)"},
    {322, "RunArApPost(0)"},
    {323, "PostCash()"},
    {324, "RunBiPoPost(1)"},
    {325, "RunBiPoPost(0)"},
    {326, "RunAssemblyPost()"},
    {327, "RunPhysicalInventoryPost()"},
    {328, "RunInventoryPost()"},
    {329, "RunCustPurchaseHistory(p)"},
    {336, "RunCustVendStatements(336)"},
    {337, "RunCustVendAging(337, p)"},
    {338, "RunCustVendDirectory(338, p)"},
    {339, "RunCustVendLettersLabels(339, 0)"},
    {340, "RunBackorderReport(p)"},
    {341, "RunCustVendLettersLabels(341, 0)"},
    {343, "RunCustVendStatements(343)"},
    {344, "RunCustVendAging(344, p)"},
    {345, "RunCustVendDirectory(345, p)"},
    {346, "RunCustVendLettersLabels(346, 0)"},
    {347, "RunVendorPaymentsReport()"},
    {348, "RunPrint1099()"},
    {349, "RunCustVendLettersLabels(349, 0)"},
    {350, "RunProductListing(p)"},
    {351, "RunServiceListing()"},
    {352, "RunProductPriceListing()"},
    {353, "RunPriceBreaksReport()"},
    {354, "RunProductActivityReport(p)"},
    {355, "RunProductAlertReport()"},
    {356, "RunProductCountSheets()"},
    {357, "RunProductAssemblyReport()"},
    {358, "RunProductComponentReport()"},
    {359, "RunProductActivityDetail(p)"},
    {360, "RunGLEndPeriod()"},
    {361, "RunEditAccountBudget()"},
    {362, "RunGLYearClose()"},
    {363, "PromoPriceReport(0)"},
    {364, "RunGenerateFinanceCharges()"},
    {365, "RunArApEndPeriod(365)"},
    {366, "RunCustVendForecastReport(366)"},
    {367, "RunCustVendForecastCalc(367)"},
    {368, "RunCustVendForecastReport(368)"},
    {369, "RunCustVendYearEnd(22)"},
    {370, "RunArApEndPeriod(370)"},
    {371, "RunCustVendForecastReport(371)"},
    {372, "RunCustVendForecastCalc(372)"},
    {373, "RunCustVendForecastReport(373)"},
    {374, "RunCustVendYearEnd(66)"},
    {375, "RunPrint1096(null)"},
    {380, "RunPriceAssignment()"},
    {381, "RunInventoryForecastReport(381)"},
    {382, "RunInventoryForecastCalc(382)"},
    {383, "RunInventoryForecastReport(383)"},
    {384, "RunInventoryYearEnd()"},
    {390, "RunPurgeFiles()"},
    {391, "RunPhysicalInventoryEntry()"},
    {393, "RunGlobalChange()"},
    {394, "RunAuditTrailLog()"},
    {395, "Command395Run()"},
    {396, "MailMergeCustomers(0)"},
    {397, "MailMergeVendors(0)"},
    {398, "RunWarehouseStatusReport()"},
    {399, "RunInventoryTransactionJournal()"},
};

// Ids that reach no entry: the gaps of group 3 and the ids just outside it.
const std::set<int> kIdsWithoutCase = {300, 309, 315, 317, 318, 319, 330, 331, 332, 333, 334, 335,
                                       342, 376, 377, 378, 379, 385, 386, 387, 388, 389, 392, 400};

// `call` as it reads when the dispatcher's parameter text is null.
std::string WithNullText(std::string call) {
  for (const char* from : {"(p)", ", p)"}) {
    const std::size_t at = call.find(from);
    if (at != std::string::npos) call.replace(at, std::strlen(from), from[0] == '(' ? "(null)" : ", null)");
  }
  return call;
}

TEST_F(FrameTest, EveryIdFrom300To400ReachesItsEntryOnceWithItsArguments) {
  for (const char* text : {kPreset, static_cast<const char*>(nullptr), ""}) {
    for (int id = 300; id <= 400; ++id) {
      SCOPED_TRACE("command " + std::to_string(id) + ", parameter text " + (text ? '"' + std::string(text) + '"' : "null"));
      Reset();
      const int result = Run(id, text);
      if (auto it = kEntryOfId.find(id); it != kEntryOfId.end()) {
        EXPECT_EQ(result, 0);
        EXPECT_EQ(rec_.entryCalls, Calls{text ? it->second : WithNullText(it->second)});
      } else if (kIdsWithoutCase.count(id)) {
        EXPECT_EQ(result, -1);
        EXPECT_EQ(rec_.entryCalls, Calls{});
      } else {
        ADD_FAILURE() << "the test names no expectation for this id";
      }
      // A complete frame every time, with or without a case.
      ASSERT_FALSE(rec_.calls.empty());
      EXPECT_EQ(rec_.calls.front(), "BtrvSetPaths");
      EXPECT_EQ(rec_.calls.back(), "CommandActiveSet(0)");
      EXPECT_EQ(app_.inCommand, 0);
      EXPECT_TRUE(rec_.errorBoxes.empty());
    }
  }
}

TEST_F(FrameTest, ASavedRunReachesItsEntryWithoutItsOutput) {
  const struct {
    const char* text;
    const char* entryGets;  // "p": the text itself
  } cases[] = {
      {"input='usersel' sortfld='Customer Name' output='../../x.htm'", "\"input='usersel' sortfld='Customer Name'\""},
      {"output='a.htm' input='usersel' type='1'", "\"input='usersel' type='1'\""},
      {"input='USERSEL' output='a.htm'", "\"input='USERSEL'\""},
      {"input='default' output='a.htm'", "p"},              // a preset chooses its file
      {"input='usersel' output='a.htm", "p"},               // unreadable: the entry refuses it
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Reset();
    EXPECT_EQ(Run(337, c.text), 0);
    EXPECT_EQ(rec_.entryCalls, Calls{std::string("RunCustVendAging(337, ") + c.entryGets + ")"});
  }
}

TEST_F(FrameTest, OpensRunsAndClosesInOrder) {
  app_.commandFlag = 9;  // left over from before: cleared before the command runs
  EXPECT_EQ(Run(337), 0);  // the entry's own 5 is dropped
  EXPECT_EQ(rec_.calls, (Calls{"BtrvSetPaths", "CommandActiveSet(1)", "UserAccessCheckSession",
                               "UserAccessCheckCommand(1)", "CommandAccess(1, 337)", "SettingsRefresh(0, 0)",
                               "CommandFlagsReset(0, 0)", "RunCustVendAging(337, p)", "PostingLeave",
                               "CommandAccess(0, -1)", "CommandActiveSet(0)"}));
  // Only the entry runs with the in-command flag set.
  EXPECT_EQ(rec_.inCommandAtCall, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(rec_.commandFlagAtEntry, 0);
  EXPECT_EQ(app_.commandFlag, 0);  // the entry left 7
  EXPECT_EQ(app_.currentCommand, 337);
}

struct FrameCase {
  const char* name;
  int id;
  int session, command, lock;  // answers of the access checks and the lock
  Calls calls;
  int result;
  int currentAfter;
};

TEST_F(FrameTest, ARefusedOrUnknownCommandStillPassesThroughTheWholeFrame) {
  const FrameCase cases[] = {
      {"no right to the session", 337, 0, 1, 1,
       {"BtrvSetPaths", "CommandActiveSet(1)", "UserAccessCheckSession", "CommandAccess(1, -1)",
        "SettingsRefresh(0, 0)", "CommandFlagsReset(0, 0)", "CommandAccess(0, -1)", "CommandActiveSet(0)"},
       -1, -1},
      {"no right to the command", 337, 1, 0, 1,
       {"BtrvSetPaths", "CommandActiveSet(1)", "UserAccessCheckSession", "UserAccessCheckCommand(1)",
        "CommandAccess(1, -1)", "SettingsRefresh(0, 0)", "CommandFlagsReset(0, 0)", "CommandAccess(0, -1)",
        "CommandActiveSet(0)"},
       -1, -1},
      {"command already running", 337, 1, 1, 0,
       {"BtrvSetPaths", "CommandActiveSet(1)", "UserAccessCheckSession", "UserAccessCheckCommand(1)",
        "CommandAccess(1, 337)", "SettingsRefresh(0, 0)", "CommandFlagsReset(0, 0)", "CommandAccess(0, -1)",
        "CommandActiveSet(0)"},
       -1, -1},
      {"id 300, below the group", 300, 1, 1, 1,
       {"BtrvSetPaths", "CommandActiveSet(1)", "UserAccessCheckSession", "UserAccessCheckCommand(1)",
        "CommandAccess(1, 300)", "SettingsRefresh(0, 0)", "CommandFlagsReset(0, 0)", "CommandAccess(0, -1)",
        "CommandActiveSet(0)"},
       -1, 300},
      {"id 400, above the group", 400, 1, 1, 1,
       {"BtrvSetPaths", "CommandActiveSet(1)", "UserAccessCheckSession", "UserAccessCheckCommand(1)",
        "CommandAccess(1, 400)", "SettingsRefresh(0, 0)", "CommandFlagsReset(0, 0)", "CommandAccess(0, -1)",
        "CommandActiveSet(0)"},
       -1, 400},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    rec_.sessionAnswer = c.session;
    rec_.commandAnswer = c.command;
    rec_.lockAnswer = c.lock;
    app_.commandFlag = 9;
    EXPECT_EQ(Run(c.id), c.result);
    EXPECT_EQ(rec_.calls, c.calls);
    EXPECT_EQ(rec_.entryCalls, Calls{});
    EXPECT_EQ(app_.currentCommand, c.currentAfter);
    EXPECT_EQ(app_.inCommand, 0);
    EXPECT_EQ(app_.commandFlag, 0);
    EXPECT_TRUE(rec_.errorBoxes.empty());
  }
}

// A command is done only when its unit says so: the frame marks every
// other way out as not done, and an id without a case as unknown.
TEST_F(FrameTest, ACommandIsDoneOnlyWhenItsUnitSaysSo) {
  const struct Case {
    const char* name;
    int id;
    bool saysDone;
    int lock;
    const char* throwAt;
    std::vector<std::string> marks;
  } cases[] = {
      {"the unit said it did its work", 325, true, 1, "", {}},
      {"the unit refused, stopped or was left", 325, false, 1, "", {"not done"}},
      {"the unit failed", 360, true, 1, "RunGLEndPeriod()", {"not done"}},
      {"the command is running elsewhere", 325, true, 0, "", {"not done"}},
      {"an id without a case", 309, true, 1, "", {"unknown"}},
      {"an id outside the group", 400, true, 1, "", {"unknown"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    rec_.entrySaysDone = c.saysDone;
    rec_.lockAnswer = c.lock;
    rec_.throwAt = c.throwAt;
    Run(c.id);
    EXPECT_EQ(rec_.marks, c.marks);
  }
}

// A posting unit the entry left open is dropped before the command's lock
// is released, however the entry ended; a command run inside another one
// leaves the outer command's unit alone.
TEST_F(FrameTest, APostingUnitLeftOpenIsDroppedAfterTheOutermostCommand) {
  struct Case {
    const char* name;
    int depth;
    std::string throwAt;
    bool dropped;
  } cases[] = {
      {"the entry returns", 1, "", true},
      {"the entry throws", 1, "RunGLPost()", true},
      {"run inside another command", 2, "", false},
      {"run inside another command, and throws", 2, "RunGLPost()", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    rec_.depthAnswer = c.depth;
    rec_.throwAt = c.throwAt;
    EXPECT_EQ(Run(320), 0);
    const Calls closing(rec_.calls.end() - (c.dropped ? 3 : 2), rec_.calls.end());
    const Calls expected = c.dropped ? Calls{"PostingLeave", "CommandAccess(0, -1)", "CommandActiveSet(0)"}
                                     : Calls{"CommandAccess(0, -1)", "CommandActiveSet(0)"};
    EXPECT_EQ(closing, expected);
    EXPECT_EQ(std::count(rec_.calls.begin(), rec_.calls.end(), "PostingLeave"), c.dropped ? 1 : 0);
  }
}

TEST_F(FrameTest, ACommandThatQueuesADetourKeepsItForTheMainLoop) {
  // A posting screen's F9: Backup/Restore now, the posting screen again after.
  rec_.detourTo = 602;
  EXPECT_EQ(Run(320), 0);
  EXPECT_EQ(app_.currentCommand, 602);
  EXPECT_EQ(app_.nextCommand, 320);
  EXPECT_EQ(rec_.calls.back(), "CommandActiveSet(0)");
}

// The paths block the record manager receives: `folders` at 0, 144, 288
// and 432, the i32 1 at 868, zeros everywhere else.
std::string PathsBlock(const std::vector<std::string>& folders) {
  std::string block(kPathsBlockSize, '\0');
  for (std::size_t i = 0; i < folders.size(); ++i) block.replace(i * kPathsFolderSize, folders[i].size(), folders[i]);
  const std::int32_t one = 1;
  std::memcpy(block.data() + 868, &one, sizeof one);
  return block;
}

TEST_F(FrameTest, HandsTheFourFoldersToTheRecordManagerBeforeEveryCommand) {
  const std::string longest(kFolderFieldSize - 1, 'c');
  AppBlockTextSet(app_.programFolder, kFolderFieldSize, "/opt/quarlex/program");
  AppBlockTextSet(app_.commonFolder, kFolderFieldSize, "/opt/quarlex/common");  // not the record manager's
  AppBlockTextSet(app_.baseDataFolder, kFolderFieldSize, "/opt/quarlex/program/QXA4BASE");
  AppBlockTextSet(app_.dictFolder, kFolderFieldSize, "/opt/quarlex/program/QXACDICT");
  AppBlockTextSet(app_.companyPath, kFolderFieldSize, longest.c_str());
  Run(301);
  EXPECT_EQ(rec_.paths, PathsBlock({"/opt/quarlex/program", "/opt/quarlex/program/QXA4BASE",
                                    "/opt/quarlex/program/QXACDICT", longest}));

  // The next command sees the company opened since.
  AppBlockTextSet(app_.companyPath, kFolderFieldSize, "/home/books/acme");
  Run(337);
  EXPECT_EQ(rec_.paths, PathsBlock({"/opt/quarlex/program", "/opt/quarlex/program/QXA4BASE",
                                    "/opt/quarlex/program/QXACDICT", "/home/books/acme"}));

  // A field someone filled to its last byte is cut, never read past.
  std::memset(app_.companyPath, 'x', kFolderFieldSize);
  Run(301);
  EXPECT_EQ(rec_.paths, PathsBlock({"/opt/quarlex/program", "/opt/quarlex/program/QXA4BASE",
                                    "/opt/quarlex/program/QXACDICT", std::string(kFolderFieldSize - 1, 'x')}));
}

struct FailureCase {
  const char* name;
  std::string throwAt;
  bool nonStandard;
  int result;
  std::string box;  // the error box's text
  Calls callsAfterFailure;  // what the frame still called after the throwing call
};

TEST_F(FrameTest, AnExceptionIsShownAndTheFrameStillCloses) {
  const FailureCase cases[] = {
      {"an entry throws", "RunCustVendAging(337, p)", false, 0,
       "Command 337 stopped because of an unexpected error:\nthe disk is full",
       {"PostingLeave", "CommandAccess(0, -1)", "CommandActiveSet(0)"}},
      {"an entry throws something that is no exception", "RunCustVendAging(337, p)", true, 0,
       "Command 337 stopped because of an unexpected error.",
       {"PostingLeave", "CommandAccess(0, -1)", "CommandActiveSet(0)"}},
      {"ending the posting throws", "PostingLeave", false, 0,
       "Command 337 stopped because of an unexpected error:\nthe disk is full",
       {"CommandAccess(0, -1)", "CommandActiveSet(0)"}},
      {"a call of the frame throws", "SettingsRefresh(0, 0)", false, -1,
       "Command 337 stopped because of an unexpected error:\nthe disk is full",
       {"CommandAccess(0, -1)", "CommandActiveSet(0)"}},
      {"releasing the lock throws", "CommandAccess(0, -1)", false, 0,
       "Command 337 stopped because of an unexpected error:\nthe disk is full", {"CommandActiveSet(0)"}},
      // The bracket was never opened, so it must not be closed either.
      {"handing over the paths throws", "BtrvSetPaths", false, -1,
       "Command 337 stopped because of an unexpected error:\nthe disk is full", {}},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    rec_.throwAt = c.throwAt;
    rec_.throwNonStandard = c.nonStandard;
    app_.commandFlag = 9;
    EXPECT_EQ(Run(337), c.result);
    EXPECT_EQ(rec_.errorBoxes, Calls{c.box});
    std::size_t at = 0;
    while (at < rec_.calls.size() && rec_.calls[at] != c.throwAt) ++at;
    ASSERT_LT(at, rec_.calls.size());
    EXPECT_EQ(Calls(rec_.calls.begin() + static_cast<long>(at) + 1, rec_.calls.end()), c.callsAfterFailure);
    EXPECT_EQ(app_.inCommand, 0);
    EXPECT_EQ(app_.commandFlag, 0);
  }
}

}  // namespace
