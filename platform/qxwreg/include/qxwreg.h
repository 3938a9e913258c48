// QxWReg: registry values of the program, and ini files.
//
// The registry of the program is one ini file per application in the user's
// configuration folder: $XDG_CONFIG_HOME/quarlex/<application>.ini, or
// ~/.config/quarlex/<application>.ini when XDG_CONFIG_HOME is unset, empty or
// not an absolute path.  Values live in sections ("BaseFiles") under names
// ("Converted"); section and value names compare without regard to ASCII
// case.  A value is written by rewriting the file beside itself and moving
// the new file into place, so a crash leaves either the old file or the new
// one, never half of one.
//
// The same reader serves the program's other ini files (`ProfileGetString`:
// WINPOP.INI).  Every call returns a status; none throws.  One thread.
#pragma once

// Chooses the registry file of `application` ("qxa15"; letters, digits, '.',
// '-' and '_' only).  `id` is kept for the callers' sake.  Returns 0, or -1
// (the registry stays unset) for an empty or unusable name.  Calls before
// RegInit, or after a refused one, read defaults and write nothing.
int RegInit(const char* application, int id);

// The registry file in use ("" before RegInit).
const char* RegFilePath();

// The integer value `name` of `section`; `defaultValue` when the value, the
// section or the file is missing or the value is not a whole number in the
// range of int.
int RegGetInt(const char* section, const char* name, int defaultValue);

// Stores an integer value.  Returns 0, or -1 when the file cannot be written
// (the file is then left as it was).
int RegSetInt(const char* section, const char* name, int value);

// The text value `name` of `section` into `out` (`size` bytes with its NUL;
// a longer value is cut); `defaultValue` when missing.  Returns the length
// copied.
int RegGetString(const char* section, const char* name, const char* defaultValue, char* out,
                 int size);

// Stores a text value (one line: a line break in it is refused with -1).
// Returns 0, or -1.
int RegSetString(const char* section, const char* name, const char* value);

// Reads the value `key` of `section` from the ini file `file` into `out`
// (`size` bytes with its NUL; a longer value is cut), blanks around it
// removed; `defaultValue` when the file, the section or the key is missing.
// Lines are "key=value"; ';' or '#' begins a comment line; names compare
// without regard to ASCII case.  Returns the length copied.
int ProfileGetString(const char* section, const char* key, const char* defaultValue, char* out,
                     int size, const char* file);
