// The base library's start-up services: what the main program calls while it
// starts and ends, around its checks, its opening command and its main loop.
//
// Application state (help folder, user name, toolbar section), the options
// applied before the menus, the company-folder check, the system record of
// the sibling programs, the base files of the base-data folder, the opening
// command, and the time-billing link's start and stop.  Each function states
// its result; none throws.  One thread (the program's UI thread).
#pragma once

#include <string>

// ---- Application state -----------------------------------------------------

// `SharedAppBlock::appMode` while the program starts (set by the main
// program) and once the start-up chain is done (`StartupChainDone`).
inline constexpr int kAppModeStarting = 2;
inline constexpr int kAppModeRunning = 1;

// Loads the state the program keeps for its user: the user's name (the login
// name) when `SharedAppBlock::userName` is empty, the toolbar section (the
// user's name) when `SharedAppBlock::toolbarSection` is empty, and into
// `helpBuffer` (260 bytes), when it is empty, the folder of the help texts
// (the base-data folder's "help").  `helpContext` is the help topic shown
// first (0 = contents); it is kept.  Returns 0.
int AppStateLoad(char* helpBuffer, int helpContext);

// Options applied before the menu bar is built.  Option 0 is the user's
// access level for the menu bar (1-6; items above it are dimmed):
// AppQueryOption(0) gives `SharedAppBlock::userLevel`, or 6 (every right: a
// single-user install) when none is set; AppApplyOption(level, 0) applies it.
// Other option numbers give 0 and apply nothing.  AppApplyOption returns 0.
int AppQueryOption(int option);
int AppApplyOption(int value, int option);

// The folder the user started the program in (the current folder before the
// program moved to its own folder); relative paths the user gives (a report's
// output file) mean this folder.  "" until the main program sets it.
void StartFolderSet(const char* folder);
const char* StartFolderGet();

// Marks the end of the start-up chain: `SharedAppBlock::appMode` becomes
// kAppModeRunning.  Returns 0.
int StartupChainDone();

// The keys Ctrl+B, Ctrl+U, Ctrl+V and Shift+F10 at the main window: no
// command is assigned to them in this system; nothing happens.  Returns 0.
int ShortcutKeyRun(int key);

// ---- Opening command ----------------------------------------------------------

// Whether the opening command `commandId` (101) can run: a handler is
// registered for its command group.  1 yes, 0 no (nothing shown).
int RunOpeningCommand(int commandId);

// ---- Company folder --------------------------------------------------------------

// Errors of CompanyPathOpen.
enum CompanyPathError : int {
  kCompanyPathOk = 0,
  kCompanyPathEmpty = -1,      // no path, or longer than a folder field (143 characters)
  kCompanyPathMissing = -2,    // no such folder
  kCompanyPathNoCompany = -3,  // the folder holds no company files
  kCompanyPathRecordError = -6,  // the record manager refused the file; see *status
};

// Checks that `path` is a company folder: a folder whose record-manager
// database holds the record file `fileNo` (the settings file, 29), which
// opens.  Nothing stays open.  Returns 1, or 0 with *error set (a
// CompanyPathError) and, for kCompanyPathRecordError, *status the record
// manager's status (`status` may be null).
int CompanyPathOpen(int fileNo, const char* path, int* error, int* status = nullptr);

// What the user is told of folder `path` that CompanyPathOpen refused with
// `error` (but kCompanyPathRecordError, which the record-manager error box
// tells): "The folder <path> does not exist.", "The folder <path> holds no
// company: it has no settings file.", or, for no path, to type one.  The
// Open Company screen and the start-up say it in the same words.
std::string CompanyPathRefusal(int error, const std::string& path);

// The company folder (`SharedAppBlock::companyPath`).
const char* GetDataFolder();

// Hands the four folders of SharedAppBlock (program, base data, data
// dictionary, company) to the record manager (`BtrvSetPaths`), in the
// 872-byte paths block.  Returns the record manager's status (0).
int RecordManagerPathsSet();

// ---- Base files ------------------------------------------------------------------
// The record files of the base-data folder: 93 (converted once by the main
// program's start-up when it is of an old format) and 96-100, held open while
// the program runs (their names are FileTableName's).  Their records are not
// read by this system: each is an empty record file of the base files'
// layout (98-byte records on 4096-byte pages, one key, duplicates allowed,
// on the first 16 bytes), written into the installation by the build
// (BaseFilesWrite) and only read at run time, so that an installation
// nobody may write runs.  A tree that lacks one (a development build) has
// it made at the first start where its folder can be written.

// Makes the base file `path` (93: FilePathGet(93)) as an empty record file
// of the base files' layout when it is missing.  Returns 0, or the record
// manager's status.
int BaseFileMake(const char* path);

// The base files' file specification for BtrvCreate: the 16-byte file
// specification, then its one key segment, into `spec` (32 bytes).
void BaseFileSpecification(unsigned char* spec);

// Makes every base file (93, 96-100) in `folder`, for an installation.
// Returns 0, or the first failing record-manager status.
int BaseFilesWrite(const char* folder);

// Opens base files of `folder` by name for reading, making a missing one
// first: the pair (96, 97) and the triple (98-100).  Returns 0, or the first failing
// record-manager status (what was opened stays open until the close).
// Opening again closes the earlier set first.
int BaseFilesOpenPair(const char* folder, const char* first, const char* second);
int BaseFilesOpenTriple(const char* folder, const char* first, const char* second,
                        const char* third);
// Closes the set; safe when nothing is open.
void BaseFilesClosePair();
void BaseFilesCloseTriple();

// ---- Time-billing link -------------------------------------------------------------
// The link to the time-billing product is active only when it is configured:
// the company folder holds the link file named to LinkFileOpen.  While the
// link is not configured every call here does nothing.

// The link file of the company folder.
inline constexpr char kLinkFileName[] = "QXAWPOS.DB";

// Notes whether the company folder holds the record file `name`.  Returns 0.
int LinkFileOpen(const char* name);
// The link's argument (its configuration text); "" when none.
const char* LinkArgGet();
// Starts the link for the company folder `folder` when it is configured.
// Returns 1 when the link is active, else 0.
int LinkStart(const char* folder, const char* argument);
// The link's menu is the drop-down list `menuIndex` (0-based); nothing is
// added to it here.  Returns 0.
int LinkMenuSet(int menuIndex);
// Stops the link; forgets the link file.  Safe when not started.
void LinkStop();
void LinkFileClose();
// True between a LinkStart that found the link configured and LinkStop.
bool LinkIsActive();
