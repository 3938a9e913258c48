// Command line, settings object, start modes and folders.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "internal.h"

namespace {

bool EqualNoCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool IsOptionName(const std::string& name) {
  for (const char* known : {"files", "cmd", "mode", "only", "a", "b", "n", "param", "output", "help", "?", "version"})
    if (EqualNoCase(name, known)) return true;
  return false;
}

// A whole number in [lo, hi]; false when the text is anything else.
bool ParseNumber(const std::string& text, long lo, long hi, long* value) {
  if (text.empty() || text.size() > 11) return false;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno || !end || *end || v < lo || v > hi) return false;
  *value = v;
  return true;
}

// Splits a command-line text at blanks outside double quotes; quotes are
// removed, a doubled quote inside quotes stands for one.
std::vector<std::string> SplitCommandLine(const char* text) {
  std::vector<std::string> out;
  std::string cur;
  bool inQuotes = false, have = false;
  for (const char* p = text ? text : ""; *p; ++p) {
    char c = *p;
    if (c == '"') {
      if (inQuotes && p[1] == '"') {
        cur += '"';
        ++p;
      } else {
        inQuotes = !inQuotes;
      }
      have = true;
    } else if ((c == ' ' || c == '\t') && !inQuotes) {
      if (have) out.push_back(cur);
      cur.clear();
      have = false;
    } else {
      cur += c;
      have = true;
    }
  }
  if (have) out.push_back(cur);
  return out;
}

struct StartState {
  bool menuCommand = false, commandOnly = false, mode2 = false;
  int startCommand = 0;
  long startValue = -1;
  std::string programFolder, companyPath, baseData;
};

StartState& Start() {
  static StartState s;
  return s;
}

}  // namespace

const char* AppCommandLine::Usage() {
  return "Usage: qxa15 [company folder] [/files:FOLDER] [/cmd:ID] [/mode:0|1|2] [/only]\n"
         "             [/a:CODE] [/b:CODE] [/n:NUMBER] [/param:TEXT] [/output:FILE]\n"
         "       qxa15 --help | --version\n"
         "Options begin with /, - or --; a value follows : or = and may be quoted.\n"
         "  /files:FOLDER  the company's data folder (also the first word that is no option)\n"
         "  /cmd:ID        a command to run at start (for example /cmd:337, receivables aging)\n"
         "  /mode:N        0 run the command, then the menus; 1 run the command and end;\n"
         "                 2 reserved\n"
         "  /only          the same as /mode:1\n"
         "  /a:CODE /b:CODE  two codes of up to 14 characters\n"
         "  /n:NUMBER      a start number\n"
         "  /param:TEXT    the parameter text of the command, e.g.\n"
         "                 /param:\"input='default' output='aging.htm'\"\n"
         "  /output:FILE   with /only: the file the command's reports are written to\n"
         "                 in place of the preview (HTML for a name with .htm, else\n"
         "                 text), e.g. /cmd:336 /output:statements.htm\n"
         "  -h, --help     print this text and end\n"
         "  --version      print the program's version and end\n"
         "A command-only run (/only) that writes a report prints the file's path on\n"
         "standard output; messages go to standard error.  See qxa15(1).";
}

std::string AppCommandLine::VersionText() {
  return "qxa15 (Quarlex Accounting) " + std::to_string(QX_VERSION_MAJOR) + "." + std::to_string(QX_VERSION_MINOR) +
         "." + std::to_string(QX_VERSION_PATCH);
}

void AppCommandLine::Clear() {
  companyPath_.clear();
  startMode_ = 0;
  startCommand_ = 0;
  codeA_.clear();
  codeB_.clear();
  startNumber_ = -1;
  parameter_.clear();
  output_.clear();
  information_ = Information::kNone;
}

int AppCommandLine::Fail(std::string text) {
  Clear();
  status_ = -1;
  error_ = std::move(text) + "\n\n" + Usage();
  return -1;
}

