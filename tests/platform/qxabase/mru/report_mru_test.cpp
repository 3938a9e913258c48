// Remembered report parameters, driven the way a user meets them: an aging
// selection screen run from key scripts over a company folder of its own,
// built as the report screens build theirs (field table, start hook, Shift+F9
// and F10 handlers, then ReportDefAndMRUInit, FormRun, ReportMRUSave and
// ReportDefAndMRUFree).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "btrvc.h"
#include "qxabase/app_block.h"
#include "qxabase/commands.h"
#include "qxabase/files.h"
#include "qxabase/report_mru.h"
#include "qxtest/files.h"
#include "qxtest/scripted_screen.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/report_mru.h"
#include "records/settings.h"

namespace {

// --- The screen ----------------------------------------------------------------------
// Sort by code (fields 2/3) or name (4/5), only the chosen pair in use; an
// aging date, a report type, days past due and a zip code.

constexpr int kCustAging = 337;
constexpr int kVendAging = 344;

TagFormField Field(int number, int row, const char* mask, const char* label, const char* choices = nullptr) {
  TagFormField f;
  f.number = static_cast<std::uint8_t>(number);
  f.row = static_cast<std::uint8_t>(row);
  f.column = 20;
  std::strncpy(f.mask, mask, sizeof f.mask - 1);
  f.label = label;
  f.choices = choices;
  return f;
}

TAG_REPORT_MRU_FIELD Remembered(int field, std::uint32_t kind) {
  TAG_REPORT_MRU_FIELD f{};
  f.fieldNumber = static_cast<std::uint8_t>(field);
  f.valueCode = 20u * static_cast<std::uint32_t>(field);
  f.kind = kind;
  return f;
}

const TAG_REPORT_MRU_FIELD kAgingMruFields[] = {
    Remembered(1, kMruKindChoice), Remembered(2, kMruKindText),  Remembered(3, kMruKindText),
    Remembered(4, kMruKindText),   Remembered(5, kMruKindText),  Remembered(6, kMruKindDate),
    Remembered(7, kMruKindChoice), Remembered(8, kMruKindNumber), Remembered(9, kMruKindText),
    TAG_REPORT_MRU_FIELD{},
};
constexpr unsigned kAgingMruRecords = 10;

// What F10 accepted.
struct Accepted {
  int sort = 0;
  std::string from, to;
  bool fromOpen = false, toOpen = false;
  std::string date;
  int type = 0;
  std::string days;
  std::string zip;
  bool operator==(const Accepted&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Accepted& a) {
  return os << "{sort " << a.sort << ", from '" << a.from << "'" << (a.fromOpen ? " open" : "") << ", to '"
            << a.to << "'" << (a.toOpen ? " open" : "") << ", date " << a.date << ", type " << a.type
            << ", days '" << a.days << "', zip '" << a.zip << "'}";
}

// The screen unit's three pointers and its context.
struct Screen {
  int menuId = 0;
  Accepted accepted;
  bool wasAccepted = false;
};
CQxDataCopy* g_copy = nullptr;
CQxDataCopyCollection* g_collection = nullptr;
CQxRepMRUParam* g_mru = nullptr;

// The screen's own class, as the report screens derive theirs.
class AgingMruParam : public CQxRepMRUParam {};

Screen* Ctx(Form* f) { return static_cast<Screen*>(f->context); }

int OpenPairBySort(Form* f, int) {
  const int first = FieldGetChoice(f, 1) == 1 ? 2 : 4;
  for (int n = 2; n <= 5; ++n) FieldSetAccess(f, n, n == first || n == first + 1 ? 0 : 2);
  return 0x40;
}

int FromExit(Form* f, int field) {
  if (FieldText(f, field).empty()) FieldSetText(f, field, "FIRST");
  return 0;
}
int ToExit(Form* f, int field) {
  if (FieldText(f, field).empty()) FieldSetText(f, field, "LAST ");
  return 0;
}

const char* KeyOf(int menuId) {
  switch (menuId) {
    case kCustAging: return "CustAging";
    case kVendAging: return "VendAging";
    default: return nullptr;
  }
}

void MruHook(Form* f, bool start) {
  if (!start) {
    if (g_collection) g_collection->RestoreAll();
    return;
  }
  if (g_collection) g_collection->BackupAll();
  g_mru = nullptr;
  if (!CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) return;
  g_mru = new (std::nothrow) AgingMruParam;
  if (g_mru == nullptr) return;
  g_mru->Initialize(SharedAppBlockGet()->userName, KeyOf(Ctx(f)->menuId), kAgingMruFields);
  if (g_mru->LoadAllFields()) g_mru->StructToScreen(f);
}

// The fill routine: the range fields start as open ends and the sort by
// code; the date, type and days come from the report's parameters each time.
int FillScreen(Form* f, int start) {
  char today[16];
  if (start) {
    FieldSetChoice(f, 1, 1);
    for (int n = 2; n <= 5; ++n) FieldSetText(f, n, n % 2 ? "LAST " : "FIRST");
    FieldSetText(f, 9, "");
  } else {
    FieldSetFocus(f, 1);
  }
  FieldSetText(f, 6, DateToText(today, DateToday()));
  FieldSetChoice(f, 7, 1);
  FieldSetText(f, 8, "30");
  MruHook(f, start != 0);
  OpenPairBySort(f, 1);
  return start ? 0 : 0x80;
}

int RestoreDefaults(Form* f, KeyCode) { return FillScreen(f, 0); }

int Accept(Form* f, KeyCode) {
  Accepted& a = Ctx(f)->accepted;
  a.sort = FieldGetChoice(f, 1);
  const int first = a.sort == 1 ? 2 : 4;
  // An open end as shown: "FIRST" or "LAST", or "" when left blank.
  char from[256], to[256];
  a.fromOpen = FieldGetTyped(f, first, 0, nullptr) != 0;
  a.toOpen = FieldGetTyped(f, first + 1, 0, nullptr) != 0;
  FieldGetShownText(f, first, from, sizeof from);
  FieldGetShownText(f, first + 1, to, sizeof to);
  a.from = from;
  a.to = to;
  a.date = FieldText(f, 6);
  a.type = FieldGetChoice(f, 7);
  a.days = FieldText(f, 8);
  a.zip = FieldText(f, 9);
  Ctx(f)->wasAccepted = true;
  return 1;
}

std::vector<TagFormField> AgingTable() {
  std::vector<TagFormField> t = {
      Field(1, 1, "%-16sm", "Sort by", "\x01" "Customer Code,Customer Name"),
      Field(2, 2, "%-10sC", "Code from"),
      Field(3, 3, "%-10sC", "Code to"),
      Field(4, 2, "%-30s", "Name from"),
      Field(5, 3, "%-30s", "Name to"),
      Field(6, 5, "nn/nn/nn", "Aging date"),
      Field(7, 6, "%-10sm", "Report", "\x01" "Detail,Summary,Audit"),
      Field(8, 7, "%3d", "Days past due"),
      Field(9, 8, "ccccc-cccc", "Zip code"),
      TagFormField{},
  };
  t[0].exitCallback = OpenPairBySort;
  t[1].exitCallback = t[3].exitCallback = FromExit;
  t[2].exitCallback = t[4].exitCallback = ToExit;
  return t;
}

// One run of the screen as a report entry runs it.
int RunAgingScreen(Screen* screen) {
  std::vector<TagFormField> table = AgingTable();
  Form form{};
  Window window{};
  FormBegin(&form);
  EXPECT_EQ(1, FormFieldsCreate(&form, table.data(), 1));
  EXPECT_EQ(0, WinOpen(&window, 5, 8, 12, 64, 1, 1, 32, "Aging"));
  FormAttachWindow(&window, &form, 1);
  form.context = screen;
  form.startHook = FillScreen;
  FormOnKey(&form, kKeyShiftF9, RestoreDefaults);
  FormOnKey(&form, kKeyF10, Accept, "Run");
  CQxBaseRepParam::ReportDefAndMRUInit(g_copy, g_collection, g_mru, &form, kAgingMruRecords);
  const int result = FormRun(&form, 0);
  if (!FormWasCancelled(&form)) CQxBaseRepParam::ReportMRUSave(g_mru, &form);
  WinClose(&window, 1);
  FormEnd(&form);
  CQxBaseRepParam::ReportDefAndMRUFree(g_copy, g_collection, g_mru);
  return result;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// --- Values the tests type and expect ----------------------------------------------------

// Sort by name, Baker..Carter, 04/30/25, Summary, 60 days, zip 12345-6789.
// Typed on the screen's defaults.
const char* const kTypeSetX = R"(Space Enter "Baker" Enter "Carter" Enter "043025" Enter "S" Enter "60" Enter "123456789" F10)";
const Accepted kSetX{2, "Baker", "Carter", false, false, "04/30/25", 2, "60", "12345-6789"};

// Sort by code, A..M, 05/31/25, Audit, 90 days.  Typed on the defaults.
const char* const kTypeSetY = R"(Enter "A" Enter "M" Enter "053125" Enter "A" Enter "90" F10)";
const Accepted kSetY{1, "A", "M", false, false, "05/31/25", 3, "90", "     -    "};

// The screen's defaults with today fixed at 03/15/25.
const Accepted kDefaults{1, "FIRST", "LAST", true, true, "03/15/25", 1, "30", "     -    "};

const char* const kMessageBox = "message box: Remembered Report Settings";

class ReportMruTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_STATE_HOME", (folder_.path() / "state").c_str(), 1);
    ASSERT_TRUE(AppBlockTextSet(SharedAppBlockGet()->companyPath, kFolderFieldSize, company_.c_str()));
    SetUser("ALICE");
    BtrvTestSwitch("");
  }
  void TearDown() override {
    ::unsetenv("XDG_STATE_HOME");
    BtrvTestSwitch("");
    ReportMruSaveStepHookForTest(nullptr);
    ScreenResetForTest("", nullptr);
    AppBlockTextSet(SharedAppBlockGet()->companyPath, kFolderFieldSize, "");
  }

