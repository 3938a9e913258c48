// The exports over the real base library on the script device: registering
// the dispatcher, commands routed to it by the base library, the command
// lock of a command run from inside another one, and the boxes it shows.
#include "dispatch/exports.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "dispatch/command_entries.h"
#include "dispatch/command_frame.h"
#include "dispatch/not_available.h"
#include "qxabase.h"
#include "qxtest/company_test.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/settings.h"

namespace {

int OtherHandler(const char*) { return 0; }

// An empty company folder of the test's own, no handler registered, the
// script device started without keys.
class ExportsTest : public qxtest::CompanyTest {
 protected:
  void SetUp() override {
    CompanyTest::SetUp();
    std::filesystem::create_directory(company_);
    CommandsResetForTest();
    Start("");
  }
  void TearDown() override {
    CommandAccess(0, -1);
    CommandsResetForTest();
    CompanyTest::TearDown();
  }

  // The transcript so far.
  std::string Transcript() { return Finish(); }

  SharedAppBlock* app_ = SharedAppBlockGet();
};

TEST_F(ExportsTest, RegisterMenuHandlerRegistersTheDispatcherOnceForGroup3) {
  ASSERT_EQ(CommandHandlerGet(kGroup3Slot), nullptr);
  EXPECT_TRUE(RegisterMenuHandler());
  EXPECT_EQ(CommandHandlerGet(kGroup3Slot), &RunMenuCommand);
  EXPECT_TRUE(RegisterMenuHandler());
  EXPECT_EQ(CommandHandlerGet(kGroup3Slot), &RunMenuCommand);
  for (int slot = 0; slot < kCommandGroupCount; ++slot) {
    if (slot != kGroup3Slot) {
      EXPECT_EQ(CommandHandlerGet(slot), nullptr) << "slot " << slot;
    }
  }

  // Another handler in the slot gives way to the dispatcher.
  CommandHandlerAdd(OtherHandler, kGroup3Slot);
  EXPECT_TRUE(RegisterMenuHandler());
  EXPECT_EQ(CommandHandlerGet(kGroup3Slot), &RunMenuCommand);
}

TEST_F(ExportsTest, ACommandOfTheBaseLibraryRunsInsideTheFrameAndTheFrameCloses) {
  ASSERT_TRUE(RegisterMenuHandler());
  app_->fromMenu = 1;
  app_->commandFlag = 9;
  // Its work lies outside this system: it ran, and did not do it.
  EXPECT_EQ(CommandRun(323, nullptr), -1);
  EXPECT_FALSE(CommandIsActive());
  EXPECT_FALSE(CommandAccessHeld(323));
  EXPECT_EQ(app_->inCommand, 0);
  EXPECT_EQ(app_->commandFlag, 0);
  EXPECT_EQ(app_->fromMenu, 0);  // the base library clears it as the outermost bracket closes
  EXPECT_NE(Transcript().find("message number: 1925"), std::string::npos);  // cash posting lies outside
}

TEST_F(ExportsTest, ACommandWithoutACaseShowsNothing) {
  ASSERT_TRUE(RegisterMenuHandler());
  EXPECT_EQ(CommandRun(309, "input='default'"), -1);
  EXPECT_FALSE(CommandIsActive());
  EXPECT_FALSE(CommandAccessHeld(309));
  EXPECT_EQ(Transcript().find("message box"), std::string::npos);
}

TEST_F(ExportsTest, ACommandRunFromInsideItselfIsRefusedAndTheOuterRunKeepsItsLock) {
  ASSERT_TRUE(RegisterMenuHandler());
  // The aging report runs, and a link of its preview asks for the aging report again.
  CommandActiveSet(1);
  ASSERT_EQ(CommandAccess(1, 337), 1);
  EXPECT_EQ(CommandRun(337, "input='default'"), -1);
  EXPECT_EQ(app_->currentCommand, -1);
  EXPECT_TRUE(CommandAccessHeld(337));
  EXPECT_TRUE(CommandIsActive());
  EXPECT_EQ(app_->inCommand, 0);
  CommandAccess(0, -1);
  CommandActiveSet(0);
  EXPECT_NE(Transcript().find("message number: 1931"), std::string::npos);  // already running
}

TEST_F(ExportsTest, UnloadingTakesTheDispatcherOutOfGroup3Only) {
  ASSERT_TRUE(RegisterMenuHandler());
  EXPECT_TRUE(qxa3::UnregisterMenuHandler());
  EXPECT_EQ(CommandHandlerGet(kGroup3Slot), nullptr);
  EXPECT_EQ(CommandRun(337, nullptr), -1) << "the group is refused, not routed into unloaded code";

  // A handler that replaced the dispatcher is not the dispatcher's to remove.
  CommandHandlerAdd(OtherHandler, kGroup3Slot);
  EXPECT_FALSE(qxa3::UnregisterMenuHandler());
  EXPECT_EQ(CommandHandlerGet(kGroup3Slot), &OtherHandler);
}

// A posting entry that stops between writing a transaction and committing
// it: its posting unit is still open when it returns (or throws).
BtrvHandle gSettings = 0;
bool gThrow = false;
int HalfPost() {
  TagPostWork work{};
  if (PostUnitBegin(&work) != 0) return -1;
  records::CompanyRecord company{};
  records::SetPadded(company.key, "0Company");
  records::SetText(company.name, "Written by an unfinished posting");
  char key[255] = {};
  if (BtrvWriteOp(kOpInsert, gSettings, key, &company, sizeof company) != 0) return -1;
  if (gThrow) throw std::runtime_error("the posting stopped");
  return 0;
}

TEST_F(ExportsTest, APostingUnitTheCommandLeftOpenIsNotKept) {
  const records::FileDef& settings = *records::FindFile(records::kFileSettings);
  const std::vector<std::uint8_t> spec = records::CreateSpecification(settings);
  const std::string path = dir_ + "/company/" + settings.name;
  ASSERT_EQ(BtrvCreate(path.c_str(), spec.data(), spec.data() + kFileSpecSize), 0);
  qxa3::CommandEntries entries = qxa3::kCommandEntries;
  entries.RunGLPost = HalfPost;
  for (bool throws : {false, true}) {
    SCOPED_TRACE(throws ? "the entry throws" : "the entry returns");
    gThrow = throws;
    ASSERT_EQ(BtrvOpen(&gSettings, path.c_str(), kOpenNormal, 0), 0);
    app_->currentCommand = 320;
    EXPECT_EQ(qxa3::RunCommandFrame(*app_, nullptr, qxa3::kBaseServices, entries), 0);

    char key[255] = {};
    std::memcpy(key, records::MakeSettingsKey("0Company").text, 15);
    records::CompanyRecord company{};
    EXPECT_EQ(BtrvGetOp(kOpGetEqual, gSettings, key, &company, sizeof company), kStatusKeyNotFound);
    BtrvClose(gSettings);
    // No transaction is left open for the next command to write into.
    ASSERT_EQ(BtrvTransaction(kOpBeginTransaction), 0);
    EXPECT_EQ(BtrvTransaction(kOpAbortTransaction), 0);
  }
}

TEST_F(ExportsTest, TheDispatchersOwnBoxesReachTheUser) {
  app_->currentCommand = 320;
  EXPECT_EQ(qxa3::NotAvailableYet("General-ledger posting"), 0);
  qxa3::kBaseServices.ShowError("Command 320 stopped because of an unexpected error:\nthe disk is full");
  const std::string transcript = Transcript();
  EXPECT_NE(transcript.find("General-ledger posting is not available yet."), std::string::npos) << transcript;
  EXPECT_NE(transcript.find("the disk is full"), std::string::npos) << transcript;
}

}  // namespace
