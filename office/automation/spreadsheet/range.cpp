// Range, Font, Borders and Border: the members that write cells.
#include <string>

#include "automation/spreadsheet/application.h"
#include "automation/spreadsheet/cell_reference.h"
#include "automation/spreadsheet/objects.h"
#include "automation/spreadsheet/typed_text.h"

namespace qx::automation::spreadsheet {

namespace {

constexpr std::size_t kMaxCellText = 32767;  // what a cell of the file can hold
constexpr std::size_t kMaxFontName = 127;    // what a format of the file writer can hold
constexpr std::int32_t kMaxColor = 0xFFFFFF;

std::string Count(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
  return digits;
}

void CheckSize(const Area& area, bool formatOnly) {
  if (formatOnly && area.wholeColumns) return;  // columns are formatted as columns
  if (area.CellCount() > kMaxCellsPerChange) {
    throw Fault::Refused("The range " + ReferenceText(area) + " holds " + Count(area.CellCount()) +
                         " cells; one change may touch at most " + Count(kMaxCellsPerChange) + ".");
  }
}

void Restyle(const Target& t, const std::function<void(Style&, const CellPlace&)>& change) {
  CheckSize(t.area, true);
  ChangeStyle(*t.workbook, *t.sheet, t.area, change);
}

std::int32_t ColorValue(const ArgList& args, const char* what) {
  const std::int32_t color = args.I4(args.ValueIndex());
  if (color < 0 || color > kMaxColor) {
    throw Fault::Refused(std::string(what) + " colour " + std::to_string(color) +
                         " is not an RGB value (0 to 16777215).");
  }
  return color;
}

class FontObject final : public SpreadsheetObject {
 public:
  explicit FontObject(Target target) : t_(std::move(target)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    args.ExpectPut();
    const std::size_t v = args.ValueIndex();
    switch (args.member()) {
      case member::kBold: {
        const bool bold = args.Bool(v);
        Restyle(t_, [bold](Style& s, const CellPlace&) { s.bold = bold; });
        return {};
      }
      case member::kItalic: {
        const bool italic = args.Bool(v);
        Restyle(t_, [italic](Style& s, const CellPlace&) { s.italic = italic; });
        return {};
      }
      case member::kUnderline: {
        const std::int16_t underline = Underline(args.I4(v));
        Restyle(t_, [underline](Style& s, const CellPlace&) { s.underline = underline; });
        return {};
      }
      case member::kSize: {
        const double size = args.R8(v);
        if (!(size >= 1 && size <= 409)) {
          throw Fault::Refused("Font size " + std::to_string(static_cast<long long>(size)) +
                               " is out of range: sizes run from 1 to 409 points.");
        }
        Restyle(t_, [size](Style& s, const CellPlace&) { s.fontSize = size; });
        return {};
      }
      case member::kName: {
        const std::string name = args.Text(v);
        if (name.empty()) throw Fault::Refused("The font name is empty.");
        if (name.size() > kMaxFontName) throw Fault::Refused("The font name \"" + name + "\" is too long.");
        Restyle(t_, [&name](Style& s, const CellPlace&) { s.fontName = name; });
        return {};
      }
      case member::kColor: {
        const std::int32_t color = ColorValue(args, "Font");
        Restyle(t_, [color](Style& s, const CellPlace&) { s.fontColor = color; });
        return {};
      }
    }
    args.NoSuchMember();
  }

 private:
  static std::int16_t Underline(std::int32_t value) {
    switch (value) {
      case 0:
      case kUnderlineNone: return kUnderlineNone;
      case 1:
      case -1:  // true
      case kUnderlineSingle: return kUnderlineSingle;
      case kUnderlineDouble:
      case kUnderlineSingleAccounting:
      case kUnderlineDoubleAccounting: return static_cast<std::int16_t>(value);
    }
    throw Fault::Refused("Underline " + std::to_string(value) + " is not an underline style.");
  }

  Target t_;
};

// Calls `change` on each side of a cell that border `index` draws, given the
// cell's place in the range: outer edges on the outer cells, inside lines on
// both cells they separate, diagonals in every cell.
template <typename Change>
void ForEachSide(Style& s, const CellPlace& place, int index, Change change) {
  switch (index) {
    case kDiagonalDown: change(s.diagonalDown); break;
    case kDiagonalUp: change(s.diagonalUp); break;
    case kEdgeLeft: if (place.firstColumn) change(s.left); break;
    case kEdgeTop: if (place.firstRow) change(s.top); break;
    case kEdgeBottom: if (place.lastRow) change(s.bottom); break;
    case kEdgeRight: if (place.lastColumn) change(s.right); break;
    case kInsideVertical:
      if (!place.lastColumn) change(s.right);
      if (!place.firstColumn) change(s.left);
      break;
    case kInsideHorizontal:
      if (!place.lastRow) change(s.bottom);
      if (!place.firstRow) change(s.top);
      break;
  }
}

class BorderObject final : public SpreadsheetObject {
 public:
  BorderObject(Target target, int index) : t_(std::move(target)), index_(index) {}