  static void SetUser(const char* user) {
    ASSERT_TRUE(AppBlockTextSet(SharedAppBlockGet()->userName, sizeof SharedAppBlockGet()->userName, user));
  }

  struct Run {
    int result = -1;
    bool accepted = false;
    Accepted values;
    std::string transcript;
  };

  // Runs the screen of `menuId` as `user` with the key script `keys`, as
  // one command: the system settings are read afresh.
  Run RunScreen(const char* user, int menuId, const std::string& keys) {
    SetUser(user);
    SettingsRefresh(0, 0);
    screen_.Start(keys);
    Screen screen;
    screen.menuId = menuId;
    Run run;
    run.result = RunAgingScreen(&screen);
    run.transcript = screen_.Finish();
    run.accepted = screen.wasAccepted;
    run.values = screen.accepted;
    return run;
  }

  // What the screen shows at its start, read by accepting it at once.
  Accepted Shown(const char* user, int menuId) {
    Run run = RunScreen(user, menuId, "F10");
    EXPECT_TRUE(run.accepted);
    return run.values;
  }

  // The store: the user's, in the state folder (here the test's own).
  std::string StorePath() const { return FilePathGet(records::kFileReportMru); }

  // Writes the company's "0SysPrefs" with the remember flag set to `flag`.
  void SetRememberPreference(char flag) {
    const records::FileDef& settings = *records::FindFile(records::kFileSettings);
    const std::vector<std::uint8_t> spec = records::CreateSpecification(settings);
    const std::string path = company_ + "/" + settings.name;
    ASSERT_EQ(0, BtrvCreate(path.c_str(), spec.data(), spec.data() + kFileSpecSize));
    BtrvHandle h = 0;
    ASSERT_EQ(0, BtrvOpen(&h, path.c_str(), kOpenNormal, 0));
    records::SysPrefsRecord record{};
    records::SetPadded(record.key, "0SysPrefs");
    record.rememberReportParams = flag;
    char key[255] = {};
    ASSERT_EQ(0, BtrvWriteOp(kOpInsert, h, key, &record, sizeof record));
    BtrvClose(h);
  }

