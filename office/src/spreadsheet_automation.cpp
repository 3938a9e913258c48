#include "spreadsheet_automation.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "automation/client.h"
#include "automation/messages.h"
#include "automation/registry.h"
#include "automation/spreadsheet/object_model.h"
#include "cell_name.h"
#include "oemtext.h"

namespace qx::office {

using automation::DispatchException;
using automation::DispatchPtr;
using automation::Variant;
namespace member = automation::spreadsheet::member;

namespace {

constexpr const char* kProgId = "Quarlex.Spreadsheet";

// A fixed-size text field of the request as UTF-8: up to its first NUL, or
// the whole field when it has none.
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return oem::ToUtf8(std::string_view(field, strnlen(field, N)));
}

// A 16-bit argument.  Values beyond the type are pinned to its ends, so that
// the server refuses them instead of seeing a wrapped, valid-looking value.
Variant Short(long long value) {
  constexpr long long kLow = std::numeric_limits<std::int16_t>::min();
  constexpr long long kHigh = std::numeric_limits<std::int16_t>::max();
  return Variant::I2(static_cast<std::int16_t>(std::clamp(value, kLow, kHigh)));
}

// The box of a refused step; the help context counts only with a help file.
void ShowAutomationError(const DispatchException& error) noexcept {
  try {
    automation::ShowMessage(automation::AutomationErrorText(error.source(), error.description()),
                            automation::kMessageOk, error.help_file().empty() ? 0 : error.help_context());
  } catch (...) {
    automation::ShowMessage("Not enough memory to finish the spreadsheet operation.");
  }
}

// Sets the font of `range`: bold, italic and underline only when their bit is
// set, then size, face name and colour always.
void ApplyFont(const DispatchPtr& range, const CellFont& font) {
  const DispatchPtr target = automation::GetObject(range, member::kFont);
  const std::uint32_t style = font.style;
  if (style & 0x1) automation::PutProperty(target, member::kBold, Short(1));
  if (style & 0x2) automation::PutProperty(target, member::kItalic, Short(1));
  if (style & 0x4) automation::PutProperty(target, member::kUnderline, Short(1));
  automation::PutProperty(target, member::kSize, Short(font.size / 10u));
  automation::PutProperty(target, member::kName, Variant::Bstr(FieldText(font.faceName)));
  automation::PutProperty(target, member::kColor, Variant::I4(font.color));
}

// The sheet font goes on all 256 columns.  A font the server refuses is not
// worth failing a new sheet for: what was set stays, the rest is default.
void ApplySheetFont(ObjectBundle& bundle, const CellFont& font) {
  try {
    ApplyFont(automation::GetObject(bundle[kWorksheet], member::kRange, {Variant::Bstr("A:IV")}), font);
  } catch (const DispatchException&) {
  }
}

// Makes the request's cell range the bundle's current range.  False, with no
// call made, when the first cell has no name.
bool SelectCellRange(const SpreadsheetRequest& request, ObjectBundle& bundle) {
  std::string first;
  if (!MakeCellName(request.row, request.column, &first)) return false;
  // Fields of the packed record are read by value: they need not be aligned.
  const int lastRow = std::max(int{request.lastRow}, 1);
  const int lastColumn = std::max(int{request.lastColumn}, 1);
  std::vector<Variant> names{Variant::Bstr(std::move(first))};
  std::string second;
  if ((lastRow > 1 || lastColumn > 1) && MakeCellName(lastRow, lastColumn, &second)) {
    names.push_back(Variant::Bstr(std::move(second)));
  }
  bundle[kRange] = automation::GetObject(bundle[kWorksheet], member::kRange, std::move(names));
  return true;
}

// The text to put in a cell.  Report dates such as "12/31/09" would become
// dates with a guessed century; the apostrophe keeps them as the text shown.
std::string TextToWrite(const SpreadsheetRequest& request) {
  std::string text = FieldText(request.cellText);
  const std::size_t first = text.find('/');
  if (text.size() == 8 && first != std::string::npos && text.rfind('/') == first + 3) text.insert(0, "'");
  return text;
}

int WorksheetCount(ObjectBundle& bundle) {
  const Variant count = automation::GetProperty(bundle[kWorksheets], member::kCount);
  std::int32_t n = 0;
  if (const automation::HResult hr = automation::ToI4(count, &n); hr != automation::kOk) {
    throw DispatchException(hr, {});
  }
  return n;
}

int LineStyleFor(int borderStyle) {
  using namespace automation::spreadsheet;
  switch (borderStyle) {
    case 1: return kLineContinuous;
    case 2: return kLineDash;
    case 3: return kLineDashDot;
    case 4: return kLineDashDotDot;
    case 5: return kLineDot;
    case 6: return kLineDouble;
    case 7: return kLineSlantDashDot;
    case 8: return kLineNone;
  }
  return 6;  // not a line style: the server refuses it with a message
}

int WeightFor(int borderWeight) {
  using namespace automation::spreadsheet;
  switch (borderWeight) {
    case 1: return kWeightHairline;
    case 3: return kWeightThick;
    case 4: return kWeightThin;
  }
  return kWeightMedium;
}

}  // namespace

