// Label stocks, their layouts in lines and print columns, the F7 window that
// corrects a stock's layout, and the placing of label lines on a page.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "merge_internal.h"
#include "oemtext.h"
#include "qxabase/form_helpers.h"
#include "qxabase/letters.h"
#include "qxabase/messages.h"
#include "qxabase/report.h"
#include "qxabase/settings.h"
#include "ravadodo.h"

namespace {

constexpr const char* kRecordKey = "0LabelLayouts";
constexpr int kMsgDoesNotFit = 2601;   // %1 what does not fit
constexpr int kMsgLayoutBad = 2603;    // %1 why
constexpr int kMsgStocksBad = 2607;    // %1 the file, %2 its line, %3 the reason
constexpr int kLayoutForm = 333;
constexpr double kPageWidthInches = 8.5;
constexpr int kMostAcross = 10;

int Round(double v) { return static_cast<int>(std::lround(v)); }

// Hundredths of an inch from an inch text ("2.625").
bool Hundredths(const std::string& text, std::int16_t* out) {
  char* end = nullptr;
  const double inches = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || inches < 0 || inches > 30) return false;
  *out = static_cast<std::int16_t>(Round(inches * 100));
  return true;
}

int PageColumns(const LabelStockEntry& e) { return static_cast<int>(std::floor(kPageWidthInches * e.pitch + 1e-9)); }

// Lays the stock out in the entry's font.
void LayOut(LabelStockEntry* e, const records::LabelLayout& l) {
  const int pitch = e->smallFonts ? kSmallFontPitch : kLargeFontPitch;
  e->pitch = static_cast<std::int16_t>(pitch);
  e->across = l.across;
  e->width = static_cast<std::int16_t>(std::floor(l.width * pitch / 100.0 + 1e-9));
  e->top = static_cast<std::int16_t>(Round(l.top * kLinesPerInch / 100.0));
  e->height = static_cast<std::int16_t>(Round(l.pitchDown * kLinesPerInch / 100.0));
  e->lines = static_cast<std::int16_t>(std::floor(l.height * kLinesPerInch / 100.0 + 0.05));
  e->left = l.left;
  e->pitchAcross = l.pitchAcross;
  const int height = e->height;
  e->rows = static_cast<std::int16_t>(l.rows > 0 ? static_cast<int>(l.rows)
                                      : height > 0 ? std::max(0, (kLabelPageLines - e->top) / height)
                                                   : 0);
}

int ColumnOf(const LabelStockEntry& e, int place) {
  return Round((e.left + (place - 1) * e.pitchAcross) * e.pitch / 100.0);
}

// What does not fit, or "" when the layout can be printed.
std::string LayoutProblem(const LabelStockEntry& e) {
  if (e.across < 1 || e.across > kMostAcross) return "a stock has 1 to 10 labels across";
  if (e.width < 1) return "a label must be at least one print column wide";
  if (e.lines < 1 || e.height < 1) return "a label must be at least one line high";
  if (e.lines > e.height) return "a label is higher than the distance from one row to the next";
  if (e.across > 1 && e.pitchAcross * e.pitch < e.width * 100) return "the labels across overlap";
  if (e.rows < 1) return "no row of labels fits on a page";
  const int right = ColumnOf(e, e.across) + e.width;
  if (right > PageColumns(e))
    return "the labels need " + std::to_string(right) + " print columns; a page holds " +
           std::to_string(PageColumns(e));
  const int bottom = e.top + e.rows * e.height;
  if (bottom > kLabelPageLines)
    return "the rows need " + std::to_string(bottom) + " lines; a page holds " + std::to_string(kLabelPageLines);
  return "";
}