 protected:
  Variant Answer(const ArgList& args) override {
    args.ExpectPut();
    switch (args.member()) {
      case member::kLineStyle: {
        const std::int32_t style = args.I4(args.ValueIndex());
        switch (style) {
          case kLineContinuous: case kLineDash: case kLineDashDot: case kLineDashDotDot:
          case kLineDot: case kLineDouble: case kLineSlantDashDot: case kLineNone: break;
          default: throw Fault::Refused("Line style " + std::to_string(style) + " is not a border line style.");
        }
        Change([style](BorderLine& line) { line.lineStyle = static_cast<std::int16_t>(style); });
        return {};
      }
      case member::kWeight: {
        const std::int32_t weight = args.I4(args.ValueIndex());
        switch (weight) {
          case kWeightHairline: case kWeightThin: case kWeightMedium: case kWeightThick: break;
          default: throw Fault::Refused("Weight " + std::to_string(weight) + " is not a border weight.");
        }
        Change([weight](BorderLine& line) { line.weight = static_cast<std::int16_t>(weight); });
        return {};
      }
      case member::kColor: {
        const std::int32_t color = ColorValue(args, "Border");
        Change([color](BorderLine& line) { line.color = color; });
        return {};
      }
    }
    args.NoSuchMember();
  }

 private:
  template <typename F>
  void Change(F change) {
    const int index = index_;
    Restyle(t_, [index, &change](Style& s, const CellPlace& place) { ForEachSide(s, place, index, change); });
  }

  Target t_;
  int index_;
};

class BordersObject final : public SpreadsheetObject {
 public:
  explicit BordersObject(Target target) : t_(std::move(target)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    if (args.member() != member::kItem) args.NoSuchMember();
    args.ExpectGet(1, 1);
    const std::int32_t index = args.I4(0);
    if (index < kDiagonalDown || index > kInsideHorizontal) {
      throw Fault::Refused("Border " + std::to_string(index) + " does not exist (5 to 12).");
    }
    return Variant::Object(std::make_shared<BorderObject>(t_, index));
  }

 private:
  Target t_;
};

class RangeObject final : public SpreadsheetObject {
 public:
  explicit RangeObject(Target target) : t_(std::move(target)) {}

 protected:
  Variant Answer(const ArgList& args) override {
    switch (args.member()) {
      case member::kValue: {
        args.ExpectPut();
        const CellValue value = ValueOf(args);
        CheckSize(t_.area, false);
        SetValue(*t_.workbook, *t_.sheet, t_.area, value);
        return {};
      }
      case member::kFont:
        args.ExpectGet();
        return Variant::Object(std::make_shared<FontObject>(t_));
      case member::kBorders:
        args.ExpectGet();
        return Variant::Object(std::make_shared<BordersObject>(t_));
      case member::kHorizontalAlignment: {
        args.ExpectPut();
        const std::int32_t alignment = args.I4(args.ValueIndex());
        switch (alignment) {
          case kAlignGeneral: case kAlignLeft: case kAlignCenter: case kAlignRight: case kAlignFill:
          case kAlignJustify: case kAlignCenterAcrossSelection: case kAlignDistributed: break;
          default: throw Fault::Refused("Alignment " + std::to_string(alignment) + " is not a horizontal alignment.");
        }
        Restyle(t_, [alignment](Style& s, const CellPlace&) {
          s.horizontalAlignment = static_cast<std::int16_t>(alignment);
        });
        return {};
      }
      case member::kColumnWidth: {
        args.ExpectPut();
        const double width = args.R8(args.ValueIndex());
        if (!(width >= 0 && width <= 255)) {
          throw Fault::Refused("Column width " + std::to_string(static_cast<long long>(width)) +
                               " is out of range: widths run from 0 to 255 characters.");
        }
        SetColumnWidth(*t_.sheet, t_.area, width);
        return {};
      }
      case member::kSelect:
        args.ExpectMethod(0, 0);
        t_.sheet->activeRow = t_.area.firstRow;
        t_.sheet->activeColumn = t_.area.firstColumn;
        return {};
    }
    args.NoSuchMember();
  }

 private:
  static CellValue ValueOf(const ArgList& args) {
    const Variant& put = args.Value();
    CellValue value;
    switch (put.type()) {
      case VarType::kEmpty:
        return value;
      case VarType::kBstr:
        if (put.text().size() > kMaxCellText) {
          throw Fault::Refused("A cell holds at most 32,767 characters; the text has " +
                               Count(put.text().size()) + ".");
        }
        return ReadTypedText(put.text());
      case VarType::kBool:
        value.kind = CellKind::kBoolean;
        value.number = put.integer() != 0;
        return value;
      case VarType::kI2:
      case VarType::kI4:
      case VarType::kR8:
        value.kind = CellKind::kNumber;
        value.number = args.R8(args.ValueIndex());
        return value;
      case VarType::kDispatch:
      case VarType::kError:
        break;
    }
    throw Fault{kDispTypeMismatch, {}, static_cast<unsigned>(args.ValueIndex())};
  }

  Target t_;
};

}  // namespace

DispatchPtr MakeRange(Target target) { return std::make_shared<RangeObject>(std::move(target)); }

}  // namespace qx::automation::spreadsheet
