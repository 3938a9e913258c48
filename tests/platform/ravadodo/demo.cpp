// A small program on the screen library for the terminal test: a main window
// with a menu bar, a report's range screen opened from the menu, and the exit
// question.  The values accepted on the screen are written to the file named
// by the first argument.
#include <cstdio>
#include <cstring>
#include <string>

#include "ravadodo.h"

namespace {

TagFormField Field(int number, int row, int col, const char* mask, const char* label, const char* choices = nullptr) {
  TagFormField f;
  f.number = static_cast<std::uint8_t>(number);
  f.row = static_cast<std::uint8_t>(row);
  f.column = static_cast<std::uint8_t>(col);
  std::snprintf(f.mask, sizeof f.mask, "%s", mask);
  f.label = label;
  f.choices = choices;
  return f;
}

int DateExit(Form* f, int field) {
  if (DateIsValid(FieldText(f, field).c_str())) return 0;
  MsgBoxShow("The date is not valid.\nType it as mm/dd/yy.", "Customer Aging");
  return 0x20;
}

int Start(Form* f, int) {
  char date[16];
  FieldSetText(f, 1, "FIRST");
  FieldSetText(f, 2, "LAST ");
  FieldSetText(f, 3, DateToText(date, DateToday()));
  FieldSetChoice(f, 4, 1);
  WinWriteFromLabel(FormWindow(f), 0, 1);
  WinWriteToLabel(FormWindow(f), 0, 2);
  return 0;
}

std::string RunAgingScreen() {
  TagFormField table[] = {
      Field(1, 2, 20, "%-10sC", "Customer"), Field(2, 3, 20, "%-10sC", nullptr),
      Field(3, 5, 20, "nn/nn/nn", "Aging date"), Field(4, 6, 20, "%-10sm", "Report", "\x01" "Detail,Summary"),
      TagFormField{},
  };
  table[2].exitCallback = DateExit;
  Form form{};
  Window window{};
  FormBegin(&form);
  if (!FormFieldsCreate(&form, table, 1) || WinOpen(&window, 5, 10, 10, 60, 1, 1, 32, "Customer Aging")) {
    FormEnd(&form);
    return "failed";
  }
  FormAttachWindow(&window, &form, 1);
  form.startHook = Start;
  FormOnKey(&form, kKeyF10, [](Form*, KeyCode) { return 1; }, "Run");
  FormOnKey(&form, kKeyShiftF9, [](Form* f, KeyCode) {
    Start(f, 0);
    FieldSetFocus(f, 1);
    return 0x80;
  });
  std::string result;
  if (FormRun(&form, 0) == 27) {
    result = "cancelled";
  } else {
    char choice[32];
    FieldGetChoiceText(&form, 4, choice, sizeof choice);
    result = "from=" + FieldText(&form, 1) + " to=" + FieldText(&form, 2) + " date=" + FieldText(&form, 3) +
             " report=" + choice;
  }
  WinClose(&window, 1);
  FormEnd(&form);
  return result;
}

const TagMenuItem kReports[] = {
    {1, 1, 337, 0, 0, 'A', " Customer Aging ", nullptr},
    {2, 1, 0, 0, 0, '\xC4', " \xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4\xC4", nullptr},
    {3, 1, 118, 0, 0, 'X', " EXit ", nullptr},
    {1, 2, -1, 0, 0, 0, nullptr, nullptr},
};
const TagMenuItem kTop[] = {
    {0, 2, 0, 0, 0x2100, 'F', "File", kReports},
    {0, 0, -1, 0, 0, 0, nullptr, nullptr},
};

}  // namespace

int main(int argc, char** argv) {
  FILE* out = argc > 1 ? std::fopen(argv[1], "w") : nullptr;
  AppSetTitle("RaVaDodo Demo");
  if (!AppCreateMainWindow()) return 1;
  MenuBuild(kTop);
  AppStatusText("F10 or Alt+F: menu");
  for (;;) {
    KeyCode key = 0;
    AppGetKey(&key, 0, 0);
    if (key != kKeyMenuPick) continue;
    int id = MenuGetPick();
    if (id == 118) {
      if (AppConfirmExit()) break;
      continue;
    }
    if (id == 337) {
      std::string r = RunAgingScreen();
      if (out) {
        std::fprintf(out, "%s\n", r.c_str());
        std::fflush(out);
      }
    }
  }
  AppDestroyMainWindow();
  AppShutdown(1);
  if (out) std::fclose(out);
  std::printf("demo ended\n");
  return 0;
}