bool ReadStocks(LabelLayoutBlock* block) {
  const bool read = qxmerge::ReadDataFile("merge", "label-stocks.txt", kMsgStocksBad, [&](int, const auto& tokens) {
    if (tokens[0].value != "stock" || tokens.size() < 2) return std::string("a line must begin: stock N");
    const int n = std::atoi(tokens[1].value.c_str());
    if (n != block->count || n >= kLabelStockCount) return std::string("stocks are numbered 0-6 in order");
    records::LabelLayout l{};
    for (std::size_t i = 2; i < tokens.size(); ++i) {
      const qxb::Token& t = tokens[i];
      std::int16_t v = 0;
      bool good = true;
      if (t.key == "name") {
        std::snprintf(block->names[n], sizeof block->names[n], "%s", oem::FromUtf8(t.value).c_str());
      } else if (t.key == "title") {
        std::snprintf(block->titles[n], sizeof block->titles[n], "%s", oem::FromUtf8(t.value).c_str());
      } else if (t.key == "across" || t.key == "rows") {
        char* endp = nullptr;
        const long count = std::strtol(t.value.c_str(), &endp, 10);
        good = endp != t.value.c_str() && *endp == '\0' && count >= 0 && count <= 99;
        if (t.key == "across") l.across = static_cast<std::int16_t>(count);
        else l.rows = static_cast<std::int16_t>(count);
      } else if ((good = Hundredths(t.value, &v))) {
        if (t.key == "width") l.width = v;
        else if (t.key == "height") l.height = v;
        else if (t.key == "pitch-across") l.pitchAcross = v;
        else if (t.key == "pitch-down") l.pitchDown = v;
        else if (t.key == "top") l.top = v;
        else if (t.key == "left") l.left = v;
        else good = false;
      }
      if (!good) return "the value of " + (t.key.empty() ? t.value : t.key) + " is not valid";
    }
    if (l.across < 1 || !block->names[n][0]) return std::string("a stock needs its name and labels across");
    block->published[n] = l;
    ++block->count;
    return std::string();
  });
  if (!read) return false;
  if (block->count != kLabelStockCount) {
    MsgShowArgs(kMsgStocksBad, 0, 0, 1, qxb::DataFile("merge", "label-stocks.txt").c_str(), 0,
                "the file must describe the seven stocks", 0);
    return false;
  }
  std::string choices = "\x01";
  for (int i = 0; i < block->count; ++i) {
    if (i) choices += ',';
    choices += block->names[i];
  }
  std::snprintf(block->choices, sizeof block->choices, "%s", choices.c_str());
  return true;
}

bool SameLayout(const records::LabelLayout& a, const records::LabelLayout& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

int LettersLayoutStep(BtrvHandle settings, LabelLayoutBlock* block) {
  if (block == nullptr) return 1;
  *block = LabelLayoutBlock{};
  if (!ReadStocks(block)) return 1;
  for (int i = 0; i < kLabelStockCount; ++i) block->layouts[i] = block->published[i];
  records::LabelLayoutsRecord record{};
  const int status = SettingsRecordRead(kSettingsRead, settings, sizeof record, kRecordKey, &record);
  if (status == kStatusKeyNotFound) return 0;
  if (status != kStatusOk) return status;
  for (int i = 0; i < kLabelStockCount; ++i)
    if (record.stocks[i].across > 0) block->layouts[i] = record.stocks[i];
  return 0;
}

int CustVendOptionsStep(LabelStockEntry* entry, int stockNumber, const LabelLayoutBlock* block) {
  if (entry == nullptr || block == nullptr || stockNumber < 0 || stockNumber >= block->count) return 1;
  entry->stock = static_cast<std::int16_t>(stockNumber);
  LayOut(entry, block->layouts[stockNumber]);
  return 0;
}

int LettersLayoutTest(const LabelStockEntry* entry) { return entry && LayoutProblem(*entry).empty() ? 1 : 0; }

int CustVendOptionsStep2(BtrvHandle, int fontChoice, LabelStockEntry* entry, const LabelLayoutBlock* block) {
  if (entry == nullptr || block == nullptr) return 1;
  entry->smallFonts = fontChoice == 2 ? 1 : 0;
  if (CustVendOptionsStep(entry, entry->stock, block) != 0) return 1;
  const std::string problem = LayoutProblem(*entry);
  if (problem.empty()) return 0;
  const std::string what = std::string(block->names[static_cast<int>(entry->stock)]) + ": " + problem + ".";
  MsgShowArgs(kMsgDoesNotFit, 0, 0, 1, what.c_str(), 0);
  return 1;
}

// --- The F7 window ------------------------------------------------------------------------

namespace {

enum LayoutField {
  kFieldStock = 1, kFieldAcross, kFieldRows, kFieldWidth, kFieldHeight, kFieldPitchAcross, kFieldPitchDown,
  kFieldTop, kFieldLeft,
};

struct LayoutWindow {
  LabelStockEntry* entry = nullptr;
  LabelLayoutBlock* block = nullptr;
  BtrvHandle handle = 0;
  records::LabelLayout edited{};
  int stored = -1;
};

LayoutWindow* WindowOf(Form* form) { return static_cast<LayoutWindow*>(form->context); }

void PutInches(Form* form, int field, std::int16_t hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", hundredths / 100.0);
  FieldSetText(form, field, text);
}

void ToScreen(Form* form, const records::LabelLayout& l) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(l.across));
  FieldSetText(form, kFieldAcross, text);
  std::snprintf(text, sizeof text, "%d", static_cast<int>(l.rows));
  FieldSetText(form, kFieldRows, text);
  PutInches(form, kFieldWidth, l.width);
  PutInches(form, kFieldHeight, l.height);
  PutInches(form, kFieldPitchAcross, l.pitchAcross);
  PutInches(form, kFieldPitchDown, l.pitchDown);
  PutInches(form, kFieldTop, l.top);
  PutInches(form, kFieldLeft, l.left);
}