int AppCommandLine::Parse(const char* commandLine) {
  std::vector<std::string> words = SplitCommandLine(commandLine);
  std::vector<const char*> argv;
  for (const std::string& w : words) argv.push_back(w.c_str());
  return Parse(static_cast<int>(argv.size()), argv.data());
}

int AppCommandLine::Parse(int argc, const char* const* argv) {
  Clear();
  status_ = 0;
  error_.clear();
  bool haveMode = false, havePath = false;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i] ? argv[i] : "";
    if (arg.empty()) continue;
    std::string name, value;
    bool hasValue = false;
    bool isOption = false;
    if (arg[0] == '/' || arg[0] == '-') {
      std::size_t start = arg.find_first_not_of("/-");
      std::size_t colon = start == std::string::npos ? std::string::npos : arg.find_first_of(":=", start);
      name = start == std::string::npos ? "" : arg.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
      hasValue = colon != std::string::npos;
      value = hasValue ? arg.substr(colon + 1) : "";
      // "/data/acme" is a folder, not an option: a word after "/" is an
      // option only when it is one of ours; after "-" it always is.
      isOption = arg[0] == '-' || IsOptionName(name);
    }
    if (!isOption) {
      if (havePath) return Fail("Only one company folder may be given; \"" + arg + "\" is a second one.");
      if (arg.size() > 260) return Fail("The company folder is longer than 260 characters.");
      companyPath_ = arg;
      havePath = true;
      continue;
    }
    auto needValue = [&]() -> bool { return hasValue && !value.empty(); };
    if (EqualNoCase(name, "help") || name == "?" || (name == "h" && arg == "-h")) {
      Clear();
      information_ = Information::kUsage;
      return 0;
    }
    if (EqualNoCase(name, "version")) {
      Clear();
      information_ = Information::kVersion;
      return 0;
    }
    if (EqualNoCase(name, "files")) {
      if (!needValue()) return Fail("Option /files needs a folder: /files:FOLDER.");
      if (value.size() > 260) return Fail("The company folder is longer than 260 characters.");
      if (havePath) return Fail("Only one company folder may be given.");
      companyPath_ = value;
      havePath = true;
    } else if (EqualNoCase(name, "cmd")) {
      long v = 0;
      if (!ParseNumber(value, 1, 32767, &v)) return Fail("Option /cmd needs a command number from 1 to 32767: /cmd:337.");
      startCommand_ = static_cast<int>(v);
    } else if (EqualNoCase(name, "mode")) {
      long v = 0;
      if (!ParseNumber(value, 0, 2, &v)) return Fail("Option /mode needs 0, 1 or 2: /mode:1.");
      if (haveMode && startMode_ != v) return Fail("The start mode is given twice.");
      startMode_ = static_cast<int>(v);
      haveMode = true;
    } else if (EqualNoCase(name, "only")) {
      if (hasValue) return Fail("Option /only takes no value.");
      if (haveMode && startMode_ != 1) return Fail("The start mode is given twice.");
      startMode_ = 1;
      haveMode = true;
    } else if (EqualNoCase(name, "a") || EqualNoCase(name, "b")) {
      if (!needValue()) return Fail("Option /" + name + " needs a code: /" + name + ":CODE.");
      if (value.size() > 14) return Fail("The code of option /" + name + " is longer than 14 characters.");
      (EqualNoCase(name, "a") ? codeA_ : codeB_) = value;
    } else if (EqualNoCase(name, "n")) {
      long v = 0;
      if (!ParseNumber(value, 0, INT_MAX, &v)) return Fail("Option /n needs a whole number from 0 to 2147483647.");
      startNumber_ = v;
    } else if (EqualNoCase(name, "param")) {
      if (!hasValue) return Fail("Option /param needs a text: /param:\"input='default'\".");
      if (value.size() > 1023) return Fail("The parameter text is longer than 1023 characters.");
      parameter_ = value;
    } else if (EqualNoCase(name, "output")) {
      if (!needValue()) return Fail("Option /output needs a file: /output:statements.htm.");
      if (value.size() > 259) return Fail("The output file is longer than 259 characters.");
      for (unsigned char c : value)
        if (c < 0x20 || c == 0x7F) return Fail("The output file holds a control character.");
      output_ = value;
    } else {
      return Fail("Unknown option \"" + arg + "\".");
    }
  }
  if (startMode_ == 1 && startCommand_ == 0) return Fail("A command-only start (/only or /mode:1) needs a command: /cmd:ID.");
  if (!output_.empty() && startMode_ != 1)
    return Fail("Option /output names the file of a command-only run: give /only (or /mode:1) with it.");
  return 0;
}

