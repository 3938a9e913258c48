#include "automation/spreadsheet/application.h"

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "automation/desktop.h"
#include "automation/messages.h"
#include "automation/spreadsheet/cell_reference.h"
#include "automation/spreadsheet/objects.h"
#include "automation/spreadsheet/xlsx_file.h"

namespace qx::automation::spreadsheet {

namespace {

namespace fs = std::filesystem;

struct ApplicationState {
  std::vector<std::shared_ptr<Workbook>> workbooks;  // the last is the active one
  int sheetsInNewWorkbook = 1;
  bool visible = false;
  bool userControl = false;
};

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

class WindowObject final : public SpreadsheetObject {
 public:
  explicit WindowObject(std::shared_ptr<Workbook> workbook) : workbook_(std::move(workbook)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    if (args.member() != member::kFreezePanes) args.NoSuchMember();
    args.ExpectPut();
    const bool freeze = args.Bool(args.ValueIndex());
    Sheet& sheet = *workbook_->sheets[workbook_->activeSheet];
    sheet.frozenRows = freeze ? sheet.activeRow - 1 : 0;
    sheet.frozenColumns = freeze ? sheet.activeColumn - 1 : 0;
    return {};
  }

 private:
  std::shared_ptr<Workbook> workbook_;
};

class WorksheetObject final : public SpreadsheetObject {
 public:
  WorksheetObject(std::shared_ptr<Workbook> workbook, std::shared_ptr<Sheet> sheet)
      : workbook_(std::move(workbook)), sheet_(std::move(sheet)) {}

  const Workbook* workbook() const { return workbook_.get(); }
  const Sheet* sheet() const { return sheet_.get(); }

 protected:
  Variant Answer(const ArgList& args) override {
    switch (args.member()) {
      case member::kRange: {
        args.ExpectGet(1, 2);
        Area area = Reference(args, 0);
        if (args.Present(1)) area = Span(area, Reference(args, 1));
        return Variant::Object(MakeRange({workbook_, sheet_, area}));
      }
      case member::kSelect:
        args.ExpectMethod(0, 1);
        if (args.Present(0)) args.Bool(0);  // Replace: one sheet is selected at a time
        Activate();
        return {};
      case member::kActivate:
        args.ExpectMethod(0, 0);
        Activate();
        return {};
    }
    args.NoSuchMember();
  }

 private:
  static Area Reference(const ArgList& args, std::size_t i) {
    const std::string text = args.Text(i);
    const auto area = ParseReference(text);
    if (!area) throw Fault::Refused("\"" + text + "\" is not a cell reference (A1 to XFD1048576).");
    return *area;
  }

  void Activate() { workbook_->activeSheet = workbook_->IndexOf(sheet_.get()); }

  std::shared_ptr<Workbook> workbook_;
  std::shared_ptr<Sheet> sheet_;
};

class WorksheetsObject final : public SpreadsheetObject {
 public:
  explicit WorksheetsObject(std::shared_ptr<Workbook> workbook) : workbook_(std::move(workbook)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    switch (args.member()) {
      case member::kCount:
        args.ExpectGet();
        return Variant::I4(static_cast<std::int32_t>(workbook_->sheets.size()));
      case member::kItem:
        args.ExpectGet(1, 1);
        return Variant::Object(Item(args));
      case member::kAdd:
        args.ExpectMethod(0, 4);
        return Variant::Object(Add(args));
    }
    args.NoSuchMember();
  }

 private:
  DispatchPtr SheetObject(std::size_t index) const {
    return std::make_shared<WorksheetObject>(workbook_, workbook_->sheets[index]);
  }

  DispatchPtr Item(const ArgList& args) const {
    const auto& sheets = workbook_->sheets;
    if (args.Arg(0).type() == VarType::kBstr) {
      const std::string& name = args.Arg(0).text();
      for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (SameNameIgnoringCase(sheets[i]->name(), name)) return SheetObject(i);
      }
      throw Fault::Refused("There is no worksheet named \"" + name + "\".");
    }
    const std::int32_t number = args.I4(0);
    if (number < 1 || static_cast<std::size_t>(number) > sheets.size()) {
      throw Fault::Refused("There is no worksheet " + std::to_string(number) + ": the workbook has " +
                           std::to_string(sheets.size()) + ".");
    }
    return SheetObject(static_cast<std::size_t>(number) - 1);
  }

  // The position of a Before/After sheet given as argument i.
  std::size_t PositionOf(const ArgList& args, std::size_t i) const {
    const auto* sheet = dynamic_cast<const WorksheetObject*>(args.Object(i).get());
    const std::size_t position = sheet && sheet->workbook() == workbook_.get()
                                     ? workbook_->IndexOf(sheet->sheet())
                                     : workbook_->sheets.size() + 1;
    if (position >= workbook_->sheets.size()) {
      throw Fault::Refused("Before and After must name a worksheet of this workbook.");
    }
    return position;
  }

  DispatchPtr Add(const ArgList& args) {
    if (args.Present(0) && args.Present(1)) throw Fault::Refused("Give Before or After, not both.");
    const int count = args.Present(2) ? args.I4(2) : 1;
    if (count < 1 || count > 255) throw Fault::Refused("Between 1 and 255 worksheets can be added at once.");
    if (args.Present(3) && args.I4(3) != kSheetTypeWorksheet) {
      throw Fault::Refused("Only worksheets can be added.");
    }
    std::size_t position = args.Present(0)   ? PositionOf(args, 0)
                           : args.Present(1) ? PositionOf(args, 1) + 1
                                             : workbook_->activeSheet;
    for (int i = 0; i < count; ++i) workbook_->AddSheet(position++);
    workbook_->activeSheet = position - 1;
    return SheetObject(workbook_->activeSheet);
  }