int LayoutStart(Form* form, int) {
  LayoutWindow* w = WindowOf(form);
  const int stock = w->entry->stock;
  FieldSetText(form, kFieldStock, w->block->names[stock]);
  FieldSetProtect(form, kFieldStock, 1);
  ToScreen(form, w->block->layouts[stock]);
  return 0;
}

int LayoutPublished(Form* form, KeyCode) {
  LayoutWindow* w = WindowOf(form);
  ToScreen(form, w->block->published[static_cast<int>(w->entry->stock)]);
  return 0x80;
}

bool ReadNumber(Form* form, int field, double* value) {
  const std::string text = FieldText(form, field);
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && (*end == '\0' || *end == ' ') && *value >= 0 && *value <= 99;
}

void StoreChange(void* image, void* context) {
  auto* r = static_cast<records::LabelLayoutsRecord*>(image);
  const auto* w = static_cast<const LayoutWindow*>(context);
  const int stock = w->entry->stock;
  // The published layout is kept as "no correction".
  if (SameLayout(w->edited, w->block->published[stock])) r->stocks[stock] = records::LabelLayout{};
  else r->stocks[stock] = w->edited;
}

int LayoutAccept(Form* form, KeyCode) {
  LayoutWindow* w = WindowOf(form);
  records::LabelLayout l{};
  double v[kFieldLeft + 1] = {};
  for (int f = kFieldAcross; f <= kFieldLeft; ++f) {
    if (!ReadNumber(form, f, &v[f])) {
      MsgShowArgs(kMsgLayoutBad, 0, 0, 1, "type a number of 0 or more.", 0);
      FieldSetFocus(form, f);
      return 0x20;
    }
  }
  l.across = static_cast<std::int16_t>(Round(v[kFieldAcross]));
  l.rows = static_cast<std::int16_t>(Round(v[kFieldRows]));
  l.width = static_cast<std::int16_t>(Round(v[kFieldWidth] * 100));
  l.height = static_cast<std::int16_t>(Round(v[kFieldHeight] * 100));
  l.pitchAcross = static_cast<std::int16_t>(Round(v[kFieldPitchAcross] * 100));
  l.pitchDown = static_cast<std::int16_t>(Round(v[kFieldPitchDown] * 100));
  l.top = static_cast<std::int16_t>(Round(v[kFieldTop] * 100));
  l.left = static_cast<std::int16_t>(Round(v[kFieldLeft] * 100));
  LabelStockEntry trial = *w->entry;
  LayOut(&trial, l);
  const std::string problem = LayoutProblem(trial);
  if (!problem.empty()) {
    MsgShowArgs(kMsgLayoutBad, 0, 0, 1, (problem + ".").c_str(), 0);
    FieldSetFocus(form, kFieldAcross);
    return 0x20;
  }
  w->edited = l;
  w->stored = SettingsRecordRewrite(w->handle, kRecordKey, sizeof(records::LabelLayoutsRecord), StoreChange, w);
  if (w->stored != kStatusOk) return 0x20;
  w->block->layouts[static_cast<int>(w->entry->stock)] = l;
  LayOut(w->entry, l);
  return 1;
}

}  // namespace

