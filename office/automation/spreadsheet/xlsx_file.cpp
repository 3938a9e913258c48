#include "automation/spreadsheet/xlsx_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "automation/messages.h"

namespace qx::automation::spreadsheet {

namespace {

std::string SystemError(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

// Colours are kept as 0xBBGGRR; the file wants 0xRRGGBB, and libxlsxwriter
// reads 0 as "no colour", so black has its own value.
lxw_color_t FileColor(std::int32_t color) {
  const auto c = static_cast<std::uint32_t>(color);
  const std::uint32_t rgb = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
  return rgb == 0 ? static_cast<lxw_color_t>(LXW_COLOR_BLACK) : rgb;
}

std::uint8_t FileAlignment(int alignment) {
  switch (alignment) {
    case kAlignLeft: return LXW_ALIGN_LEFT;
    case kAlignCenter: return LXW_ALIGN_CENTER;
    case kAlignRight: return LXW_ALIGN_RIGHT;
    case kAlignFill: return LXW_ALIGN_FILL;
    case kAlignJustify: return LXW_ALIGN_JUSTIFY;
    case kAlignCenterAcrossSelection: return LXW_ALIGN_CENTER_ACROSS;
    case kAlignDistributed: return LXW_ALIGN_DISTRIBUTED;
  }
  return LXW_ALIGN_NONE;
}

std::uint8_t FileUnderline(int underline) {
  switch (underline) {
    case kUnderlineSingle: return LXW_UNDERLINE_SINGLE;
    case kUnderlineDouble: return LXW_UNDERLINE_DOUBLE;
    case kUnderlineSingleAccounting: return LXW_UNDERLINE_SINGLE_ACCOUNTING;
    case kUnderlineDoubleAccounting: return LXW_UNDERLINE_DOUBLE_ACCOUNTING;
  }
  return LXW_UNDERLINE_NONE;
}

// The file's border style for a line style and weight (the table in
// qxoffice.h): the file has no thick or medium dots and no thick dashes, so
// those take the nearest style it has.
std::uint8_t FileBorder(const BorderLine& line) {
  const bool heavy = line.weight == kWeightMedium || line.weight == kWeightThick;
  switch (line.lineStyle) {
    case kLineContinuous:
      switch (line.weight) {
        case kWeightHairline: return LXW_BORDER_HAIR;
        case kWeightMedium: return LXW_BORDER_MEDIUM;
        case kWeightThick: return LXW_BORDER_THICK;
      }
      return LXW_BORDER_THIN;
    case kLineDash: return heavy ? LXW_BORDER_MEDIUM_DASHED : LXW_BORDER_DASHED;
    case kLineDashDot: return heavy ? LXW_BORDER_MEDIUM_DASH_DOT : LXW_BORDER_DASH_DOT;
    case kLineDashDotDot: return heavy ? LXW_BORDER_MEDIUM_DASH_DOT_DOT : LXW_BORDER_DASH_DOT_DOT;
    case kLineDot: return LXW_BORDER_DOTTED;
    case kLineDouble: return LXW_BORDER_DOUBLE;
    case kLineSlantDashDot: return LXW_BORDER_SLANT_DASH_DOT;
  }
  return LXW_BORDER_NONE;
}

// The file's formats, made once per style the sheets use.
class Formats {
 public:
  Formats(lxw_workbook* file, const StyleTable& styles) : file_(file), styles_(styles) {}

  lxw_format* operator()(std::uint32_t id) {
    if (id == 0) return nullptr;
    auto [it, inserted] = made_.try_emplace(id, nullptr);
    if (inserted) it->second = Make(styles_[id]);
    return it->second;
  }

 private:
  lxw_format* Make(const Style& style) {
    lxw_format* format = workbook_add_format(file_);
    format_set_font_name(format, style.fontName.c_str());
    format_set_font_size(format, style.fontSize);
    if (style.bold) format_set_bold(format);
    if (style.italic) format_set_italic(format);
    if (const std::uint8_t underline = FileUnderline(style.underline)) format_set_underline(format, underline);
    if (style.fontColor != kAutomaticColor) format_set_font_color(format, FileColor(style.fontColor));
    if (const std::uint8_t align = FileAlignment(style.horizontalAlignment)) format_set_align(format, align);
    if (!style.numberFormat.empty()) format_set_num_format(format, style.numberFormat.c_str());
    SetSide(format, style.left, &format_set_left, &format_set_left_color);
    SetSide(format, style.right, &format_set_right, &format_set_right_color);
    SetSide(format, style.top, &format_set_top, &format_set_top_color);
    SetSide(format, style.bottom, &format_set_bottom, &format_set_bottom_color);
    // The file has one diagonal line style for both directions; when both
    // are drawn, the down line's style and colour are kept.
    const std::uint8_t down = FileBorder(style.diagonalDown);
    const std::uint8_t up = FileBorder(style.diagonalUp);
    if (down || up) {
      format_set_diag_type(format, down && up ? LXW_DIAGONAL_BORDER_UP_DOWN
                                   : down     ? LXW_DIAGONAL_BORDER_DOWN
                                              : LXW_DIAGONAL_BORDER_UP);
      const BorderLine& line = down ? style.diagonalDown : style.diagonalUp;
      format_set_diag_border(format, down ? down : up);
      if (line.color != kAutomaticColor) format_set_diag_color(format, FileColor(line.color));
    }
    return format;
  }

  static void SetSide(lxw_format* format, const BorderLine& line, void (*setStyle)(lxw_format*, std::uint8_t),
                      void (*setColor)(lxw_format*, lxw_color_t)) {
    const std::uint8_t border = FileBorder(line);
    if (border == LXW_BORDER_NONE) return;
    setStyle(format, border);
    if (line.color != kAutomaticColor) setColor(format, FileColor(line.color));
  }

  lxw_workbook* file_;
  const StyleTable& styles_;
  std::unordered_map<std::uint32_t, lxw_format*> made_;
};

lxw_error WriteColumns(lxw_worksheet* sheetFile, const Sheet& sheet, Formats& formats) {
  // Neighbouring columns alike are written as one span (a sheet-wide font
  // gives 256 equal columns).
  auto it = sheet.columns.begin();
  while (it != sheet.columns.end()) {
    const int first = it->first;
    const Column& column = it->second;
    int last = first;
    auto next = std::next(it);
    while (next != sheet.columns.end() && next->first == last + 1 &&
           next->second.width == column.width && next->second.style == column.style) {
      last = next->first;
      ++next;
    }
    const double width = column.width < 0 ? LXW_DEF_COL_WIDTH : column.width;
    if (const lxw_error error = worksheet_set_column(sheetFile, static_cast<lxw_col_t>(first - 1),
                                                     static_cast<lxw_col_t>(last - 1), width,
                                                     formats(column.style))) {
      return error;
    }
    it = next;
  }
  return LXW_NO_ERROR;
}

lxw_error WriteCells(lxw_worksheet* sheetFile, const Sheet& sheet, Formats& formats) {
  const auto& rows = sheet.rows();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const auto row = static_cast<lxw_row_t>(r);
    for (std::size_t c = 0; c < rows[r].size(); ++c) {
      const Cell& cell = rows[r][c];
      const auto col = static_cast<lxw_col_t>(c);
      lxw_format* format = formats(cell.style);
      lxw_error error = LXW_NO_ERROR;
      switch (cell.kind) {
        case CellKind::kNone:
          if (format) error = worksheet_write_blank(sheetFile, row, col, format);
          break;
        case CellKind::kText:
          error = cell.text.empty() ? (format ? worksheet_write_blank(sheetFile, row, col, format) : LXW_NO_ERROR)
                                    : worksheet_write_string(sheetFile, row, col, cell.text.c_str(), format);
          break;
        case CellKind::kNumber:
          error = worksheet_write_number(sheetFile, row, col, cell.number, format);
          break;
        case CellKind::kBoolean:
          error = worksheet_write_boolean(sheetFile, row, col, cell.number != 0, format);
          break;
        case CellKind::kFormula:
          error = worksheet_write_formula(sheetFile, row, col, cell.text.c_str(), format);
          break;
      }
      if (error) return error;
    }
  }
  return LXW_NO_ERROR;
}

// What libxlsxwriter writes to standard error while it saves ("[ERROR][...]:
// text"), caught so that it reaches the caller with the failure it explains
// instead of a terminal the caller may not have.  The library prints through
// the stdio stream `stderr` alone, so the stream is swapped for a memory
// stream for the length of one save; calls come from one thread at a time.
class WriterMessages {
 public:
  WriterMessages() : saved_(stderr), stream_(::open_memstream(&text_, &size_)) {
    if (stream_) stderr = stream_;
  }
  ~WriterMessages() {
    Restore();
    std::free(text_);
  }
  WriterMessages(const WriterMessages&) = delete;
  WriterMessages& operator=(const WriterMessages&) = delete;