  std::shared_ptr<Workbook> workbook_;
};

class WorkbookObject final : public SpreadsheetObject {
 public:
  explicit WorkbookObject(std::shared_ptr<Workbook> workbook) : workbook_(std::move(workbook)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    switch (args.member()) {
      case member::kWorksheets:
        args.ExpectGet();
        return Variant::Object(std::make_shared<WorksheetsObject>(workbook_));
      case member::kSaveAs:
        args.ExpectMethod(1, 12);
        SaveAs(args);
        return {};
      case member::kSave:
        args.ExpectMethod(0, 0);
        if (workbook_->path.empty()) {
          throw Fault::Refused("The workbook has no file yet: save it with SaveAs first.");
        }
        Save(workbook_->path);
        return {};
    }
    args.NoSuchMember();
  }

 private:
  // SaveAs (Filename, FileFormat, Password, WriteResPassword,
  // ReadOnlyRecommended, CreateBackup, AccessMode, ConflictResolution,
  // AddToMru, TextCodepage, TextVisualLayout, Local).  Arguments that make no
  // difference to a single-user .xlsx file are checked and ignored.
  void SaveAs(const ArgList& args) {
    std::string path = args.Text(0);
    if (path.empty()) throw Fault::Refused("The file name is empty.");
    // Later saves go to the same file even if the caller changes folder.
    std::error_code error;
    if (fs::path absolute = fs::absolute(path, error); !error) path = absolute.string();
    if (args.Present(1) && args.I4(1) != kFileFormatWorkbook) {
      throw Fault::Refused("Workbooks are saved as .xlsx files only (file format 51).");
    }
    for (std::size_t i : {2, 3}) {
      if (args.Present(i) && !args.Text(i).empty()) throw Fault::Refused("Passwords are not supported.");
    }
    for (std::size_t i : {4, 5, 8, 11}) {
      if (args.Present(i)) args.Bool(i);
    }
    for (std::size_t i : {6, 7}) {
      if (args.Present(i)) args.I4(i);
    }
    Save(path);
    workbook_->path = path;
  }

  void Save(const std::string& path) {
    if (std::string error = SaveWorkbookFile(*workbook_, path); !error.empty()) {
      throw Fault::Refused(std::move(error));
    }
  }

  static constexpr int kFileFormatWorkbook = 51;
  std::shared_ptr<Workbook> workbook_;
};

class WorkbooksObject final : public SpreadsheetObject {
 public:
  explicit WorkbooksObject(std::shared_ptr<ApplicationState> state) : state_(std::move(state)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    if (args.member() != member::kAdd) args.NoSuchMember();
    args.ExpectMethod(0, 1);
    if (args.Present(0)) throw Fault::Refused("Workbook templates are not supported.");
    auto workbook = std::make_shared<Workbook>();
    for (int i = 0; i < state_->sheetsInNewWorkbook; ++i) workbook->AddSheet(workbook->sheets.size());
    state_->workbooks.push_back(workbook);
    return Variant::Object(std::make_shared<WorkbookObject>(std::move(workbook)));
  }

 private:
  std::shared_ptr<ApplicationState> state_;
};

class ApplicationObject final : public SpreadsheetObject {
 public:
  ApplicationObject() : state_(std::make_shared<ApplicationState>()) {}

 protected:
  Variant Answer(const ArgList& args) override {
    switch (args.member()) {
      case member::kSheetsInNewWorkbook: {
        args.ExpectPut();
        const std::int32_t count = args.I4(args.ValueIndex());
        if (count < 1 || count > 255) throw Fault::Refused("A new workbook has between 1 and 255 sheets.");
        state_->sheetsInNewWorkbook = count;
        return {};
      }
      case member::kWorkbooks:
        args.ExpectGet();
        return Variant::Object(std::make_shared<WorkbooksObject>(state_));
      case member::kActiveWindow:
        args.ExpectGet();
        if (state_->workbooks.empty()) return Variant::Object(nullptr);
        return Variant::Object(std::make_shared<WindowObject>(state_->workbooks.back()));
      case member::kVisible: {
        args.ExpectPut();
        const bool visible = args.Bool(args.ValueIndex());
        if (visible && !state_->visible) ShowSavedWorkbooks();
        state_->visible = visible;
        return {};
      }
      case member::kUserControl:
        args.ExpectPut();
        state_->userControl = args.Bool(args.ValueIndex());
        return {};
      case member::kQuit:
        args.ExpectMethod(0, 0);
        state_->workbooks.clear();
        return {};
    }
    args.NoSuchMember();
  }

 private:
  // Becoming visible shows the user the workbooks as last saved.  The files
  // are saved whether or not they can be shown; a failure is told, not
  // raised.
  void ShowSavedWorkbooks() {
    for (const auto& workbook : state_->workbooks) {
      if (workbook->path.empty()) continue;
      std::string error;
      if (ShowFileOnDesktop(workbook->path, &error) == ShowResult::kFailed) {
        ShowMessage("The workbook was saved as \"" + workbook->path + "\" but could not be opened: " + error,
                    kMessageOk | kMessageIconExclamation);
      }
    }
  }

  std::shared_ptr<ApplicationState> state_;
};

}  // namespace

DispatchPtr CreateApplication() { return std::make_shared<ApplicationObject>(); }

}  // namespace qx::automation::spreadsheet
