// shell_make_tree <folder>: lays out a program tree (program/, common/) in
// the folder, as the installation does, for the terminal test.
#include "shell_test_support.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  shelltest::ProgramTree tree(argv[1]);
  return 0;
}
