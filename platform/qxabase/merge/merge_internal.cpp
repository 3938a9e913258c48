// Pieces the sources of merge/ share.
#include "merge_internal.h"

#include <cstdio>

#include "qxabase/form_helpers.h"
#include "qxabase/messages.h"

namespace qxmerge {

bool ReadDataFile(const char* sub, const char* name, int message,
                  const std::function<std::string(int, const std::vector<qxb::Token>&)>& line) {
  const std::string path = qxb::DataFile(sub, name);
  auto refuse = [&](int number, const std::string& why) {
    MsgShowArgs(message, 0, 0, 1, path.c_str(), number, why.c_str(), 0);
    return false;
  };
  std::string text;
  if (!qxb::ReadTextFile(path, &text)) return refuse(0, "it cannot be read");
  int number = 0;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string source = text.substr(at, end - at);
    at = end + 1;
    ++number;
    std::vector<qxb::Token> tokens;
    std::string error;
    if (!qxb::Tokenize(source, &tokens, &error)) return refuse(number, error);
    if (tokens.empty()) continue;
    error = line(number, tokens);
    if (!error.empty()) return refuse(number, error);
  }
  return true;
}

int RunSmallForm(const SmallForm& s) {
  FormDef def;
  if (FormDefLoad(&def, s.number) != 0) return 1;
  std::vector<TagFormField> fields = def.fields;
  if (s.patch) s.patch(fields);
  Form form{};
  Window window{};
  FormBegin(&form);
  struct End {
    Form* form;
    Window* window;
    ~End() {
      WinClose(window, 1);
      FormEnd(form);
    }
  } end{&form, &window};
  if (!FormFieldsCreate(&form, fields.data(), 1)) return 1;
  const int rows = def.rows > 0 ? def.rows : s.rows, cols = def.cols > 0 ? def.cols : s.cols;
  if (WinOpen(&window, s.top, s.left, rows, cols, 1, 1, ' ', def.title.c_str()) != 0) return 1;
  FormAttachWindow(&window, &form, 1);
  FormDefUse(&form, &def);
  std::snprintf(form.reportId, sizeof form.reportId, "%s", s.reportId);
  form.context = s.context;
  form.startHook = s.start;
  FormSetup(&form, 0, 0);
  FormOnKey(&form, kKeyF10, s.accept, "Save");
  if (s.extraKey) FormOnKey(&form, s.extraKey, s.extra, s.extraLabel);
  FormRun(&form, 0);
  return FormWasCancelled(&form) ? 27 : 0;
}

}  // namespace qxmerge