int SpreadsheetFailureResult(int operation) {
  switch (operation) {
    case 1:
    case 5: return -1;
    case 2: return -2;
  }
  return 0;
}

SpreadsheetAutomation::SpreadsheetAutomation(ServerStarter start) : start_(std::move(start)) {
  if (!start_) start_ = [](DispatchPtr* object) { return automation::CreateObject(kProgId, object); };
}

int SpreadsheetAutomation::Run(SpreadsheetRequest* request) noexcept {
  if (!request) return 0;
  const int operation = request->operation;
  try {
    return RunOperation(*request);
  } catch (const DispatchException& error) {
    ShowAutomationError(error);
  } catch (const std::bad_alloc&) {
    automation::ShowMessage("Not enough memory to finish the spreadsheet operation.");
  } catch (...) {
    automation::ShowMessage("unknown error");
  }
  return SpreadsheetFailureResult(operation);
}

int SpreadsheetAutomation::RunOperation(SpreadsheetRequest& request) {
  const int operation = request.operation;
  if (operation == 1) return ProbeSpreadsheet();
  if (operation == 2) return OpenWorkbook(request);
  if (operation < 3 || operation > 13) return 0;

  ObjectBundle* bundle = bundles_.Find(request.handle);
  if (!bundle) return SpreadsheetFailureResult(operation);
  switch (operation) {
    case 3: return CloseWorkbook(request, *bundle);
    case 4: return AddWorksheet(request, *bundle);
    case 5: return GetWorksheetCount(*bundle);
    case 6: return SelectWorksheet(request, *bundle);
    case 7: return WriteCell(request, *bundle, true, true);
    case 8: return WriteCell(request, *bundle, true, false);
    case 9: return WriteCell(request, *bundle, false, true);
    case 10: return SetFreezePanes(request, *bundle, true);
    case 11: return SetFreezePanes(request, *bundle, false);
    case 12: return SetColumnWidths(request, *bundle);
    case 13: return SetBorders(request, *bundle);
  }
  return 0;
}

int SpreadsheetAutomation::ProbeSpreadsheet() {
  DispatchPtr application;
  if (start_(&application) != automation::kOk || !application) return -1;
  automation::CallMethod(application, member::kQuit);
  return 0;
}

int SpreadsheetAutomation::OpenWorkbook(SpreadsheetRequest& request) {
  const std::optional<Handle> handle = bundles_.Create();
  if (!handle) return -2;
  // A connection that fails part-way is released: the caller never sees it.
  struct Release {
    BundleTable& table;
    Handle handle;
    bool keep = false;
    ~Release() {
      if (!keep) table.Free(handle);
    }
  } release{bundles_, *handle};

  ObjectBundle& bundle = *bundles_.Find(*handle);
  if (start_(&bundle[kApplication]) != automation::kOk || !bundle[kApplication]) return -2;
  automation::PutProperty(bundle[kApplication], member::kSheetsInNewWorkbook, Variant::I4(1));
  bundle[kWorkbooks] = automation::GetObject(bundle[kApplication], member::kWorkbooks);
  bundle[kWorkbook] = automation::CallForObject(bundle[kWorkbooks], member::kAdd, {Variant::Missing()});
  bundle[kWorksheets] = automation::GetObject(bundle[kWorkbook], member::kWorksheets);
  bundle[kWorksheet] = automation::GetObject(bundle[kWorksheets], member::kItem, {Short(1)});
  ApplySheetFont(bundle, request.sheetFont);
  // SaveAs (Filename, ..., AccessMode = 0 as the 7th, ...): 12 arguments.
  std::vector<Variant> saveAs(12, Variant::Missing());
  saveAs[0] = Variant::Bstr(FieldText(request.workbookPath));
  saveAs[6] = Variant::I4(0);
  automation::CallMethod(bundle[kWorkbook], member::kSaveAs, std::move(saveAs));
  release.keep = true;
  request.handle = *handle;
  return 0;
}

int SpreadsheetAutomation::CloseWorkbook(SpreadsheetRequest& request, ObjectBundle& bundle) {
  automation::CallMethod(bundle[kWorkbook], member::kSave);
  if (request.handOver != 0) {
    // The user takes the workbook over.
    automation::PutProperty(bundle[kApplication], member::kVisible, Variant::Boolean(true));
    automation::PutProperty(bundle[kApplication], member::kUserControl, Variant::Boolean(true));
  } else {
    automation::CallMethod(bundle[kApplication], member::kQuit);
  }
  if (!bundles_.Free(request.handle)) return 0;
  request.handle = 0;
  return 1;
}

