// The program's start: command line, settings object, start modes, folders.
//
// The command line of the main program (syntax below) is parsed by the one
// `AppCommandLine` object of the run; the `AppSettings` object keeps four
// texts that later parts of the start-up fill in.  Both live for the whole
// run.
//
// Command line (options in any order; letter case of option names ignored;
// "/", "-" or "--" starts an option and ":" or "=" its value; a value may be
// quoted; a word that begins with "/" and is not an option name is a folder):
//   [PATH]                company folder (same as /files:PATH)
//   /files:PATH           company folder (at most 260 characters)
//   /cmd:ID               start command id (1..32767)
//   /mode:N               start mode: 0 the start command runs once, then the
//                         menus (the default); 1 command only: the command
//                         runs and the program ends; 2 kept for the framework
//   /only                 same as /mode:1
//   /a:CODE  /b:CODE      code A and code B (at most 14 characters each)
//   /n:NUMBER             start number (0 .. 2147483647; none = -1)
//   /param:TEXT           parameter text handed to the start command
//                         (at most 1023 characters), e.g.
//                         /param:"input='default' output='aging.htm'"
//   /help, /?             parse status -1 with the usage text
#pragma once

#include <string>
#include <vector>

class AppCommandLine {
 public:
  // Parses the arguments after the program name.  Returns the parse status:
  // 0, or -1 with ErrorText() saying what is wrong and how it should be
  // written.  A failed parse leaves every value at its default.
  int Parse(int argc, const char* const* argv);
  // The same for one command-line text (split at blanks outside quotes).
  int Parse(const char* commandLine);

  int Status() const { return status_; }
  const char* ErrorText() const { return error_.c_str(); }
  const char* CompanyPath() const { return companyPath_.c_str(); }
  int StartMode() const { return startMode_; }
  int StartCommand() const { return startCommand_; }  // 0 = none
  const char* CodeA() const { return codeA_.c_str(); }
  const char* CodeB() const { return codeB_.c_str(); }
  long StartNumber() const { return startNumber_; }  // -1 = none
  const char* ParameterText() const { return parameter_.c_str(); }
  // The file a command-only run writes its reports to (/output:FILE); ""
  // when none is named.  Given only with /only.
  const char* OutputFile() const { return output_.c_str(); }

  // What the command line asks for instead of a run: the usage (--help,
  // -h, /help, /?) or the version (--version).  Parse stops at the first
  // such option, with status 0; the program prints the text to standard
  // output and ends.
  enum class Information { kNone, kUsage, kVersion };
  Information InformationAsked() const { return information_; }

  // The usage text, shown for --help and with a parse error.
  static const char* Usage();
  // "qxa15 (Quarlex Accounting) 15.0.0": the program's version.
  static std::string VersionText();

 private:
  int Fail(std::string text);
  void Clear();
  int status_ = 0;
  std::string error_;
  std::string companyPath_;
  int startMode_ = 0;
  int startCommand_ = 0;
  std::string codeA_, codeB_;
  long startNumber_ = -1;
  std::string parameter_;
  std::string output_;
  Information information_ = Information::kNone;
};

// Four texts of the start-up and a mask of those present: storing a text sets
// its bit when the text is non-empty and clears it when empty.  Texts longer
// than their limit are cut.
class AppSettings {
 public:
  static constexpr unsigned kCompanyPathBit = 8;    // at most 260 characters
  static constexpr unsigned kCodeABit = 16;         // at most 14
  static constexpr unsigned kCodeBBit = 32;         // at most 14
  static constexpr unsigned kStartNumberBit = 64;   // at most 11

  void SetCompanyPath(const char* text) { Store(companyPath_, text, 260, kCompanyPathBit); }
  void SetCodeA(const char* text) { Store(codeA_, text, 14, kCodeABit); }
  void SetCodeB(const char* text) { Store(codeB_, text, 14, kCodeBBit); }
  void SetStartNumberText(const char* text) { Store(startNumber_, text, 11, kStartNumberBit); }

  const char* CompanyPath() const { return companyPath_.c_str(); }
  const char* CodeA() const { return codeA_.c_str(); }
  const char* CodeB() const { return codeB_.c_str(); }
  const char* StartNumberText() const { return startNumber_.c_str(); }
  unsigned PresenceMask() const { return mask_; }

 private:
  void Store(std::string& slot, const char* text, std::size_t limit, unsigned bit);
  std::string companyPath_, codeA_, codeB_, startNumber_;
  unsigned mask_ = 0;
};

// The one command-line and settings object of the run.
AppCommandLine* AppGetCommandLine();
AppSettings* AppGetSettings();

// Start-up of the library: safe to call more than once.  Return 0.
int AppFrameworkInit();
int AppInit();

// Start modes, set from the command line by the main program.
void AppSetMenuCommand(bool on);   // mode 0: the start command runs once, then the menus
void AppSetCommandOnly(bool on);   // mode 1: the start command runs, then the program ends
void AppSetStartMode2(bool on);    // mode 2: kept for the framework
void AppSetStartCommand(int commandId);  // 0 = none
bool AppHasMenuCommand();
bool AppIsCommandOnly();
bool AppIsStartMode2();
int AppGetStartCommand();          // 0 when none
void AppSetStartValue(long value);
long AppGetStartValue();
// The start number as text ("" for -1).  `out` holds at least 12 bytes.
char* AppStartValueText(char* out, long value);

// Folders of the run: the program folder, the company folder and the base-data
// folder (QXA4BASE: form definitions, screen texts, toolbar).  Empty or null
// arguments keep what was set.  The base-data folder is otherwise found as:
// the environment variable QX_BASEDATA, then QXA4BASE beside the program, then
// the source tree's data folder (development builds).
void AppPathsSet(const char* programFolder, const char* companyPath, const char* baseDataFolder);
std::string AppBaseDataFolder();
std::string AppProgramFolder();  // the folder of the running program's file

// Finds the screens data (form definitions, screen texts): the base-data
// folder must exist.  `name` is the component's name ("QXASCRNS.DLL"), used
// in the message shown when it does not.  Returns 0 when found.
int AppLoadScreens(const char* name);
void AppFreeScreens();

// Ends the library's use of the screen: closes every window, restores the
// terminal and closes the transcript.  The program may still write to
// stdout afterwards.
void AppShutdown(int how);
