// The selection screens of the forecasts: what the calculation screens and
// the report screens share.
//
// Each screen chooses a file (products or services on the inventory
// screens, by a Product/Service choice; customers or vendors by the command),
// an order from the file's order list (text block 370 for products and
// services, 369 for customers and vendors) and the From/To range of that
// order.  The pairs of every order share their rows; only the pair of the
// chosen order is in use, the others are out of use.  An empty From shows
// "FIRST" and an empty To "LAST ", both open ends.
//
// The unit sets its form's context to its ForecastScreen and installs the
// callbacks below on its field table (HookFields) before the fields are
// created; `owner` leads back to the unit's own state.
#pragma once

#include <string>
#include <vector>

#include "periodic/forecast_range.h"
#include "ravadodo.h"

namespace forecast {

// Where a screen keeps its choices and ranges.
struct ScreenFields {
  int kindField = 0;  // the Product/Service choice; 0: the screen has one file
  int orderField = 0;
  int firstRangeField = 0;  // every From/To pair lies within these fields,
  int lastRangeField = 0;   //   the From field first
  // The From field of the pair of `order` on the screen of `fileNo`.
  int (*pairOf)(int fileNo, int order) = nullptr;
};

class ForecastScreen {
 public:
  // A screen laid out as `fields`, first on file `fileNo`.
  ForecastScreen(const ScreenFields& fields, int fileNo, void* owner)
      : fields_(fields), fileNo_(fileNo), owner_(owner) {}

  // The order list of the screen's file as a choice list.  False after the
  // screen library's message when its text block cannot be read.
  bool LoadOrders();
  const char* orderChoices() const { return orderChoices_.c_str(); }

  // Installs the callbacks of the kind, order and range fields in `table`
  // (ended by number 0): the screen's own, and the base library's range
  // handlers.
  void HookFields(std::vector<TagFormField>* table) const;

  // At form start: only the pair of the chosen order in use.
  void Begin(Form* form);

  int fileNo() const { return fileNo_; }
  void* owner() const { return owner_; }
  static ForecastScreen* Of(Form* form) { return static_cast<ForecastScreen*>(form->context); }

  // The chosen order, and the From/To texts of its pair ("" for an open end).
  int Order(Form* form) const;
  std::string From(Form* form) const;
  std::string To(Form* form) const;

  // Puts the pair of the chosen order in use and every other pair out of use.
  void OpenPair(Form* form) const;

 private:
  static int OnKindLeft(Form* form, int field);
  static int OnOrderLeft(Form* form, int field);

  ScreenFields fields_;
  int fileNo_;
  void* owner_;
  std::string orderChoices_;
};

// Starts the walk of `range` for an F10 handler: 0 when its first record is
// in `record`; otherwise the handler's result, after what says why: 0x20
// (the screen stays) when the order's index could not be built, 1 (the
// screen ends) after message 197 when nothing lies in the range or after a
// read error.
int StartOrRefuse(ForecastRange* range, void* record);

}  // namespace forecast
