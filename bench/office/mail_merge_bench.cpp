// A merge to the printer as operation 4 makes it: 30 records merged into a
// letter holding a paragraph of N blanks, or one word of N letters (10,000,
// 30,000 and 100,000), and the merged letters laid out as the printer's
// PDF.  The time grows with the letters' length, not with its square:
// "per_char" (the time per character of the run, per letter) stays level.
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

constexpr int kLetters = 30;

void MergeAndPrint(benchmark::State& state, char c) {
  const auto blanks = static_cast<std::size_t>(state.range(0));
  const auto letter = LetterWithRun(blanks, c);
  wp::DataSource data;
  data.fields = {"Name"};
  for (int i = 0; i < kLetters; ++i) data.records.push_back({"Customer " + std::to_string(i + 1)});
  for (auto _ : state) {
    std::string error;
    const auto merged = letter->Merge(data, 0, kLetters - 1, false, &error);
    const std::string pdf = wp::RenderPdf(merged->Flow(), "Letter");
    benchmark::DoNotOptimize(pdf.data());
  }
  // Seconds per character of the run and letter: level across N when the
  // work is linear.
  state.counters["per_char"] = benchmark::Counter(static_cast<double>(blanks) * kLetters,
                                                  benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}

void BM_MergeAndPrintBlanks(benchmark::State& state) { MergeAndPrint(state, ' '); }
void BM_MergeAndPrintLongWord(benchmark::State& state) { MergeAndPrint(state, 'x'); }

}  // namespace

BENCHMARK(BM_MergeAndPrintBlanks)->Arg(10000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeAndPrintLongWord)->Arg(10000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
