// The spreadsheet export behind QxExcelAutomation: the thirteen operations of
// a request record, each a short sequence of member calls on the spreadsheet
// server's object model (automation/spreadsheet/object_model.h), over the
// connections of a BundleTable.  qxoffice.h gives the operations and results.
#pragma once

#include <functional>
#include <optional>

#include "automation/dispatch.h"
#include "bundle_table.h"
#include "qxoffice.h"

namespace qx::office {

// The failure result of an operation: -1 for 1 and 5, -2 for 2, else 0.
int SpreadsheetFailureResult(int operation);

class SpreadsheetAutomation {
 public:
  // Starts a spreadsheet server: kOk and its application object, or a
  // failure code.
  using ServerStarter = std::function<automation::HResult(automation::DispatchPtr*)>;

  // `start` defaults to the registered "Quarlex.Spreadsheet" server.
  explicit SpreadsheetAutomation(ServerStarter start = {});

  // Runs the operation the request names and returns its result (qxoffice.h).
  // A step the server refuses is told through automation::ShowMessage and
  // gives the operation's failure result.  Never throws.
  int Run(SpreadsheetRequest* request) noexcept;

  BundleTable& bundles() { return bundles_; }

 private:
  int RunOperation(SpreadsheetRequest& request);
  int ProbeSpreadsheet();
  int OpenWorkbook(SpreadsheetRequest& request);
  int CloseWorkbook(SpreadsheetRequest& request, ObjectBundle& bundle);
  int AddWorksheet(const SpreadsheetRequest& request, ObjectBundle& bundle);
  int GetWorksheetCount(ObjectBundle& bundle);
  int SelectWorksheet(const SpreadsheetRequest& request, ObjectBundle& bundle);
  int WriteCell(const SpreadsheetRequest& request, ObjectBundle& bundle, bool value, bool format);
  int SetFreezePanes(const SpreadsheetRequest& request, ObjectBundle& bundle, bool freeze);
  int SetColumnWidths(SpreadsheetRequest& request, ObjectBundle& bundle);
  int SetBorders(const SpreadsheetRequest& request, ObjectBundle& bundle);

  ServerStarter start_;
  BundleTable bundles_;
};

}  // namespace qx::office