  qxtest::TempDir folder_{"qxmru"};
  std::string company_ = folder_.path().string();
  qxtest::ScriptedScreen screen_{company_, qxtest::TestToday()};
};

// --- Remembering ------------------------------------------------------------------------

TEST_F(ReportMruTest, AcceptedValuesComeBackForTheSameUserAndReportOnly) {
  Run first = RunScreen("ALICE", kCustAging, kTypeSetX);
  ASSERT_TRUE(first.accepted);
  ASSERT_EQ(kSetX, first.values) << "the script typed what the test expects";

  struct Case {
    const char* name;
    const char* user;
    int menuId;
    Accepted shown;
  } cases[] = {
      {"the same user and report", "ALICE", kCustAging, kSetX},
      {"the user's name in other letters", "alice", kCustAging, kSetX},
      {"another user", "BOB", kCustAging, kDefaults},
      {"the other report of the pair", "ALICE", kVendAging, kDefaults},
      {"a screen without a key", "ALICE", 999, kDefaults},
  };
  for (const Case& c : cases) EXPECT_EQ(c.shown, Shown(c.user, c.menuId)) << c.name;
}

TEST_F(ReportMruTest, EachUserKeepsASetOfTheirOwn) {
  ASSERT_EQ(kSetX, RunScreen("ALICE", kCustAging, kTypeSetX).values);
  ASSERT_EQ(kSetY, RunScreen("BOB", kCustAging, kTypeSetY).values);
  EXPECT_EQ(kSetX, Shown("ALICE", kCustAging));
  EXPECT_EQ(kSetY, Shown("BOB", kCustAging));
}

TEST_F(ReportMruTest, WithThePreferenceOffNothingIsStoredAndTheDefaultsShow) {
  SetRememberPreference('N');
  Run first = RunScreen("ALICE", kCustAging, kTypeSetX);
  ASSERT_EQ(kSetX, first.values);
  EXPECT_FALSE(CQxRepMRUParam::m_IsSysPrefsMRU);
  EXPECT_EQ(kDefaults, Shown("ALICE", kCustAging));
  EXPECT_EQ(kStatusFileNotFound, BtrvFileExists(StorePath().c_str()));
}

TEST_F(ReportMruTest, ThePreferenceIsOnUnlessTheCompanySaysNo) {
  SettingsRefresh(0, 0);
  EXPECT_TRUE(CQxRepMRUParam::IsSysPrefsSaveRepMRUParams()) << "no settings file";
  SetRememberPreference('Y');
  SettingsRefresh(0, 0);
  EXPECT_TRUE(CQxRepMRUParam::IsSysPrefsSaveRepMRUParams());
  EXPECT_TRUE(CQxRepMRUParam::m_IsSysPrefsMRU);
}

TEST_F(ReportMruTest, EscStoresNothing) {
  RunScreen("ALICE", kCustAging, kTypeSetX);
  Run left = RunScreen("ALICE", kCustAging, R"(Space Enter "Zed" Enter "Zulu" Enter Esc)");
  EXPECT_EQ(27, left.result);
  EXPECT_EQ(kSetX, Shown("ALICE", kCustAging));
}

TEST_F(ReportMruTest, ShiftF9BringsBackTheDefaultsOfThisRunNotTheRememberedValues) {
  RunScreen("ALICE", kCustAging, kTypeSetX);
  Run run = RunScreen("ALICE", kCustAging, R"(Enter "Dunn" Shift+F9 F10)");
  ASSERT_TRUE(run.accepted);
  EXPECT_EQ(kDefaults, run.values);
}

TEST_F(ReportMruTest, ShiftF9WithNothingRememberedKeepsTheDefaults) {
  Run run = RunScreen("ALICE", kCustAging, R"(Enter "B" Enter "K" Enter Enter "A" Shift+F9 F10)");
  ASSERT_TRUE(run.accepted);
  EXPECT_EQ(kDefaults, run.values);
}

// --- A save that does not finish ------------------------------------------------------------

TEST_F(ReportMruTest, ARecordManagerFailureInTheMiddleOfASaveKeepsThePreviousSet) {
  RunScreen("ALICE", kCustAging, kTypeSetX);
  ASSERT_EQ(0, BtrvTestSwitch("fail=2:report_mru:3:2"));  // the third insert fails
  Run failed = RunScreen("ALICE", kCustAging, kTypeSetY);
  ASSERT_EQ(0, BtrvTestSwitch(""));
  EXPECT_TRUE(failed.accepted) << "the report still runs";
  EXPECT_EQ(1, CountOf(failed.transcript, kMessageBox)) << failed.transcript;
  EXPECT_NE(std::string::npos, failed.transcript.find("could not be remembered")) << failed.transcript;
  EXPECT_EQ(kSetX, Shown("ALICE", kCustAging));
}

TEST_F(ReportMruTest, AProcessKilledBetweenRecordsLeavesThePreviousSetWhole) {
  RunScreen("ALICE", kCustAging, kTypeSetX);
  int ready[2];
  ASSERT_EQ(0, pipe(ready));
  static int readyFd = -1;
  readyFd = ready[1];
  const pid_t pid = fork();
  if (pid == 0) {
    // The child saves another set and stops after its second record, its
    // transaction still open, until it is killed.
    ReportMruSaveStepHookForTest([](int written) {
      if (written != 2) return;
      const char byte = 1;
      if (write(readyFd, &byte, 1) != 1) _exit(2);
      pause();
    });
    SetUser("ALICE");
    ScreenResetForTest(kTypeSetY, nullptr);
    DateSetToday(DateMake(2025, 3, 15));
    Screen screen;
    screen.menuId = kCustAging;
    RunAgingScreen(&screen);
    _exit(1);  // not reached: the save waits to be killed
  }
  ASSERT_GT(pid, 0);
  char byte = 0;
  ASSERT_EQ(1, read(ready[0], &byte, 1)) << "the child reached its second record";
  kill(pid, SIGKILL);
  int status = 0;
  ASSERT_EQ(pid, waitpid(pid, &status, 0));
  EXPECT_TRUE(WIFSIGNALED(status));
  close(ready[0]);
  close(ready[1]);

  EXPECT_EQ(kSetX, Shown("ALICE", kCustAging));
  // The store takes the next save as usual.
  Run next = RunScreen("ALICE", kCustAging, R"(Enter "Adams" Enter "Young" F10)");
  ASSERT_TRUE(next.accepted);
  EXPECT_EQ("Adams", next.values.from);
  EXPECT_EQ(next.values, Shown("ALICE", kCustAging));
}

// --- A store that cannot be used ----------------------------------------------------------------

TEST_F(ReportMruTest, AStoreOfAnotherLayoutIsReportedOnceAndLeftAsItWas) {
  // A file of the store's name that this program did not make: 20-byte
  // records with a key of their own.
  std::uint8_t spec[kFileSpecSize + kKeySegmentSize] = {};
  spec[0] = 20;             // record length
  spec[3] = 0x10;           // page size 4096
  spec[4] = 1;              // one key
  spec[kFileSpecSize] = 1;  // position 1, length 10, a string
  spec[kFileSpecSize + 2] = 10;
  std::filesystem::create_directories(std::filesystem::path(StorePath()).parent_path());
  ASSERT_EQ(0, BtrvCreate(StorePath().c_str(), spec, spec + kFileSpecSize));
  BtrvHandle h = 0;
  ASSERT_EQ(0, BtrvOpen(&h, StorePath().c_str(), kOpenNormal, 0));
  char record[20] = "somebody else";
  char key[255] = {};
  ASSERT_EQ(0, BtrvWriteOp(kOpInsert, h, key, record, sizeof record));
  BtrvClose(h);

  Run first = RunScreen("ALICE", kCustAging, kTypeSetX);
  EXPECT_TRUE(first.accepted) << "the screen runs on its defaults";
  EXPECT_EQ(1, CountOf(first.transcript, kMessageBox)) << first.transcript;
  EXPECT_NE(std::string::npos, first.transcript.find("not laid out")) << first.transcript;
  Run second = RunScreen("ALICE", kCustAging, "F10");
  EXPECT_EQ(kDefaults, second.values);
  EXPECT_EQ(0, CountOf(second.transcript, kMessageBox)) << "shown once\n" << second.transcript;

  ASSERT_EQ(0, BtrvOpen(&h, StorePath().c_str(), kOpenNormal, 0));
  char read[20] = {};
  unsigned length = 0;
  EXPECT_EQ(0, BtrvGetOp(kOpGetFirst, h, key, read, sizeof read, &length));
  EXPECT_STREQ("somebody else", read);
  EXPECT_EQ(kStatusEndOfFile, BtrvGetOp(kOpGetNext, h, key, read, sizeof read));
  BtrvClose(h);
}

// --- The objects on their own ---------------------------------------------------------------------

TEST_F(ReportMruTest, NullObjectsAreHarmless) {
  CQxDataCopy* copy = nullptr;
  CQxDataCopyCollection* collection = nullptr;
  CQxRepMRUParam* mru = nullptr;
  EXPECT_EQ(0, CQxBaseRepParam::ReportMRUSave(mru, nullptr));
  CQxBaseRepParam::ReportDefAndMRUFree(copy, collection, mru);
  EXPECT_EQ(nullptr, copy);
  EXPECT_EQ(kStatusFileNotFound, BtrvFileExists(StorePath().c_str()));
}

TEST_F(ReportMruTest, InitializeRefusesWhatTheStoreCannotKeep) {
  AgingMruParam mru;
  const std::string longName(32, 'x');
  struct Case {
    const char* name;
    const char* user;
    const char* key;
    const TAG_REPORT_MRU_FIELD* table;
    bool accepted;
  } cases[] = {
      {"a user and key", "ALICE", "CustAging", kAgingMruFields, true},
      {"no user (single-user install)", nullptr, "CustAging", kAgingMruFields, true},
      {"no key", "ALICE", nullptr, kAgingMruFields, false},
      {"an empty key", "ALICE", "", kAgingMruFields, false},
      {"a key too long for the store", "ALICE", longName.c_str(), kAgingMruFields, false},
      {"a user too long for the store", longName.c_str(), "CustAging", kAgingMruFields, false},
      {"no table", "ALICE", "CustAging", nullptr, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.accepted, mru.Initialize(c.user, c.key, c.table)) << c.name;
    if (!c.accepted) {
      EXPECT_FALSE(mru.LoadAllFields()) << c.name;
      EXPECT_EQ(1, mru.SaveAllFields()) << c.name;
    }
  }
}

// An open end comes back as the open end it was, whatever the screen's
// default put in the field since.
TEST_F(ReportMruTest, AnOpenEndComesBackOpenOverADefaultValue) {
  struct Case {
    const char* name;
    const char* saved;     // what the field held when the screen was accepted
    const char* fallback;  // the screen's default in the next run
    const char* shown;     // what it shows once the remembered values are put back
    bool open;
  } cases[] = {
      {"a from end", "FIRST", "A", "FIRST", true},
      {"a to end", "LAST ", "M", "LAST", true},
      {"an open end over an open default", "FIRST", "LAST ", "FIRST", true},
      {"a blank end", "", "A", "", true},
      {"a blank end over an open default", "", "LAST ", "LAST", true},
      {"a value", "Baker", "A", "BAKER", false},
  };
  std::vector<TagFormField> table;
  std::vector<TAG_REPORT_MRU_FIELD> fields;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    table.push_back(Field(static_cast<int>(i) + 1, static_cast<int>(i) + 1, "%-10sC", cases[i].name));
    fields.push_back(Remembered(static_cast<int>(i) + 1, kMruKindText));
  }
  table.push_back(TagFormField{});
  fields.push_back(TAG_REPORT_MRU_FIELD{});
  ScreenResetForTest("", nullptr);
  Form form{};
  FormBegin(&form);
  ASSERT_EQ(1, FormFieldsCreate(&form, table.data(), 1));
  for (std::size_t i = 0; i < std::size(cases); ++i) FieldSetText(&form, static_cast<int>(i) + 1, cases[i].saved);
  AgingMruParam mru;
  ASSERT_TRUE(mru.Initialize("ALICE", "Ranges", fields.data()));
  ASSERT_TRUE(mru.ScreenToStruct(&form));
  ASSERT_EQ(0, mru.SaveAllFields());
  for (std::size_t i = 0; i < std::size(cases); ++i)
    FieldSetText(&form, static_cast<int>(i) + 1, cases[i].fallback);