  // Puts standard error back and gives what was written, one message a line,
  // each without the library's "[ERROR][file:line]: " marks.
  std::vector<std::string> Take() {
    Restore();
    std::vector<std::string> lines;
    if (!text_) return lines;
    const std::string_view all(text_, size_);
    std::size_t start = 0;
    while (start < all.size()) {
      std::size_t end = all.find('\n', start);
      if (end == std::string_view::npos) end = all.size();
      std::string_view line = all.substr(start, end - start);
      while (line.starts_with('[')) {  // "[ERROR][worksheet.c:210]: " or "[ERROR] "
        const std::size_t mark = line.find(']');
        if (mark == std::string_view::npos) break;
        line.remove_prefix(mark + 1);
      }
      while (line.starts_with(':') || line.starts_with(' ')) line.remove_prefix(1);
      if (!line.empty()) lines.emplace_back(line);
      start = end + 1;
    }
    return lines;
  }

 private:
  void Restore() {
    if (!stream_) return;
    stderr = saved_;
    std::fclose(stream_);
    stream_ = nullptr;
  }

  FILE* saved_;
  char* text_ = nullptr;
  std::size_t size_ = 0;
  FILE* stream_;
};

// libxlsxwriter (1.1.4) never closes a worksheet's constant-memory temporary
// file: every save would leave one descriptor per sheet open on a deleted
// file until the process ends, and a program saving workbooks one after the
// other would run out of descriptors.  The files are noted before the close,
// and those still open after it (the same deleted file behind the same
// descriptor) are closed here; a library that closes them itself is left
// alone.
class SheetTemporaryFiles {
 public:
  void Note(const lxw_worksheet* sheet) {
    if (!sheet || !sheet->optimize_tmpfile) return;
    Entry entry{sheet->optimize_tmpfile, ::fileno(sheet->optimize_tmpfile), {}};
    if (entry.fd >= 0 && ::fstat(entry.fd, &entry.status) == 0) entries_.push_back(entry);
  }

