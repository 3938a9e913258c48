// The selection of a report run in words, as its screen shows it: each
// field's label and the value chosen, "Sort by: Customer Code, from
// ALDERMED to ZEPHYR; Aged by: Due Date; Include fully paid items: No".
// The report writer prints it above the report (the saved run's line), in
// the preview and the HTML file, while "Run again" keeps the parameter
// string itself.
//
// Labels are read from the screen's form definition by field number, so the
// words never disagree with the screen; a field the form does not label is
// named by the caller.  Texts are code page 437.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct RangeCriterion;

class SelectionWords {
 public:
  // Labels from form definition `formNumber` (0: the caller names each).
  explicit SelectionWords(int formNumber = 0);

  // A range: "<label of field>: <caption>, from <from> to <to>" ("all"
  // when both ends are open, "from X" or "up to Y" when one is).  Blanks
  // around the ends are dropped.
  SelectionWords& Range(int field, std::string_view caption, std::string_view from, std::string_view to);
  // The same from a range criterion: its caption, and its ends unless open.
  SelectionWords& Range(int field, const RangeCriterion& range);
  // "<label of field>: <value>".
  SelectionWords& Item(int field, std::string_view value);
  // "<label>: <value>", for a field the form does not have.
  SelectionWords& Named(std::string_view label, std::string_view value);
  static const char* YesNo(bool yes) { return yes ? "Yes" : "No"; }

  // The items joined by "; ".
  std::string Text() const;

  // The label of field `field` ("Sort by"; a closing colon dropped); "" when
  // the form has none.
  std::string Label(int field) const;

  // The range's words alone: "Customer Code, from A to B".
  static std::string RangeText(std::string_view caption, std::string_view from, std::string_view to);

 private:
  std::vector<std::pair<int, std::string>> labels_;
  std::vector<std::string> items_;
};
