// Form helpers: set-up after the window opens, yes/no fields, the open ends
// of range fields and the standard callbacks.
#include "qxabase/form_helpers.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "internal.h"
#include "oemtext.h"
#include "qxabase/app_block.h"
#include "qxabase/messages.h"

namespace {

int FieldOrCurrent(Form* form, int field) { return field > 0 ? field : FormCurrentField(form); }

// True when the field shows nothing of its own: empty, blank, an empty date
// picture, or an open end.
bool IsEmptyField(Form* form, int field) {
  char text[256] = {};
  if (FieldGetText(form, field, text, sizeof text) < 0) return false;
  if (StrIsBlank(text)) return true;
  return FieldGetTyped(form, field, 0, nullptr) == 1;
}

bool ShowsOpenEnd(Form* form, int field) {
  char text[256] = {};
  if (FieldGetText(form, field, text, sizeof text) < 0) return false;
  // The screen library reads "FIRST"/"LAST " back as empty; FieldGetTyped
  // tells an open end from a value.
  return StrIsBlank(text) && FieldGetTyped(form, field, 0, nullptr) == 1;
}

// The help topic each form set up replaced, until the form starts and the
// standard hook takes it in its keeping (one entry per form; a form set up
// again replaces its entry).
std::map<const Form*, int>& TopicsReplaced() {
  static std::map<const Form*, int> topics;
  return topics;
}

}  // namespace

int FormSetup(Form* form, int, int helpTopic) {
  if (form == nullptr) return 0;
  SharedAppBlock* app = SharedAppBlockGet();
  // The help topic is the form's while it runs; the help folder
  // (SharedAppBlock::helpBuffer) is the help menu's and stays as it is.
  TopicsReplaced()[form] = app->helpContext;
  if (helpTopic > 0) app->helpContext = helpTopic;
  if (Window* w = FormWindow(form)) {
    std::snprintf(w->reportId, sizeof w->reportId, "%s", form->reportId);
    if (w->title[0] == '\0') {
      char caption[81];
      WinSetTitle(w, GetCaption(caption, kCaptionWindow));
    }
  }
  return 0;
}

char FormYesNoGet(Form* form, int field) {
  char text[256] = {};
  if (FieldGetChoiceText(form, field, text, sizeof text) <= 0) {
    if (FieldGetText(form, field, text, sizeof text) <= 0) return 'N';
  }
  std::size_t i = 0;
  while (text[i] == ' ') ++i;
  return text[i] == 'Y' || text[i] == 'y' ? 'Y' : 'N';
}

int FormYesNoSet(Form* form, int field, char yesNo) {
  const char wanted = static_cast<char>(oem::ToUpper(static_cast<unsigned char>(yesNo)));
  const char text[2] = {wanted, '\0'};
  if (FieldSetText(form, field, text) != 0) return -1;
  return FormYesNoGet(form, field) == wanted ? 0 : -1;
}

int FieldFillDefault(Form* form, const char* text, int field) {
  const int f = FieldOrCurrent(form, field);
  if (f <= 0 || !IsEmptyField(form, f)) return 0;
  if (text && *text) {
    FieldSetText(form, f, text);
    FieldRedraw(form, f);
  }
  return 1;
}

int RangeFieldEnter(Form* form, int field) {
  FieldFillDefault(form, kRangeFirst, field);
  return 0;
}

int RangeFieldExit(Form* form, int field) {
  FieldFillDefault(form, kRangeLast, field);
  return 0;
}

int RangeFieldFocus(Form* form, int field) {
  const int f = FieldOrCurrent(form, field);
  if (f > 0 && ShowsOpenEnd(form, f)) {
    FieldSetText(form, f, "");
    FieldRedraw(form, f);
  }
  return 0;
}

int FieldEntryDateHook(Form* form, int field) { return RangeFieldFocus(form, field); }

int FormStandardHook(Form* form, int event, int field) {
  if (form == nullptr) return 0;
  // What each running form borrowed (forms run within forms): the status
  // line as it stood when the form started, whose field text is the form's
  // own, and the help topic its set-up replaced.  Both go back at its end.
  struct Borrowed {
    std::string status;
    int helpTopic;
  };
  static std::vector<Borrowed> borrowed;
  if (event == kFormEventStart) {
    SharedAppBlock* app = SharedAppBlockGet();
    int topic = app->helpContext;
    if (auto it = TopicsReplaced().find(form); it != TopicsReplaced().end()) {
      topic = it->second;
      TopicsReplaced().erase(it);
    }
    borrowed.push_back({AppGetStatusText(), topic});
    if (Window* w = FormWindow(form)) {
      if (form->reportId[0]) std::snprintf(w->reportId, sizeof w->reportId, "%s", form->reportId);
    }
  } else if (event == kFormEventEnd) {
    if (!borrowed.empty()) {
      AppStatusText(borrowed.back().status.c_str());
      SharedAppBlockGet()->helpContext = borrowed.back().helpTopic;
      borrowed.pop_back();
    }
  } else if (event == kFormEventFieldEnter && field > 0) {
    // The status line names the field the cursor is on; its label lives in
    // the caller's field table, which the screen library hands back only as
    // the field's number, so the number and the report id are shown.
    char text[64];
    std::snprintf(text, sizeof text, "%s  field %d", form->reportId, field);
    AppStatusText(text);
  }
  return 0;
}

int FormDefaultHandler(Form*, KeyCode) { return 0; }

int FormShiftF2Handler(Form* form, KeyCode) {
  const SharedAppBlock* app = SharedAppBlockGet();
  std::string text = "Screen: ";
  text += form && form->reportId[0] ? form->reportId : "(none)";
  text += "\nHelp topic: " + std::to_string(app->helpContext);
  qxb::ShowBox(text, kCaptionNotice, nullptr, 1, 0);
  return 0;
}

// --- Option tables -------------------------------------------------------------

int OptionTableLoad(const OptionTableEntry* table, char** choices) {
  if (choices == nullptr) return 1;
  *choices = nullptr;
  std::string list(1, '\x01');
  for (const OptionTableEntry* e = table; e && e->caption; ++e) {
    if (e != table) list += ',';
    list += e->caption;
  }
  if (list.size() == 1) return 1;
  char* text = static_cast<char*>(MemAlloc(list.size() + 1, 1));
  if (text == nullptr) return 1;
  std::memcpy(text, list.c_str(), list.size() + 1);
  *choices = text;
  return 0;
}

const char* OptionTableText(const OptionTableEntry* table) {
  static std::map<const OptionTableEntry*, std::string> texts;
  std::string& text = texts[table];
  if (text.empty()) {
    std::string letters;
    for (const OptionTableEntry* e = table; e && e->caption && letters.size() < 31; ++e) letters += e->letter;
    text = std::string(1, static_cast<char>(letters.size())) + letters;
  }
  return text.c_str();
}

int OptionTableValue(Form* form, const OptionTableEntry* table, int field) {
  if (table == nullptr || table->caption == nullptr) return -1;
  const int chosen = FieldGetChoice(form, field);
  int index = 1;
  for (const OptionTableEntry* e = table; e->caption; ++e, ++index)
    if (index == chosen) return e->value;
  return table->value;
}

int FieldIdByName(const OptionTableEntry* table, const char* caption) {
  if (caption == nullptr) return -1;
  for (const OptionTableEntry* e = table; e && e->caption; ++e)
    if (std::strcmp(e->caption, caption) == 0) return e->value;
  return -1;
}