  void CloseLeftOpen() {
    for (const Entry& entry : entries_) {
      struct stat now {};
      if (::fstat(entry.fd, &now) == 0 && now.st_dev == entry.status.st_dev && now.st_ino == entry.status.st_ino &&
          now.st_nlink == 0) {
        std::fclose(entry.file);
      }
    }
    entries_.clear();
  }

 private:
  struct Entry {
    FILE* file;
    int fd;
    struct stat status;
  };
  std::vector<Entry> entries_;
};

// The failure of a save in words: the system's reason when the failing call
// left one (errno), else the library's, with what the library said about it.
std::string WriteFailure(lxw_error error, int systemError, const std::vector<std::string>& said) {
  std::string text = "The workbook file could not be written: ";
  text += systemError != 0 ? std::strerror(systemError) : lxw_strerror(error);
  if (!said.empty()) {
    text += ".  The spreadsheet writer said:";
    for (const std::string& line : said) text += " " + line;
  }
  return text;
}

// Writes the workbook into the file `path` (which exists, empty).
std::string WriteFile(const Workbook& workbook, const std::string& path) {
  // Rows go out in order, so the library need not hold the sheets again.
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  WriterMessages messages;
  SheetTemporaryFiles temporaries;
  int systemError = 0;
  errno = 0;
  lxw_workbook* file = workbook_new_opt(path.c_str(), &options);
  if (!file) return WriteFailure(LXW_ERROR_MEMORY_MALLOC_FAILED, errno, messages.Take());
  Formats formats(file, workbook.styles);
  lxw_error error = LXW_NO_ERROR;
  for (std::size_t i = 0; i < workbook.sheets.size() && !error; ++i) {
    const Sheet& sheet = *workbook.sheets[i];
    errno = 0;
    lxw_worksheet* sheetFile = workbook_add_worksheet(file, sheet.name().c_str());
    if (!sheetFile) {
      // Most often the sheet's temporary file could not be made (too many
      // open files, a full disk): errno names it.
      systemError = errno;
      error = LXW_ERROR_MEMORY_MALLOC_FAILED;
      break;
    }
    temporaries.Note(sheetFile);
    if (i == workbook.activeSheet) worksheet_activate(sheetFile);
    if (sheet.frozenRows > 0 || sheet.frozenColumns > 0) {
      worksheet_freeze_panes(sheetFile, static_cast<lxw_row_t>(sheet.frozenRows),
                             static_cast<lxw_col_t>(sheet.frozenColumns));
    }
    error = WriteColumns(sheetFile, sheet, formats);
    if (!error) error = WriteCells(sheetFile, sheet, formats);
  }
  errno = 0;
  const lxw_error closeError = workbook_close(file);  // frees the workbook in every case
  if (!error && closeError) {
    error = closeError;
    systemError = errno;
  }
  temporaries.CloseLeftOpen();
  std::vector<std::string> said = messages.Take();
  if (error) return WriteFailure(error, systemError, said);
  // A save that worked may still have had something to say (a warning of
  // the writer's): the caller hears it.
  for (const std::string& line : said) ShowMessage("Spreadsheet - " + line, kMessageOk | kMessageIconExclamation);
  return {};
}

// Creates an empty file with a fresh name in `folder`, with the permissions
// a new file gets (or `mode` when given).
std::string CreateTemporaryFile(const std::string& folder, const struct stat* existing, std::string* name) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", random());
    *name = folder + "/.qxsave-" + suffix + ".tmp";
    const int fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return SystemError("Cannot create a file in the folder \"" + folder + "\"", errno);
    }
    if (existing) ::fchmod(fd, existing->st_mode & 07777);
    ::close(fd);
    return {};
  }
  return "Cannot create a temporary file in the folder \"" + folder + "\".";
}