int SpreadsheetAutomation::AddWorksheet(const SpreadsheetRequest& request, ObjectBundle& bundle) {
  // Add (Before, After = the current sheet by reference, Count, Type).
  DispatchPtr added = automation::CallForObject(
      bundle[kWorksheets], member::kAdd,
      {Variant::Missing(), Variant::ObjectByRef(&bundle[kWorksheet]), Variant::Missing(), Variant::Missing()});
  bundle[kWorksheet] = std::move(added);
  ApplySheetFont(bundle, request.sheetFont);
  automation::CallMethod(bundle[kWorkbook], member::kSave);
  return 1;
}

int SpreadsheetAutomation::GetWorksheetCount(ObjectBundle& bundle) { return WorksheetCount(bundle); }

int SpreadsheetAutomation::SelectWorksheet(const SpreadsheetRequest& request, ObjectBundle& bundle) {
  if (WorksheetCount(bundle) < request.sheetNumber) return 0;
  bundle[kWorksheet] = automation::GetObject(bundle[kWorksheets], member::kItem, {Short(request.sheetNumber)});
  automation::CallMethod(bundle[kWorksheet], member::kSelect, {Variant::Missing()});
  return 1;
}

int SpreadsheetAutomation::WriteCell(const SpreadsheetRequest& request, ObjectBundle& bundle, bool value,
                                     bool format) {
  if (!SelectCellRange(request, bundle)) return 0;
  if (value) automation::PutProperty(bundle[kRange], member::kValue, Variant::Bstr(TextToWrite(request)));
  if (format) ApplyFont(bundle[kRange], request.cellFont);
  using namespace automation::spreadsheet;
  switch (request.alignment) {
    case 1: automation::PutProperty(bundle[kRange], member::kHorizontalAlignment, Short(kAlignLeft)); break;
    case 2: automation::PutProperty(bundle[kRange], member::kHorizontalAlignment, Short(kAlignRight)); break;
    case 3: automation::PutProperty(bundle[kRange], member::kHorizontalAlignment, Short(kAlignCenter)); break;
  }
  return 1;
}

int SpreadsheetAutomation::SetFreezePanes(const SpreadsheetRequest& request, ObjectBundle& bundle, bool freeze) {
  const DispatchPtr cell = automation::GetObject(bundle[kWorksheet], member::kRange,
                                                 {Variant::Bstr("A" + std::to_string(request.row))});
  automation::CallMethod(cell, member::kSelect);
  automation::CallMethod(bundle[kWorksheet], member::kActivate);
  const DispatchPtr window = automation::GetObject(bundle[kApplication], member::kActiveWindow);
  automation::PutProperty(window, member::kFreezePanes, Variant::Boolean(freeze));
  return 1;
}

int SpreadsheetAutomation::SetColumnWidths(SpreadsheetRequest& request, ObjectBundle& bundle) {
  for (std::size_t i = 0; i < std::size(request.widthUsed) && request.widthUsed[i] != 0; ++i) {
    // The request's cell fields name each entry's column in turn (and keep
    // the last one).
    request.row = 1;
    request.column = request.widthColumn[i];
    request.lastColumn = 1;
    request.lastRow = 1;
    if (!SelectCellRange(request, bundle)) return 0;
    const int width = std::max(request.widthEnd[i] - request.widthStart[i] + 1, 1);
    automation::PutProperty(bundle[kRange], member::kColumnWidth, Short(width));
  }
  return 1;
}

int SpreadsheetAutomation::SetBorders(const SpreadsheetRequest& request, ObjectBundle& bundle) {
  using namespace automation::spreadsheet;
  // Border index of the object model -> bit of borderEdges.
  static constexpr struct {
    int index;
    std::uint32_t bit;
  } kEdges[] = {
      {kDiagonalDown, 0x04}, {kDiagonalUp, 0x08}, {kEdgeLeft, 0x20},        {kEdgeTop, 0x80},
      {kEdgeBottom, 0x10},   {kEdgeRight, 0x40},  {kInsideVertical, 0x02}, {kInsideHorizontal, 0x01},
  };
  if (!SelectCellRange(request, bundle)) return 0;
  const DispatchPtr borders = automation::GetObject(bundle[kRange], member::kBorders);
  for (const auto& edge : kEdges) {
    const DispatchPtr border = automation::GetObject(borders, member::kItem, {Variant::I4(edge.index)});
    if ((request.borderEdges & edge.bit) == 0) continue;
    automation::PutProperty(border, member::kLineStyle, Short(LineStyleFor(request.borderStyle)));
    automation::PutProperty(border, member::kColor, Variant::I4(request.borderColor));
    automation::PutProperty(border, member::kWeight, Short(WeightFor(request.borderWeight)));
  }
  return 1;
}

}  // namespace qx::office
