#include "cell_name.h"

namespace qx::office {

bool MakeCellName(int row, int column, std::string* name) {
  if (row < 1 || row > kMaxRequestRow || column < 1 || column > kMaxRequestColumn || !name) return false;
  std::string text;
  if (column > 26) text += static_cast<char>('A' + (column - 1) / 26 - 1);
  text += static_cast<char>('A' + (column - 1) % 26);
  text += std::to_string(row);
  *name = std::move(text);
  return true;
}

}  // namespace qx::office
