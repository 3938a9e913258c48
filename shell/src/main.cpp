// qxa15, the main program of Quarlex Accounting.
#include "shell/startup.h"

int main(int argc, char** argv) { return qxa::QxaMain(argc, argv); }
