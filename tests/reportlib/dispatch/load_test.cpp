// Loading libQxa-3.so as the main program does: the library registers its
// dispatcher for group 3 on load, exports both entry points by name, and
// the base library then routes group-3 commands to it; unloading it takes
// the dispatcher away again.
#include <dlfcn.h>
#include <elf.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "dispatch/exports.h"
#include "qxabase.h"
#include "qxtest/files.h"
#include "qxtest/scripted_screen.h"
#include "qxtest/transcript.h"
#include "ravadodo.h"

namespace {

// The names of the library file's dynamic symbols of binding STB_GNU_UNIQUE.
std::vector<std::string> UniqueSymbols(const std::string& path) {
  const std::string image = qxtest::ReadAll(path);
  std::vector<std::string> names;
  Elf64_Ehdr header;
  if (image.size() < sizeof header) return {"<not an ELF file>"};
  std::memcpy(&header, image.data(), sizeof header);
  for (int i = 0; i < header.e_shnum; ++i) {
    Elf64_Shdr section;
    std::memcpy(&section, image.data() + header.e_shoff + i * sizeof section, sizeof section);
    if (section.sh_type != SHT_DYNSYM) continue;
    Elf64_Shdr strings;
    std::memcpy(&strings, image.data() + header.e_shoff + section.sh_link * sizeof strings, sizeof strings);
    for (std::size_t at = 0; at + sizeof(Elf64_Sym) <= section.sh_size; at += sizeof(Elf64_Sym)) {
      Elf64_Sym symbol;
      std::memcpy(&symbol, image.data() + section.sh_offset + at, sizeof symbol);
      if (ELF64_ST_BIND(symbol.st_info) == STB_GNU_UNIQUE)
        names.push_back(image.data() + strings.sh_offset + symbol.st_name);
    }
  }
  return names;
}

// A unique symbol keeps the library that defines it first in memory for good:
// built without them, the library can be unloaded whatever was loaded before it.
TEST(LoadingQxa3, TheLibraryDefinesNoSymbolThatPinsItInMemory) {
  EXPECT_EQ(UniqueSymbols(QX_QXA3_FILE), std::vector<std::string>{});
}

// Unloading the library takes its dispatcher out of group 3 and the library
// out of memory: a group-3 command is then refused as for a library that is
// not installed, and nothing calls into code that is gone.  (Run first: the
// test below keeps the library loaded to the end of the program.)
TEST(LoadingQxa3, UnloadingItTakesItsDispatcherOutOfGroup3) {
  qxtest::TempDir dir("qxdispatchunload");
  qxtest::ScriptedScreen screen(dir.path().string(), qxtest::TestToday());
  screen.Start("");
  ASSERT_EQ(dlopen(QX_QXA3_FILE, RTLD_NOW | RTLD_NOLOAD), nullptr) << "the library is loaded already";
  ASSERT_EQ(CommandHandlerGet(kGroup3Slot), nullptr);

  void* library = dlopen(QX_QXA3_FILE, RTLD_NOW | RTLD_GLOBAL);
  ASSERT_NE(library, nullptr) << dlerror();
  EXPECT_EQ(reinterpret_cast<void*>(CommandHandlerGet(kGroup3Slot)), dlsym(library, "RunMenuCommand"));
  ASSERT_EQ(dlclose(library), 0) << dlerror();

  EXPECT_EQ(dlopen(QX_QXA3_FILE, RTLD_NOW | RTLD_NOLOAD), nullptr) << "dlclose left the library in memory";
  EXPECT_EQ(CommandHandlerGet(kGroup3Slot), nullptr);
  SharedAppBlock* app = SharedAppBlockGet();
  app->currentCommand = 0;
  EXPECT_EQ(CommandRun(337, nullptr), -1);
  EXPECT_EQ(app->currentCommand, -1);
  EXPECT_FALSE(CommandIsActive());
  const std::string transcript = screen.Finish();
  EXPECT_EQ(qxtest::MessageNumbers(transcript), std::vector<int>{1921}) << transcript;  // group not installed
}

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
  // dispatcher; its frame opens and closes around the aging entry, which
  // finds no company files in the folder and so did not run.
  app->fromMenu = 1;
  app->commandFlag = 9;
  EXPECT_EQ(CommandRun(337, nullptr), -1);
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
