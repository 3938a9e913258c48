// The main program: start-up, the checks of the installation, the opening
// command and the shut-down around the main loop.
#include "shell/startup.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "btrvc.h"
#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/files.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/startup.h"
#include "qxhlpmnu.h"
#include "qxsys/user_folders.h"
#include "qxwreg.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "shell/components.h"
#include "shell/main_loop.h"
#include "shell/menu_libraries.h"
#include "shell/menu_tables.h"

namespace qxa {
namespace {

constexpr char kTitle[] = "Quarlex Accounting (Single-User)";
constexpr char kRegistryName[] = "qxa15";
constexpr int kRegistryId = 15;
constexpr char kArgsFile[] = "QxAcArgs.ini";
constexpr std::size_t kArgsFileBytes = 4096;
constexpr char kFilesOption[] = "/FILES:";
constexpr int kMaxFolder = kFolderFieldSize - 1;

// The company folder of the command line, made absolute (empty: none).
std::string& CommandLinePath() {
  static std::string path;
  return path;
}

struct StartupFailure {
  std::string text;
  bool boxed;  // also shown in a message box
};

std::vector<StartupFailure>& StartupFailures() {
  static std::vector<StartupFailure> failures;
  return failures;
}

// `path` made absolute against the current folder, without "." and ".."
// steps and trailing slashes.
// `path` made absolute against `base` (the current folder when empty).
std::string Absolute(const std::string& path, const std::string& base = std::string()) {
  std::error_code ec;
  std::filesystem::path p =
      base.empty() ? std::filesystem::absolute(path, ec) : std::filesystem::path(base) / path;
  if (ec) return path;
  std::string text = p.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

std::string Join(const std::string& folder, const char* name) {
  return folder == "/" ? "/" + std::string(name) : folder + "/" + name;
}

// Shows a start-up failure and keeps its text for standard error.
void Refuse(const std::string& text, int style = kMsgStyleError) {
  MsgBoxShowStyle(0, oem::FromUtf8(text).c_str(), nullptr, style, 0);
  NoteShownStartupFailure(text);
}

std::string Trimmed(const char* text) {
  std::string t = text ? text : "";
  std::vector<char> buffer(t.begin(), t.end());
  buffer.push_back(0);
  StrTrim(5, buffer.data());
  return buffer.data();
}

// The start-up part of RunMainMenu up to the main loop.  kExitOk when the
// main loop is to run.
int StartUp(Toolbar* toolbar) {
  SharedAppBlock* app = SharedAppBlockGet();
  app->appMode = kAppModeStarting;
  AppStateLoad(app->helpBuffer, app->helpContext);
  if (!SetupFolders()) return kExitStartupFailed;

  if (RegGetInt("BaseFiles", "Converted", 0) == 0) {
    // A failed upgrade stores 0: it is tried again at the next start.
    RegSetInt("BaseFiles", "Converted", ConvertBaseFiles());
  }
  AppApplyOption(AppQueryOption(0), 0);

  if (!CheckComponentVersions()) return kExitStartupFailed;
  if (BtrvCheckResident(app->programFolder) != 0) {
    StopRecordManager("** ERROR - Btrieve is not resident **");
    NoteStartupFailure("** ERROR - Btrieve is not resident **");
    return kExitStartupFailed;
  }
  if (!CheckRecordManagerVersion()) {
    StopRecordManager(nullptr);
    return kExitStartupFailed;
  }

  BuildMenuBar();
  MenuDisable(TopLevelMenu());
  AppEnableInput(0);

  // The args file lies in the program's folder: start-up has moved there
  // before it reads the file (SetWorkingFolder), so its name alone means
  // that folder, whatever folder the user started the program in.
  ReadArgsIni(Join(app->programFolder, kArgsFile).c_str());

  app->lastKey = kKeyEsc;
  app->currentCommand = kCommandOpenCompany;
  if ((RunOpeningCommand(kCommandOpenCompany) & 0xFF) == 0) {
    StopRecordManager(nullptr);
    NoteStartupFailure("The command that opens a company is not available.");
    return kExitStartupFailed;
  }

  char startText[12] = {};
  auto* commandLine = AppGetCommandLine();
  if (commandLine->StartNumber() != -1) {
    const long n = commandLine->StartNumber();
    AppSetStartValue(n);
    AppStartValueText(startText, n);
    app->cmdLineValue1 = app->cmdLineValue2 = static_cast<int>(n);
  } else {
    AppStartValueText(startText, app->cmdLineValue2);
    AppSetStartValue(app->cmdLineValue2);
  }
  AppGetSettings()->SetStartNumberText(startText);

  AppPathsSet(app->programFolder, app->companyPath, app->baseDataFolder);
  LinkFileOpen(kLinkFileName);
  InitFormPaths();
  RecordManagerPathsSet();

  if (!CommandLinePath().empty()) {
    int error = 0, status = 0;
    if (!CompanyPathOpen(records::kFileSettings, CommandLinePath().c_str(), &error, &status)) {
      // A folder that holds no company is a wrong path; a company the
      // record manager cannot use (damaged, held by another program) is a
      // command that could not run.
      int exitStatus = kExitNotStarted;
      if (error == kCompanyPathRecordError) {
        MsgRecordError(status, 1, kErrorOpOpen, records::kFileSettings, 0);
        NoteShownStartupFailure(RecordErrorText(status, kErrorOpOpen, records::kFileSettings));
        if (AppIsCommandOnly()) exitStatus = kExitCommandFailed;
      } else {
        // In the Open Company screen's words: what is wrong with the folder.
        const std::string why = CompanyPathRefusal(error, CommandLinePath());
        MsgBoxShowStyle(0, oem::FromUtf8(why).c_str(), nullptr, kMsgStyleError, 1);
        NoteShownStartupFailure(why);
      }
      StopRecordManager(nullptr);
      CloseFramework();
      return exitStatus;
    }
  }

  // The opening command: 101 unless the opening check changed it.
  RunCommand();
  if (app->lastKey == kKeyEsc) {
    StopRecordManager(nullptr);
    CloseFramework();
    NoteStartupFailure("No company was opened.");
    return kExitNotStarted;
  }

  app->currentCommand = kCommandNone;
  LinkStart(GetDataFolder(), LinkArgGet());
  // The start-up chain: unlike the main loop's, no follow-up is special.
  while (app->nextCommand != 0) {
    RunCommand();
    if (app->lastKey == kKeyEsc) break;
    app->currentCommand = app->nextCommand;
    app->nextCommand = 0;
    RunCommand();
    if (app->lastKey == kKeyEsc) break;
  }
  if (app->lastKey == kKeyEsc) app->nextCommand = 0;
  if (app->currentCommand == kCommandAfterChain) RunCommand();
  if (app->lastKey == kKeyEsc) {
    StopRecordManager(nullptr);
    CloseFramework();
    return kExitNotStarted;
  }

  StartupChainDone();
  LinkMenuSet(2);  // the third drop-down list
  LoadToolbar(toolbar);
  RunWinPopProgram();
  return kExitOk;
}

}  // namespace

void NoteStartupFailure(const std::string& text) { StartupFailures().push_back({text, false}); }

void NoteShownStartupFailure(const std::string& text) { StartupFailures().push_back({text, true}); }

int QxaMain(int argc, char** argv) {
  // --help and --version answer on standard output before anything starts.
  {
    AppCommandLine line;
    if (line.Parse(argc > 0 ? argc - 1 : 0, argc > 0 ? argv + 1 : argv) == 0) {
      switch (line.InformationAsked()) {
        case AppCommandLine::Information::kUsage: std::printf("%s\n", AppCommandLine::Usage()); return kExitOk;
        case AppCommandLine::Information::kVersion:
          std::printf("%s\n", AppCommandLine::VersionText().c_str());
          return kExitOk;
        case AppCommandLine::Information::kNone: break;
      }
    }
  }
  SharedAppBlockGet();
  int status = kExitOk;
  if (InitApplication(argc, argv, &status)) {
    RegInit(kRegistryName, kRegistryId);
    if (!AppCreateMainWindow()) {
      status = kExitStartupFailed;
    } else if (!SetWorkingFolder()) {
      Refuse("The program's folder cannot be made the current folder.");
      status = kExitStartupFailed;
    } else {
      status = RunMainMenu();
    }
    AppDestroyMainWindow();
  }
  AppShutdown(1);
  // Without a screen, what the boxes said is on standard error already.
  for (const StartupFailure& f : StartupFailures())
    if (!f.boxed || !ScreenIsClosed()) std::fprintf(stderr, "qxa15: %s\n", f.text.c_str());
  // A job that ran one command learns what it wrote: one line per file.
  if (AppIsCommandOnly()) {
    for (const std::string& path : ReportFilesWritten()) std::printf("%s\n", path.c_str());
  }
  return status;
}

bool InitApplication(int argc, const char* const* argv, int* status) {
  SharedAppBlock* app = SharedAppBlockGet();
  auto* commandLine = AppGetCommandLine();
  auto* settings = AppGetSettings();
  AppFrameworkInit();
  AppInit();
  AppSetTitle(kTitle);
  if (AppLoadScreens("QXASCRNS.DLL") != 0) {
    NoteStartupFailure("The screens data (the base-data folder) cannot be found.");
    *status = kExitStartupFailed;
    return false;
  }

  if (commandLine->Parse(argc > 0 ? argc - 1 : 0, argc > 0 ? argv + 1 : argv) == -1) {
    MsgBoxShowStyle(0, oem::FromUtf8(commandLine->ErrorText()).c_str(), AppGetCaption(), kMsgStyleError, 0);
    NoteShownStartupFailure(commandLine->ErrorText());
    *status = kExitCommandLine;
    return false;
  }
  AppSetMenuCommand(commandLine->StartMode() == 0);
  AppSetCommandOnly(commandLine->StartMode() == 1);
  AppSetStartMode2(commandLine->StartMode() == 2);
  AppSetStartCommand(commandLine->StartCommand());

  // The user's folder: the launcher passes it on, since it starts the
  // program in the program's own folder.
  std::error_code ec;
  const char* launcherFolder = std::getenv("QX_START_FOLDER");
  StartFolderSet(launcherFolder && *launcherFolder == '/' ? launcherFolder
                                                          : std::filesystem::current_path(ec).c_str());
  // The command's reports go to the file the command line names.
  ReportOutputSet(commandLine->OutputFile());
  // The folder is taken as the user meant it, before the program moves to
  // its own folder; a path the folder fields cannot hold is refused whole.
  const std::string given = Trimmed(commandLine->CompanyPath());
  CommandLinePath() = given.empty() ? std::string() : Absolute(given, StartFolderGet());
  if (CommandLinePath().size() > static_cast<std::size_t>(kMaxFolder)) {
    Refuse("The company folder on the command line is longer than " + std::to_string(kMaxFolder) +
           " characters:\n" + CommandLinePath() + "\nMove the company to a folder with a shorter path.");
    *status = kExitCommandLine;
    return false;
  }
  if (!app->companyPath[0]) AppBlockTextSet(app->companyPath, kFolderFieldSize, CommandLinePath().c_str());

  settings->SetCompanyPath(CommandLinePath().c_str());
  settings->SetCodeB(Trimmed(commandLine->CodeB()).c_str());
  settings->SetCodeA(Trimmed(commandLine->CodeA()).c_str());

  if (!InitMenuLibraries(AppProgramFolder())) {
    *status = kExitStartupFailed;
    return false;
  }
  return true;
}

int RunMainMenu() {
  Toolbar toolbar{};
  const int status = StartUp(&toolbar);
  if (status != kExitOk) return status;

  const int startResult = RunMainLoop(&toolbar);

  SaveToolbar(&toolbar);
  LinkStop();
  LinkFileClose();
  AppFreeScreens();
  HelpMenuClose();
  AppShutdown(1);
  StopRecordManager(nullptr);
  CloseFramework();
  // A command whose screen waited for keys that no terminal gave did not do
  // what it was started for.
  if (AppIsCommandOnly() && (startResult < 0 || ScreenInputMissing())) return kExitCommandFailed;
  return kExitOk;
}

bool SetWorkingFolder() { return chdir(AppProgramFolder().c_str()) == 0; }

bool SetupFolders() {
  SharedAppBlock* app = SharedAppBlockGet();
  std::error_code ec;
  std::string program = std::filesystem::current_path(ec).string();
  if (ec) return false;
  while (program.size() > 1 && program.back() == '/') program.pop_back();
  const std::size_t slash = program.find_last_of('/');
  const std::string parent = slash == std::string::npos ? program : program.substr(0, slash);
  const std::string common = parent + "/common";
  const std::string baseData = Join(program, "QXA4BASE");
  const std::string dictionary = Join(program, "QXACDICT");
  for (const std::string* folder : std::initializer_list<const std::string*>{&program, &common, &baseData, &dictionary}) {
    if (folder->size() > static_cast<std::size_t>(kMaxFolder)) {
      Refuse("The program's folder " + program + " is too deep: its folders need more than " +
             std::to_string(kMaxFolder) + " characters.\nInstall the program in a shorter folder.");
      return false;
    }
  }
  AppBlockTextSet(app->programFolder, kFolderFieldSize, program.c_str());
  AppBlockTextSet(app->commonFolder, kFolderFieldSize, common.c_str());
  AppBlockTextSet(app->baseDataFolder, kFolderFieldSize, baseData.c_str());
  AppBlockTextSet(app->dictFolder, kFolderFieldSize, dictionary.c_str());
  return true;
}

void StopRecordManager(const char* text) {
  BtrvReset();
  if (text) {
    char caption[96];
    MsgBoxShow(text, GetCaption(caption, kCaptionWindow));
  }
}

void CloseFramework() {
  BaseFilesClosePair();
  BaseFilesCloseTriple();
}

void InitFormPaths() {
  const char* folder = SharedAppBlockGet()->baseDataFolder;
  BaseFileMake(FilePathGet(kFileBaseConvert));
  BaseFilesOpenPair(folder, FileTableName(kFileBaseFirst), FileTableName(kFileBaseFirst + 1));
  BaseFilesOpenTriple(folder, FileTableName(kFileBaseFirst + 2), FileTableName(kFileBaseFirst + 3),
                      FileTableName(kFileBaseLast));
}

void ReadArgsIni(const char* path) {
  if (FileAccess(path, 0) == -1) return;
  int handle = 0;
  if (FileOpen(path, kFileRead, 0, 0, &handle) != 0) return;
  std::vector<char> buffer(kArgsFileBytes, 0);
  unsigned count = 0;
  if (FileRead(handle, buffer.data(), static_cast<unsigned>(buffer.size()), &count) == 0 && count > 0)
    ParseArgsText(buffer.data(), count);
  FileClose(handle);
}

void ParseArgsText(const char* text, std::size_t length) {
  SharedAppBlock* app = SharedAppBlockGet();
  if (!text || length == 0 || app->companyPath[0]) return;
  const std::string_view all(text, strnlen(text, length));
  const std::size_t optionLength = sizeof kFilesOption - 1;
  std::size_t at = std::string_view::npos;
  for (std::size_t i = 0; i + optionLength <= all.size(); ++i) {
    if (strncasecmp(all.data() + i, kFilesOption, optionLength) == 0) {
      at = i + optionLength;
      break;
    }
  }
  if (at == std::string_view::npos) return;
  std::string_view value = all.substr(at);
  value = value.substr(0, value.find_first_of("\r\n"));
  const std::size_t from = value.find_first_not_of(" \t");
  if (from == std::string_view::npos) return;
  value = value.substr(from, value.find_last_not_of(" \t") - from + 1);
  // A relative folder is taken from the program's folder, where the file is.
  const std::string folder = Absolute(std::string(value), SharedAppBlockGet()->programFolder);
  if (folder.size() > static_cast<std::size_t>(kMaxFolder)) {
    Refuse(std::string(kArgsFile) + " names a company folder longer than " + std::to_string(kMaxFolder) +
               " characters; it is not used:\n" + folder,
           kMsgStyleWarning);
    return;
  }
  AppBlockTextSet(app->companyPath, kFolderFieldSize, folder.c_str());
}

bool CheckRecordManagerVersion() {
  int major = 0, minor = 0, third = 0;
  if (BtrvGetVersion(&major, &minor, &third) != 0) return false;
  if (major >= 7) return true;
  char text[200];
  std::snprintf(text, sizeof text,
                "Btrieve version %d.%2d is in use by another\n"
                "application.  The application must be closed\n"
                "prior to running Quarlex.",
                major, minor);
  MsgBoxShowStyle(0, text, nullptr, kMsgStyleError, 1170);
  NoteShownStartupFailure(text);
  return false;
}

void LoadToolbar(Toolbar* toolbar) {
  const SharedAppBlock* app = SharedAppBlockGet();
  // The installation's qxastb.ini holds the toolbars it comes with; a
  // user's own is kept in the user's configuration folder, read first and
  // written back there, so the installation is never written.
  const std::string installed = Join(app->baseDataFolder, "qxastb.ini");
  const std::string users = qxsys::UserConfigFolder() + "/qxastb.ini";
  const std::string own = Trimmed(app->toolbarSection);
  std::snprintf(toolbar->section, sizeof toolbar->section, "%s", own.c_str());
  if (own.empty() || ToolbarLoad(toolbar, users.c_str()) <= 0) {
    if (ToolbarLoad(toolbar, installed.c_str()) <= 0) {
      std::snprintf(toolbar->section, sizeof toolbar->section, "%s", "Default");
      // Loaded from "Default", the toolbar is saved under the user's own
      // section; a user without one keeps "Default".
      if (ToolbarLoad(toolbar, installed.c_str()) > 0 && !own.empty())
        std::snprintf(toolbar->section, sizeof toolbar->section, "%s", own.c_str());
    }
  }
  std::snprintf(toolbar->file, sizeof toolbar->file, "%s", users.c_str());
  if (toolbar->count > 0) ToolbarShow(toolbar);
}

void SaveToolbar(Toolbar* toolbar) {
  if (toolbar->count <= 0) return;
  ToolbarSave(toolbar);
  ToolbarDestroy();
}

void RunWinPopProgram() {
  const std::string ini = Join(SharedAppBlockGet()->programFolder, "WINPOP.INI");
  char program[260] = {};
  if (ProfileGetString("windows", "run", "", program, sizeof program, ini.c_str()) == 0) return;
  const std::string path = Absolute(program);
  SpawnDetached(path, std::filesystem::path(path).parent_path().string());
}

}  // namespace qxa
