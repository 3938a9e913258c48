// Loading the menu libraries and calling their initialisation exports.
#include "shell/menu_libraries.h"

#include <dlfcn.h>
#include <unistd.h>

#include "menulibs.h"
#include "oemtext.h"
#include "ravadodo.h"
#include "shell/startup.h"

namespace qxa {
namespace {

constexpr char kQxa3File[] = "libQxa-3.so";
constexpr char kQxa3Init[] = "RegisterMenuHandler";  // ordinal 2

bool Refuse(const std::string& text) {
  MsgBoxShowStyle(0, oem::FromUtf8(text).c_str(), nullptr, kMsgStyleError, 0);
  NoteShownStartupFailure(text);
  return false;
}

// Loads Qxa-3 and registers its dispatcher.  The library stays loaded for
// the whole run.
bool InitQxa3(const std::string& programFolder) {
  const std::string path = programFolder + "/" + kQxa3File;
  if (access(path.c_str(), F_OK) != 0) return true;  // the component check names it
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (!library) {
    const char* why = dlerror();
    return Refuse("The file " + path + " cannot be loaded:\n" + (why ? why : "") +
                  "\nPlease re-install the application.");
  }
  auto init = reinterpret_cast<bool (*)()>(dlsym(library, kQxa3Init));
  if (!init) {
    return Refuse("The file " + path + " has no " + kQxa3Init +
                  ".\nPlease re-install the application.");
  }
  init();
  return true;
}

}  // namespace

bool InitMenuLibraries(const std::string& programFolder) {
  Qxa1Initialize();
  Qxa2Initialize();
  if (!InitQxa3(programFolder)) return false;
  Qxa4Initialize();
  Qxa5Initialize();
  Qxa6Initialize();
  return true;
}

}  // namespace qxa