  AgingMruParam again;
  ASSERT_TRUE(again.Initialize("ALICE", "Ranges", fields.data()));
  ASSERT_TRUE(again.LoadAllFields());
  again.StructToScreen(&form);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    const int field = static_cast<int>(i) + 1;
    char shown[64];
    FieldGetShownText(&form, field, shown, sizeof shown);
    EXPECT_STREQ(c.shown, shown) << c.name;
    EXPECT_EQ(c.open, FieldGetTyped(&form, field, 0, nullptr) == 1) << c.name;
    if (c.open) {
      EXPECT_EQ("", FieldText(&form, field)) << c.name << ": an open end still reads as empty";
    }
  }
  FormEnd(&form);
}

TEST_F(ReportMruTest, AValueTooLongToKeepIsNotRemembered) {
  std::vector<TagFormField> table = {Field(1, 1, "%-9s", "Short note"), Field(2, 2, "%-100s", "Long note"),
                                     TagFormField{}};
  const TAG_REPORT_MRU_FIELD fields[] = {Remembered(1, kMruKindText), Remembered(2, kMruKindText),
                                         TAG_REPORT_MRU_FIELD{}};
  ScreenResetForTest("", nullptr);
  Form form{};
  FormBegin(&form);
  ASSERT_EQ(1, FormFieldsCreate(&form, table.data(), 1));
  FieldSetText(&form, 1, "short");
  FieldSetText(&form, 2, std::string(78, 'n').c_str());
  AgingMruParam mru;
  ASSERT_TRUE(mru.Initialize("ALICE", "Notes", fields));
  ASSERT_TRUE(mru.ScreenToStruct(&form));
  ASSERT_EQ(0, mru.SaveAllFields());
  FieldSetText(&form, 1, "");
  FieldSetText(&form, 2, "default");

  AgingMruParam again;
  ASSERT_TRUE(again.Initialize("ALICE", "Notes", fields));
  ASSERT_TRUE(again.LoadAllFields());
  again.StructToScreen(&form);
  EXPECT_EQ("short", FieldText(&form, 1));
  EXPECT_EQ("default", FieldText(&form, 2));
  FormEnd(&form);
}

}  // namespace