void AppSettings::Store(std::string& slot, const char* text, std::size_t limit, unsigned bit) {
  slot = text ? std::string(text).substr(0, std::min(std::strlen(text), limit)) : std::string();
  if (slot.empty())
    mask_ &= ~bit;
  else
    mask_ |= bit;
}

AppCommandLine* AppGetCommandLine() {
  static AppCommandLine cl;
  return &cl;
}

AppSettings* AppGetSettings() {
  static AppSettings s;
  return &s;
}

int AppFrameworkInit() { return ScreenInit(); }
int AppInit() { return 0; }

void AppSetMenuCommand(bool on) { Start().menuCommand = on; }
void AppSetCommandOnly(bool on) { Start().commandOnly = on; }
void AppSetStartMode2(bool on) { Start().mode2 = on; }
void AppSetStartCommand(int commandId) { Start().startCommand = commandId > 0 ? commandId : 0; }
bool AppHasMenuCommand() { return Start().menuCommand; }
bool AppIsCommandOnly() { return Start().commandOnly; }
bool AppIsStartMode2() { return Start().mode2; }
int AppGetStartCommand() { return Start().startCommand; }
void AppSetStartValue(long value) { Start().startValue = value; }
long AppGetStartValue() { return Start().startValue; }

char* AppStartValueText(char* out, long value) {
  if (!out) return out;
  if (value < 0)
    out[0] = 0;
  else
    std::snprintf(out, 12, "%d", static_cast<int>(std::min<long>(value, INT_MAX)));
  return out;
}

void AppPathsSet(const char* programFolder, const char* companyPath, const char* baseDataFolder) {
  if (programFolder && *programFolder) Start().programFolder = programFolder;
  if (companyPath && *companyPath) Start().companyPath = companyPath;
  if (baseDataFolder && *baseDataFolder) Start().baseData = baseDataFolder;
}

std::string AppProgramFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return exe.parent_path().string();
}

std::string AppBaseDataFolder() {
  namespace fs = std::filesystem;
  if (!Start().baseData.empty()) return Start().baseData;
  if (const char* env = std::getenv("QX_BASEDATA"); env && *env) return env;
  std::error_code ec;
  fs::path beside = fs::path(AppProgramFolder()) / "QXA4BASE";
  if (fs::is_directory(beside, ec)) return beside.string();
#ifdef QX_SOURCE_DATA_DIR
  return QX_SOURCE_DATA_DIR;
#else
  return beside.string();
#endif
}

int AppLoadScreens(const char* name) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path base = AppBaseDataFolder();
  if (fs::is_directory(base, ec)) return 0;
  std::string text = "The screens (";
  text += name ? name : "form definitions";
  text += ") cannot be found: the folder " + base.string() + " is missing.\nPlease re-install the application.";
  MsgBoxShowStyle(0, oem::FromUtf8(text).c_str(), nullptr, kMsgStyleError, 0);
  return -1;
}

void AppFreeScreens() {}

void AppShutdown(int) {
  rv::Ui& ui = rv::State();
  for (WindowImpl* w : std::vector<WindowImpl*>(ui.windows)) {
    if (w->owner) w->owner->impl = nullptr;
    delete w;
  }
  ui.windows.clear();
  ScreenShutdown();
}
