// The start and stop of the time-billing link: active only where the company
// folder holds the link file.
#include <string>

#include "btrvc.h"
#include "qxabase/app_block.h"
#include "qxabase/startup.h"

namespace {

struct LinkState {
  bool configured = false;
  bool active = false;
};

LinkState& Link() {
  static LinkState state;
  return state;
}

}  // namespace

int LinkFileOpen(const char* name) {
  const SharedAppBlock* app = SharedAppBlockGet();
  Link().configured = false;
  if (name && *name && app->companyPath[0]) {
    const std::string path = std::string(app->companyPath) + "/" + name;
    Link().configured = BtrvFileExists(path.c_str()) == kStatusOk;
  }
  return 0;
}

const char* LinkArgGet() { return ""; }

int LinkStart(const char* folder, const char* /*argument*/) {
  Link().active = Link().configured && folder && *folder;
  return Link().active ? 1 : 0;
}

int LinkMenuSet(int /*menuIndex*/) { return 0; }

void LinkStop() { Link().active = false; }

void LinkFileClose() {
  Link().active = false;
  Link().configured = false;
}

bool LinkIsActive() { return Link().active; }