// Makes the data of `path` durable before it replaces anything.
std::string SyncFile(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return SystemError("Cannot reopen \"" + path + "\"", errno);
  const int result = ::fsync(fd);
  const int error = errno;
  ::close(fd);
  // Folders on some file systems refuse fsync; the rename is still atomic.
  if (result != 0 && error != EINVAL && error != EROFS) return SystemError("Cannot flush \"" + path + "\"", error);
  return {};
}

}  // namespace

std::string SaveWorkbookFile(const Workbook& workbook, const std::string& path) {
  if (path.empty() || path.back() == '/') return "The file name is empty.";
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);

  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return "\"" + path + "\" is a folder.";

  std::string temporary;
  if (std::string error = CreateTemporaryFile(folder, exists ? &existing : nullptr, &temporary); !error.empty()) {
    return error;
  }
  std::string error = WriteFile(workbook, temporary);
  if (error.empty()) error = SyncFile(temporary, O_RDONLY);
  if (error.empty() && ::rename(temporary.c_str(), path.c_str()) != 0) {
    error = SystemError("Cannot replace \"" + path + "\"", errno);
  }
  if (!error.empty()) {
    ::unlink(temporary.c_str());
    return error;
  }
  SyncFile(folder, O_RDONLY | O_DIRECTORY);
  return {};
}

}  // namespace qx::automation::spreadsheet
