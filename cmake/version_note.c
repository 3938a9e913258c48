/* The component version note: an ELF note (owner "Quarlex", type 1) that
 * every program and shared library of the system carries, so that the main
 * program's component check can read a file's version without loading it.
 * The two words are the file version: (major << 16 | minor, patch << 16). */
#include <stdint.h>

struct QxVersionNote {
  uint32_t nameSize;
  uint32_t descSize;
  uint32_t type;
  char name[8];
  uint32_t words[2];
};

__attribute__((section(".note.quarlex.version"), aligned(4), used))
static const struct QxVersionNote qxVersionNote = {
    8, 8, 1, "Quarlex",
    {((uint32_t)QX_NOTE_MAJOR << 16) | (uint32_t)QX_NOTE_MINOR, (uint32_t)QX_NOTE_PATCH << 16}};
