#include "selection_words.h"

#include <cstring>

#include "range_criteria.h"
#include "ravadodo/forms.h"

namespace {

std::string Trim(std::string_view text) {
  const std::size_t b = text.find_first_not_of(' ');
  if (b == std::string_view::npos) return "";
  const std::size_t e = text.find_last_not_of(' ');
  return std::string(text.substr(b, e - b + 1));
}

}  // namespace

SelectionWords::SelectionWords(int formNumber) {
  if (formNumber <= 0) return;
  FormDef def;
  if (FormDefLoad(&def, formNumber) != 0) return;
  for (const TagFormField& f : def.fields) {
    if (f.number == 0) break;
    if (f.label == nullptr) continue;
    std::string label = Trim(f.label);
    while (!label.empty() && label.back() == ':') label.pop_back();
    labels_.emplace_back(f.number, label);
  }
}

std::string SelectionWords::Label(int field) const {
  for (const auto& [number, label] : labels_) {
    if (number == field) return label;
  }
  return "";
}

std::string SelectionWords::RangeText(std::string_view caption, std::string_view from, std::string_view to) {
  const std::string f = Trim(from), t = Trim(to);
  std::string out = Trim(caption);
  if (f.empty() && t.empty()) return out + ", all";
  if (t.empty()) return out + ", from " + f;
  if (f.empty()) return out + ", up to " + t;
  return out + ", from " + f + " to " + t;
}

SelectionWords& SelectionWords::Range(int field, std::string_view caption, std::string_view from, std::string_view to) {
  if (Trim(caption).empty()) return *this;
  return Named(Label(field), RangeText(caption, from, to));
}

SelectionWords& SelectionWords::Range(int field, const RangeCriterion& range) {
  const auto text = [](const char (&field)[41]) { return std::string_view(field, strnlen(field, sizeof field)); };
  return Range(field, text(range.caption), range.fromEmpty ? std::string_view() : text(range.fromText),
               range.toEmpty ? std::string_view() : text(range.toText));
}

SelectionWords& SelectionWords::Item(int field, std::string_view value) { return Named(Label(field), value); }

SelectionWords& SelectionWords::Named(std::string_view label, std::string_view value) {
  const std::string l = Trim(label), v = Trim(value);
  if (l.empty()) return *this;
  items_.push_back(l + ": " + (v.empty() ? std::string("(none)") : v));
  return *this;
}

std::string SelectionWords::Text() const {
  std::string out;
  for (const std::string& item : items_) out += (out.empty() ? "" : "; ") + item;
  return out;
}