int CustVendKeyStep1420(BtrvHandle settings, LabelStockEntry* entry, LabelLayoutBlock* block) {
  if (entry == nullptr || block == nullptr || entry->stock < 0 || entry->stock >= block->count) return 1;
  LayoutWindow w;
  w.entry = entry;
  w.block = block;
  w.handle = settings;
  qxmerge::SmallForm form;
  form.number = kLayoutForm;
  form.rows = 15;
  form.cols = 54;
  form.reportId = "RSLabelLayout";
  form.context = &w;
  form.start = LayoutStart;
  form.accept = LayoutAccept;
  form.extraKey = kKeyShiftF9;
  form.extra = LayoutPublished;
  form.extraLabel = "Published sizes";
  const int result = qxmerge::RunSmallForm(form);
  if (result == 27 && w.stored > 0) return w.stored;
  return result;
}

// --- Label pages ----------------------------------------------------------------------------

int LabelAdd(TagRepInfo* info, const char* title, LabelStockEntry* entry) {
  if (info == nullptr || entry == nullptr) return 0;
  info->reportPage = 0;
  info->autoPageBreak = 0;
  info->linesPerInch = kLinesPerInch;
  info->marginLeft = info->marginTop = info->marginRight = info->marginBottom = 0;
  info->pageLength = kLabelPageLines;
  info->condensed = entry->smallFonts ? 1 : 0;
  // The page's width in the font's pitch: the printer then prints at that pitch.
  info->lineWidth = PageColumns(*entry);
  info->font.number = entry->smallFonts ? kFontFormCondensed : kFontForm;
  if (title) std::snprintf(info->title, sizeof info->title, "%s", title);
  entry->position = 1;
  entry->row = 1;
  return 0;
}

int LetterLineStart(const LabelStockEntry* entry) {
  if (entry == nullptr) return 0;
  return std::max(0, ColumnOf(*entry, std::max(1, static_cast<int>(entry->position))));
}

int MergeRowWrite(TagRepInfo* info, const char* line, int place, int rowLine, const LabelStockEntry* entry) {
  if (info == nullptr || entry == nullptr) return 0;
  info->lineCount = std::max(0, entry->top - 1 + rowLine);
  if (line && !TextIsBlank(line)) ReportWriteText(info, line, std::max(0, place), 0);
  return 0;
}

int LetterBodyStep(TagRepInfo* info, const char* line, int labelLine, const LabelStockEntry* entry) {
  if (info == nullptr || entry == nullptr || labelLine < 1 || labelLine > entry->lines) return 0;
  std::string text = line ? line : "";
  if (static_cast<int>(text.size()) > entry->width) text.resize(static_cast<std::size_t>(std::max<int>(0, entry->width)));
  const int rowLine = (entry->row - 1) * entry->height + labelLine;
  return MergeRowWrite(info, text.c_str(), LetterLineStart(entry), rowLine, entry);
}

int LayoutRowWrap(TagRepInfo* info, LabelStockEntry* entry) {
  if (entry == nullptr) return 0;
  entry->position = 1;
  entry->row = entry->row + 1;
  if (entry->row > entry->rows) {
    ReportNewPage(info);
    entry->row = 1;
  }
  return 0;
}

int LabelRowFlush(TagRepInfo* info, const LabelStockEntry* entry) {
  if (info == nullptr || entry == nullptr) return 0;
  if (entry->position == 1) info->lineCount = std::max<int>(0, entry->top) + (entry->row - 1) * entry->height;
  return 0;
}
