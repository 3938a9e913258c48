// Internal to the spreadsheet server: what its object classes share.
#pragma once

#include <memory>

#include "automation/server.h"
#include "automation/spreadsheet/workbook.h"

namespace qx::automation::spreadsheet {

class SpreadsheetObject : public DispatchObject {
 protected:
  const char* Source() const override { return "Spreadsheet"; }
};

// The cells a Range (and its Font, Borders and Border) stands for.
struct Target {
  std::shared_ptr<Workbook> workbook;
  std::shared_ptr<Sheet> sheet;
  Area area;
};

DispatchPtr MakeRange(Target target);

}  // namespace qx::automation::spreadsheet
