// Pieces the product selection screens share: the product reports' screen
// (form 350), the activity detail's (form 359) and the warehouse status
// screen: opening one from/to pair of a group, the choice fields built from
// option tables, putting a criterion's ends on the screen and reading them
// back, and the text a picked product gives a range field.
#pragma once

#include <string>
#include <vector>

#include "qxabase/form_helpers.h"
#include "qxabase/report_mru.h"
#include "range_criteria.h"
#include "ravadodo.h"
#include "records/masters.h"
#include "selection_fields.h"

struct ProductReportParams;

// The text of the product's field `fieldId` (number, description, G/L
// department, bin, vendor, warehouse), trailing blanks dropped; "" for
// another field.
std::string ProductFieldText(const records::TagProduct& product, int fieldId);

// Reads the pair starting at `pair` (0: both ends open) into `range`, on
// field `id` of file `fileNo` (SetProductRangeCriterion): an end that shows
// empty, "FIRST" or "LAST " is open.  0 when good; otherwise message 13 (a
// date that is not one) or 205 (from after to) has been shown and the
// cursor put on the pair's from field, and the result is 0x80.
int ReadRangePair(Form* form, const ProductReportParams* params, RangeCriterion* range, int fileNo, int id,
                  int pair);

// --- A screen run ----------------------------------------------------------------------

// What the user last accepted on a screen, and the values it opened with.
struct ScreenMemory {
  CQxDataCopy* copy = nullptr;
  CQxDataCopyCollection* collection = nullptr;
  CQxRepMRUParam* mru = nullptr;
};

// The start hook's part (`start`): backs the fields up and, when the system
// remembers report parameters and `key` is not null, puts on the screen
// what this user last accepted under `key` (`fields`: the screen's
// remembered-field table).  From Shift+F9 (not `start`): puts the values
// the screen opened with back.
void ScreenMemoryHook(ScreenMemory* memory, Form* form, const char* key, const TAG_REPORT_MRU_FIELD* fields,
                      bool start);

// Everything one run of a selection screen holds, released on every way
// out: the form, its definition and copied fields, its choice texts and
// remembered values.
struct SelectionScreen {
  Form form{};
  FormDef def;
  std::vector<TagFormField> fields;  // the definition's, patched by the caller before Create
  char* choices[2] = {};             // choice texts from OptionTableLoad
  ScreenMemory memory;

  SelectionScreen() = default;
  SelectionScreen(const SelectionScreen&) = delete;
  SelectionScreen& operator=(const SelectionScreen&) = delete;
  ~SelectionScreen();

  // Loads form definition `number` into `def` and `fields`.  False after
  // the loader's message (naming the file and the line).
  bool Load(int number);
  // Makes the form of `fields`.  False when a field cannot be made (after
  // the screen library's message): the report then does not run.
  bool Create();
  // Runs the form in `window` (null: the top window) with `context`, the
  // start hook and the keys Shift+F9 (`defaults`), F5 (`lookUp`) and F10
  // (`accept`); `records` is the remembered-field table's count.  Returns
  // 0 when accepted (what was accepted is remembered), 27 after Esc
  // (nothing is).
  int Run(Window* window, void* context, FormStartHook start, FormKeyHandler defaults, FormKeyHandler lookUp,
          FormKeyHandler accept, int records);

 private:
  bool begun_ = false;
};
