// A 100,000-row, 10-column export through the request records (one WriteCell
// call per cell, as typed text), against libxlsxwriter writing the same cells
// directly from values already typed, in the same streaming mode.  Prints the
// ratio of the two times at the end.
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "qxoffice.h"

namespace {

namespace fs = std::filesystem;

constexpr int kColumns = 10;

// The cells of a sales journal export, as a caller types them: invoice,
// customer, date, amount, quantity, price, discount, terms, credit, code.
struct Row {
  std::string text[kColumns];
};

std::string Cell(int row, int column) {
  char buffer[64];
  switch (column) {
    case 0: std::snprintf(buffer, sizeof buffer, "INV-%06d", row); break;
    case 1: std::snprintf(buffer, sizeof buffer, "Customer %d", row % 977); break;
    case 2: std::snprintf(buffer, sizeof buffer, "%d/%d/2024", row % 12 + 1, row % 28 + 1); break;
    case 3: std::snprintf(buffer, sizeof buffer, "%d,%03d.%02d", row % 90 + 1, row % 1000, row % 100); break;
    case 4: std::snprintf(buffer, sizeof buffer, "%d", row % 250); break;
    case 5: std::snprintf(buffer, sizeof buffer, "$%d.%02d", row % 500, row % 100); break;
    case 6: std::snprintf(buffer, sizeof buffer, "%d.5%%", row % 20); break;
    case 7: std::snprintf(buffer, sizeof buffer, "Net %d", 10 * (row % 6)); break;
    case 8: std::snprintf(buffer, sizeof buffer, "(%d.00)", row % 300); break;
    default: std::snprintf(buffer, sizeof buffer, "'%05d", row % 99999); break;
  }
  return buffer;
}

fs::path OutputFile(const char* name) {
  const fs::path folder = fs::temp_directory_path() / ("qxoffice-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  return folder / name;
}

void BM_ExportThroughRequests(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const fs::path path = OutputFile("requests.xlsx");
  SpreadsheetRequest request;
  for (auto _ : state) {
    std::memset(&request, 0, sizeof request);
    std::snprintf(request.workbookPath, sizeof request.workbookPath, "%s", path.c_str());
    std::strcpy(request.sheetFont.faceName, "Arial");
    request.sheetFont.size = 100;
    request.operation = 2;
    if (QxExcelAutomation(&request) != 0) state.SkipWithError("the workbook could not be opened");
    request.operation = 8;
    for (int row = 1; row <= rows; ++row) {
      request.row = row;
      for (int column = 1; column <= kColumns; ++column) {
        request.column = column;
        const std::string text = Cell(row, column - 1);
        std::memcpy(request.cellText, text.c_str(), text.size() + 1);
        if (QxExcelAutomation(&request) != 1) state.SkipWithError("a cell could not be written");
      }
    }
    request.operation = 3;
    if (QxExcelAutomation(&request) != 1) state.SkipWithError("the workbook could not be saved");
  }
  state.SetItemsProcessed(state.iterations() * rows * kColumns);
  fs::remove_all(path.parent_path());
}

// The same cells as values: what the typed texts above become.
void BM_LibxlsxwriterDirect(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const fs::path path = OutputFile("direct.xlsx");
  for (auto _ : state) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* workbook = workbook_new_opt(path.c_str(), &options);
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Sheet1");
    const auto format = [workbook](const char* numberFormat) {
      lxw_format* f = workbook_add_format(workbook);
      format_set_font_name(f, "Arial");
      format_set_font_size(f, 10);
      if (numberFormat) format_set_num_format(f, numberFormat);
      return f;
    };
    lxw_format* text = format(nullptr);
    lxw_format* date = format("m/d/yyyy");
    lxw_format* amount = format("#,##0.00");
    lxw_format* price = format("$0.00");
    lxw_format* percent = format("0.0%");
    lxw_format* credit = format("0.00_);(0.00)");
    worksheet_set_column(sheet, 0, 255, LXW_DEF_COL_WIDTH, text);
    char buffer[64];
    for (int row = 1; row <= rows; ++row) {
      const auto r = static_cast<lxw_row_t>(row - 1);
      std::snprintf(buffer, sizeof buffer, "INV-%06d", row);
      worksheet_write_string(sheet, r, 0, buffer, text);
      std::snprintf(buffer, sizeof buffer, "Customer %d", row % 977);
      worksheet_write_string(sheet, r, 1, buffer, text);
      lxw_datetime when = {2024, row % 12 + 1, row % 28 + 1, 0, 0, 0};
      worksheet_write_datetime(sheet, r, 2, &when, date);
      worksheet_write_number(sheet, r, 3, (row % 90 + 1) * 1000 + row % 1000 + (row % 100) / 100.0, amount);
      worksheet_write_number(sheet, r, 4, row % 250, text);
      worksheet_write_number(sheet, r, 5, row % 500 + (row % 100) / 100.0, price);
      worksheet_write_number(sheet, r, 6, (row % 20 + 0.5) / 100, percent);
      std::snprintf(buffer, sizeof buffer, "Net %d", 10 * (row % 6));
      worksheet_write_string(sheet, r, 7, buffer, text);
      worksheet_write_number(sheet, r, 8, -(row % 300), credit);
      std::snprintf(buffer, sizeof buffer, "%05d", row % 99999);
      worksheet_write_string(sheet, r, 9, buffer, text);
    }
    if (workbook_close(workbook) != LXW_NO_ERROR) state.SkipWithError("the workbook could not be saved");
  }
  state.SetItemsProcessed(state.iterations() * rows * kColumns);
  fs::remove_all(path.parent_path());
}

BENCHMARK(BM_ExportThroughRequests)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibxlsxwriterDirect)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the usual table, then each request-record time over the direct time
// for the same number of rows (medians with --benchmark_repetitions).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    // With repetitions, the median stands for the benchmark.
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (median || run.run_type == Run::RT_Iteration) {
        double& time = times_[run.run_name.function_name][run.run_name.args];
        if (median || !medians_) time = run.GetAdjustedRealTime();
        medians_ = medians_ || median;
      }
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    const auto& requests = times_["BM_ExportThroughRequests"];
    const auto& direct = times_["BM_LibxlsxwriterDirect"];
    for (const auto& [args, time] : requests) {
      if (const auto it = direct.find(args); it != direct.end() && it->second > 0) {
        std::printf("request records / libxlsxwriter direct (%s rows x %d columns): %.2f\n", args.c_str(), kColumns,
                    time / it->second);
      }
    }
  }

 private:
  std::map<std::string, std::map<std::string, double>> times_;
  bool medians_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
