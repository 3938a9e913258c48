// The company-folder screen of commands 101, 107 and 110.
#include "open_company.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "btrvc.h"  // settings.h names BtrvHandle
#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/messages.h"
#include "qxabase/settings.h"
#include "qxabase/startup.h"
#include "ravadodo.h"
#include "records/dictionary.h"
#include "records/settings.h"

namespace menulibs {
namespace {

constexpr int kFolderField = 1;
constexpr int kFieldWidth = 66;

struct OpenContext {
  std::string longDefault;  // a folder too long for the field, opened when the field is left empty
  std::string chosen;
};

void Refuse(const std::string& text) {
  MsgBoxShowStyle(0, oem::FromUtf8(text).c_str(), GetCaption(kCaptionError), kMsgStyleError, 101);
}

// The folder as the user means it: "~" is the home folder, trailing slashes
// go, blanks around it go.
std::string Normalised(std::string path) {
  const char* blanks = " \t";
  std::size_t from = path.find_first_not_of(blanks);
  path = from == std::string::npos ? std::string() : path.substr(from, path.find_last_not_of(blanks) - from + 1);
  if (path == "~" || path.rfind("~/", 0) == 0) {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') path = std::string(home) + path.substr(1);
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// True when `path` holds a company; otherwise the reason has been shown.
bool CheckFolder(const std::string& path) {
  if (path.empty()) {
    Refuse(CompanyPathRefusal(kCompanyPathEmpty, path));
    return false;
  }
  if (path[0] != '/') {
    Refuse("Give the folder's full path, beginning with / (or ~ for your home folder):\n" + path);
    return false;
  }
  if (path.size() >= static_cast<std::size_t>(kFolderFieldSize)) {
    Refuse("The folder's path is longer than " + std::to_string(kFolderFieldSize - 1) +
           " characters:\n" + path + "\nMove the company to a folder with a shorter path.");
    return false;
  }
  int error = 0, status = 0;
  if (CompanyPathOpen(records::kFileSettings, path.c_str(), &error, &status)) return true;
  if (error == kCompanyPathRecordError)
    MsgRecordError(status, 1, kErrorOpOpen, records::kFileSettings);
  else
    Refuse(CompanyPathRefusal(error, path));
  return false;
}

// Makes `path` the company of the program.
void Adopt(const std::string& path) {
  SharedAppBlock* app = SharedAppBlockGet();
  AppBlockTextSet(app->companyPath, kFolderFieldSize, path.c_str());
  AppPathsSet(nullptr, path.c_str(), nullptr);
  AppGetSettings()->SetCompanyPath(path.c_str());
  RecordManagerPathsSet();
  // The time-billing link follows the company: it is active where the new
  // company's folder holds its file (started here once the program runs;
  // the start-up starts it after the opening command).
  LinkStop();
  LinkFileOpen(kLinkFileName);
  if (app->appMode == kAppModeRunning) LinkStart(GetDataFolder(), LinkArgGet());
  records::CompanyRecord company{};
  std::string status = "Company: ";
  if (SystemRecordGet(sizeof company, "0Company", &company) == 0 && company.name[0]) {
    status += std::string(company.name, strnlen(company.name, sizeof company.name));
    while (status.back() == ' ') status.pop_back();
  } else {
    status += oem::FromUtf8(path);
  }
  AppStatusText(status.c_str());
}

int OnAccept(Form* form, KeyCode) {
  auto* ctx = static_cast<OpenContext*>(form->context);
  std::string typed = oem::ToUtf8(FieldText(form, kFolderField));
  std::string path = Normalised(typed.find_first_not_of(' ') == std::string::npos ? ctx->longDefault : typed);
  if (!CheckFolder(path)) return 0;
  ctx->chosen = path;
  return 1;
}

// Runs the screen; the folder chosen, or "" after Esc.
std::string AskFolder(const std::string& offered) {
  OpenContext ctx;
  TagFormField fields[] = {{}, {}};
  fields[0].number = kFolderField;
  fields[0].row = 3;
  fields[0].column = 10;
  std::snprintf(fields[0].mask, sizeof fields[0].mask, "%%-%ds", kFieldWidth);
  fields[0].label = "Folder";
  fields[0].labelColumn = 2;

  Form form{};
  Window win{};
  FormBegin(&form);
  form.context = &ctx;
  std::string result;
  if (FormFieldsCreate(&form, fields, 1) &&
      WinOpen(&win, 6, 1, 10, 78, 2, 1, 32, "Open Company") == 0) {
    WinWriteAt(&win, 1, 2, "Type the folder that holds the company's books.");
    const std::string shown = oem::FromUtf8(offered);
    if (shown.size() <= static_cast<std::size_t>(kFieldWidth)) {
      FieldSetText(&form, kFolderField, shown.c_str());
    } else {
      ctx.longDefault = offered;
      WinWriteAt(&win, 5, 2, "Leave the field empty to open the folder given:");
      WinWriteAt(&win, 6, 2, ("..." + shown.substr(shown.size() - 70)).c_str());
    }
    WinWriteAt(&win, 7, 2, "A full path: /home/anne/books/acme, or ~/books/acme in your home folder.");
    FormAttachWindow(&win, &form, 1);
    FormOnKey(&form, kKeyEnter, OnAccept, "Open");
    FormOnKey(&form, kKeyF10, OnAccept, "Open");
    FormSetLegend(&form, "Enter Open  Esc Cancel");
    if (FormRun(&form, 0) == 0) result = ctx.chosen;
    WinClose(&win, 1);
  }
  FormEnd(&form);
  return result;
}

}  // namespace

int OpenCompany(bool escEnds) {
  SharedAppBlock* app = SharedAppBlockGet();
  const int cancelKey = escEnds ? kKeyEsc : 0;
  const std::string offered = app->companyPath;
  std::string path;
  if (AppIsCommandOnly()) {
    // Nobody is there to answer a question: the folder given must do.
    if (offered.empty())
      Refuse("A command-only start needs the company folder on its command line.");
    else if (CheckFolder(Normalised(offered)))
      path = Normalised(offered);
  } else {
    path = AskFolder(offered);
  }
  if (path.empty()) {
    app->lastKey = cancelKey;
    return 0;
  }
  Adopt(path);
  app->lastKey = kKeyEnter;
  return 0;
}

}  // namespace menulibs
