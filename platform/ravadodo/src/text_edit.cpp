// The text-editing window.
#include "ravadodo/text_edit.h"

#include <algorithm>

#include "internal.h"

namespace rv {
namespace {

constexpr KeyCode kKeyCtrlY = 25;

class TextEditRunner {
 public:
  explicit TextEditRunner(TextEdit* edit) : e_(edit), lines_(edit->lines) {
    if (lines_.empty()) lines_.emplace_back();
  }

  int Run();

 private:
  std::string& Line() { return lines_[static_cast<std::size_t>(row_)]; }
  int LineLength() const { return static_cast<int>(lines_[static_cast<std::size_t>(row_)].size()); }
  int LineCount() const { return static_cast<int>(lines_.size()); }
  void Clamp();
  void Scroll();
  void Draw();
  void Type(unsigned char ch);
  void Split();
  void Backspace();
  void Delete();
  void DeleteLine();

  TextEdit* e_;
  std::vector<std::string> lines_;
  Window box_{};
  WindowImpl* w_ = nullptr;
  int row_ = 0, col_ = 0;     // the cursor in the text
  int top_ = 0, first_ = 0;   // the first line and column shown
  int visibleRows_ = 1, visibleCols_ = 1;
  bool overwrite_ = false;
  bool changed_ = false;
};

void TextEditRunner::Clamp() {
  row_ = std::clamp(row_, 0, LineCount() - 1);
  col_ = std::clamp(col_, 0, LineLength());
}

void TextEditRunner::Scroll() {
  if (row_ < top_) top_ = row_;
  if (row_ >= top_ + visibleRows_) top_ = row_ - visibleRows_ + 1;
  if (col_ < first_) first_ = col_;
  if (col_ >= first_ + visibleCols_) first_ = col_ - visibleCols_ + 1;
}

void TextEditRunner::Draw() {
  Scroll();
  CellGrid& g = w_->grid;
  for (int i = 0; i < visibleRows_; ++i) {
    const int r = 1 + i;
    g.Fill(r, 1, visibleCols_, ' ', CellAttr::kField);
    const int line = top_ + i;
    if (line >= LineCount()) continue;
    const std::string& text = lines_[static_cast<std::size_t>(line)];
    if (first_ < static_cast<int>(text.size()))
      g.Put(r, 1, std::string_view(text).substr(static_cast<std::size_t>(first_)), CellAttr::kField, visibleCols_);
  }
  w_->status = "Line " + std::to_string(row_ + 1) + " Col " + std::to_string(col_ + 1) + (overwrite_ ? " Ovr" : "");
  DrawFrame(*w_);
  SetCursor(w_->top + 1 + row_ - top_, w_->left + 1 + col_ - first_);
}

void TextEditRunner::Type(unsigned char ch) {
  std::string& line = Line();
  if (overwrite_ && col_ < LineLength()) {
    line[static_cast<std::size_t>(col_)] = static_cast<char>(ch);
  } else {
    if (LineLength() >= e_->maxLineLength) return;
    line.insert(line.begin() + col_, static_cast<char>(ch));
  }
  ++col_;
  changed_ = true;
}

void TextEditRunner::Split() {
  if (LineCount() >= e_->maxLines) return;
  std::string rest = Line().substr(static_cast<std::size_t>(col_));
  Line().erase(static_cast<std::size_t>(col_));
  lines_.insert(lines_.begin() + row_ + 1, rest);
  ++row_;
  col_ = 0;
  changed_ = true;
}

void TextEditRunner::Backspace() {
  if (col_ > 0) {
    Line().erase(static_cast<std::size_t>(col_ - 1), 1);
    --col_;
    changed_ = true;
    return;
  }
  if (row_ == 0) return;
  const std::string& above = lines_[static_cast<std::size_t>(row_ - 1)];
  if (above.size() + Line().size() > static_cast<std::size_t>(e_->maxLineLength)) return;
  const int join = static_cast<int>(above.size());
  lines_[static_cast<std::size_t>(row_ - 1)] += Line();
  lines_.erase(lines_.begin() + row_);
  --row_;
  col_ = join;
  changed_ = true;
}

void TextEditRunner::Delete() {
  if (col_ < LineLength()) {
    Line().erase(static_cast<std::size_t>(col_), 1);
    changed_ = true;
    return;
  }
  if (row_ + 1 >= LineCount()) return;
  const std::string& below = lines_[static_cast<std::size_t>(row_ + 1)];
  if (below.size() + Line().size() > static_cast<std::size_t>(e_->maxLineLength)) return;
  Line() += below;
  lines_.erase(lines_.begin() + row_ + 1);
  changed_ = true;
}

void TextEditRunner::DeleteLine() {
  if (LineCount() == 1) {
    if (!Line().empty()) changed_ = true;
    Line().clear();
  } else {
    lines_.erase(lines_.begin() + row_);
    changed_ = true;
  }
  Clamp();
}

int TextEditRunner::Run() {
  Ui& ui = State();
  const int rows = std::clamp(e_->rows, 4, ui.screen.rows);
  const int cols = std::clamp(e_->cols, 20, ui.screen.cols);
  w_ = OpenPopup(&box_, e_->top, e_->left, rows, cols, e_->title ? e_->title : "");
  visibleRows_ = std::max(1, w_->grid.rows - 2);
  visibleCols_ = std::max(1, w_->grid.cols - 2);
  w_->legend = "F10 Save  Esc Cancel  Ctrl+Y Delete line  Ins Overwrite";
  w_->legendInFrame = static_cast<int>(w_->legend.size()) + 4 <= w_->grid.cols;
  Draw();
  if (Transcribing()) TranscriptScreen(e_->title ? e_->title : "text");
  int result = -1;
  while (result < 0) {
    Draw();
    const KeyCode key = KeyRead();
    switch (key) {
      case kKeyF10: result = 0; break;
      case kKeyEsc: case kKeyClose: result = 27; break;
      case kKeyUp: --row_; break;
      case kKeyDown: ++row_; break;
      case kKeyLeft:
        if (col_ > 0) {
          --col_;
        } else if (row_ > 0) {
          --row_;
          col_ = LineLength();
        }
        break;
      case kKeyRight:
        if (col_ < LineLength()) {
          ++col_;
        } else if (row_ + 1 < LineCount()) {
          ++row_;
          col_ = 0;
        }
        break;
      case kKeyHome: col_ = 0; break;
      case kKeyEnd: col_ = LineLength(); break;
      case kKeyPgUp: row_ -= visibleRows_; break;
      case kKeyPgDn: row_ += visibleRows_; break;
      case kKeyCtrlHome: row_ = 0; col_ = 0; break;
      case kKeyCtrlEnd: row_ = LineCount() - 1; col_ = 0; break;
      case kKeyIns: overwrite_ = !overwrite_; break;
      case kKeyEnter: Split(); break;
      case kKeyBackspace: Backspace(); break;
      case kKeyDel: Delete(); break;
      case kKeyCtrlY: DeleteLine(); break;
      case kKeyTab:
        for (int i = 0; i < 2; ++i) Type(' ');
        break;
      default:
        if (key >= 32 && key < 256) Type(static_cast<unsigned char>(key));
        break;
    }
    Clamp();
  }
  Draw();
  if (Transcribing()) {
    TranscriptScreen(e_->title ? e_->title : "text");
    TranscriptLine(std::string("text window: ") + (result == 0 ? "saved" : "cancelled"));
  }
  ClosePopup(&box_);
  SetCursor(-1, -1);
  if (result == 0) {
    e_->changed = changed_;
    e_->lines = std::move(lines_);
  } else {
    e_->changed = false;
  }
  return result;
}

}  // namespace
}  // namespace rv

int TextEditRun(TextEdit* edit) {
  if (edit == nullptr) return 27;
  try {
    rv::TextEditRunner runner(edit);
    return runner.Run();
  } catch (...) {
    return 27;
  }
}
