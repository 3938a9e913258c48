// RaVaDodo, the screen library: windows, forms and fields, grids, menus and
// toolbar, message boxes, wait windows, choice and search lists, screen
// texts, dates, numbers, strings, files, memory and the command line, drawn
// on a character-cell virtual screen that the terminal or a key script shows.
//
// Include this header; the parts are:
//   ravadodo/keys.h     key codes
//   ravadodo/screen.h   virtual screen, devices, key script, transcript
//   ravadodo/window.h   windows
//   ravadodo/forms.h    forms, fields, form definitions, grids
//   ravadodo/dialogs.h  message boxes, wait windows, choice and search lists
//   ravadodo/menus.h    main window, menu bar, toolbar, event wait
//   ravadodo/app.h      command line, settings, start modes, folders
//   ravadodo/text.h     dates, numbers, strings, screen texts
//   ravadodo/sysio.h    files, paths, memory, item lists
//   ravadodo/text_edit.h  the text-editing window
// The library runs on one thread (the program's UI thread).
#pragma once

#include "ravadodo/app.h"
#include "ravadodo/dialogs.h"
#include "ravadodo/forms.h"
#include "ravadodo/keys.h"
#include "ravadodo/menus.h"
#include "ravadodo/screen.h"
#include "ravadodo/sysio.h"
#include "ravadodo/text.h"
#include "ravadodo/text_edit.h"
#include "ravadodo/window.h"
