// The merge of one record and its print as PDF, for a letter holding a
// paragraph of N blanks, or one word of N letters (5,000 to 100,000): the
// time per record grows with the document's size, not with its square.
// Prints the time per character for each N ("per_char"), which stays level
// when the merge is linear.
#include <benchmark/benchmark.h>

#include <string>

#include "automation/wordprocessor/data_source.h"
#include "automation/wordprocessor/pdf_file.h"
#include "automation/wordprocessor/word_document.h"

namespace {

namespace wp = qx::automation::wordprocessor;

// A letter with a paragraph of `n` copies of `c`: blanks, or one word too
// long for any line.
std::unique_ptr<wp::WordDocument> LetterWithRun(std::size_t n, char c) {
  auto letter = wp::WordDocument::Blank();
  letter->TypeText("Dear customer,", false, false);
  letter->TypeParagraph();
  letter->TypeText(std::string(n, c) + " end of the run", false, false);
  return letter;
}

void MergeAndPrint(benchmark::State& state, char c) {
  const auto blanks = static_cast<std::size_t>(state.range(0));
  const auto letter = LetterWithRun(blanks, c);
  wp::DataSource data;
  data.fields = {"Name"};
  data.records = {{"Alder Hardware"}};
  for (auto _ : state) {
    std::string error;
    const auto merged = letter->Merge(data, 0, 0, false, &error);
    const std::string pdf = wp::RenderPdf(merged->Flow(), "Letter");
    benchmark::DoNotOptimize(pdf.data());
  }
  // Seconds per character of the run: level across N when the work is linear.
  state.counters["per_char"] = benchmark::Counter(static_cast<double>(blanks),
                                                  benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}

void BM_MergeAndPrintBlanks(benchmark::State& state) { MergeAndPrint(state, ' '); }
void BM_MergeAndPrintLongWord(benchmark::State& state) { MergeAndPrint(state, 'x'); }

}  // namespace

BENCHMARK(BM_MergeAndPrintBlanks)->Arg(5000)->Arg(20000)->Arg(40000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeAndPrintLongWord)->Arg(5000)->Arg(20000)->Arg(40000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
