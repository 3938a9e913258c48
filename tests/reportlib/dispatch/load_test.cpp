// Loading libQxa-3.so as the main program does: the library registers its
// dispatcher for group 3 on load, exports both entry points by name, and
// the base library then routes group-3 commands to it.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "dispatch/exports.h"
#include "qxabase.h"
#include "ravadodo.h"

namespace {

TEST(LoadingQxa3, RegistersItsDispatcherWhichThenRunsGroup3Commands) {
  char pattern[] = "/tmp/qxdispatchloadXXXXXX";
  const std::string dir = mkdtemp(pattern);
  ScreenResetForTest("", nullptr);
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, (std::string(QX_SOURCE_DIR) + "/data").c_str());
  AppBlockTextSet(app->companyPath, kFolderFieldSize, dir.c_str());
  ASSERT_EQ(CommandHandlerGet(kGroup3Slot), nullptr);

  // Kept loaded to the end of the test program, as the main program keeps it.
  void* library = dlopen(QX_QXA3_FILE, RTLD_NOW | RTLD_GLOBAL);
  ASSERT_NE(library, nullptr) << dlerror();
  for (const Qxa3Export& e : kQxa3Exports) EXPECT_NE(dlsym(library, e.name), nullptr) << "ordinal " << e.ordinal;
  void* dispatcher = dlsym(library, "RunMenuCommand");
  EXPECT_EQ(reinterpret_cast<void*>(CommandHandlerGet(kGroup3Slot)), dispatcher);

  // The main program's own registration at start-up finds it done.
  auto registerHandler = reinterpret_cast<bool (*)()>(dlsym(library, "RegisterMenuHandler"));
  ASSERT_NE(registerHandler, nullptr);
  EXPECT_TRUE(registerHandler());
  EXPECT_EQ(reinterpret_cast<void*>(CommandHandlerGet(kGroup3Slot)), dispatcher);

  // The main loop hands command 337 to the base library, which reaches the
  // dispatcher; its frame opens and closes around the aging entry.
  app->fromMenu = 1;
  app->commandFlag = 9;
  EXPECT_EQ(CommandRun(337, nullptr), 0);
  EXPECT_FALSE(CommandIsActive());
  EXPECT_FALSE(CommandAccessHeld(337));
  EXPECT_EQ(app->inCommand, 0);
  EXPECT_EQ(app->commandFlag, 0);
  EXPECT_EQ(app->fromMenu, 0);

  ScreenResetForTest("", nullptr);
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

}  // namespace
