// The sample report in the preview on a real terminal, for the tmux test.
//
//   qxabase_report_demo RESULT-FILE [slow | html]
//
// Writes the customer balance listing and shows its preview.  A link
// followed from the preview is written to RESULT-FILE as "<command>
// <parameters>".  With "slow" each customer takes a moment, so that Esc can
// stop the report while it runs.  With "html" the report is written as HTML
// to RESULT-FILE instead (for looking at it in a browser).
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "qxabase/commands.h"
#include "qxabase/app_block.h"
#include "qxabase/report.h"
#include "ravadodo.h"
#include "sample_report.h"

namespace {

const char* gResult = nullptr;

int Record(const char* params) {
  if (std::FILE* f = std::fopen(gResult, "a")) {
    std::fprintf(f, "%d %s\n", SharedAppBlockGet()->currentCommand, params ? params : "");
    std::fclose(f);
  }
  return 0;
}

void Slowly(int) { std::this_thread::sleep_for(std::chrono::milliseconds(400)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s RESULT-FILE [slow | html]\n", argv[0]);
    return 2;
  }
  gResult = argv[1];
  const bool slow = argc > 2 && std::strcmp(argv[2], "slow") == 0;
  const bool html = argc > 2 && std::strcmp(argv[2], "html") == 0;
  ScreenInit();
  for (int slot = 0; slot < kCommandGroupCount; ++slot) CommandHandlerAdd(Record, slot);
  SharedAppBlockGet()->currentCommand = 337;

  TagRepInfo info{};
  sample::OpenCustomerBalances(&info, html ? kDestHtmlFile : kDestPreview, html ? gResult : nullptr,
                               slow ? Slowly : nullptr);
  ReportClose(&info);
  ScreenShutdown();
  std::printf("report closed\n");
  return 0;
}
