// qxl15, the launcher of Quarlex Accounting.
#include "launcher/launcher.h"

int main(int argc, char** argv) { return qxl::LauncherMain(argc, argv); }
