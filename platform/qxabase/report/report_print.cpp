// Printing: the report's text handed to `lp` (no shell, through the one
// runner of helper programs), with the pitch,
// line spacing, margins and orientation that fit its pages on US letter
// paper.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "qxsys/run_program.h"
#include "qxsys/user_folders.h"
#include "report_model.h"

namespace qxreport {

namespace {

// Inches → points, for lp's page-left/right/top/bottom options.
std::string Points(int hundredths) { return std::to_string(static_cast<int>(std::lround(hundredths * 0.72))); }

}  // namespace

// The run's margins: the caller's, or half an inch on report pages and none
// on forms when all four are 0.
void Margins(const Settings& s, int* left, int* top, int* right, int* bottom) {
  if (s.marginLeft == 0 && s.marginTop == 0 && s.marginRight == 0 && s.marginBottom == 0) {
    const int m = s.reportPage ? 50 : 0;
    *left = *top = *right = *bottom = m;
    return;
  }
  *left = s.marginLeft;
  *top = s.marginTop;
  *right = s.marginRight;
  *bottom = s.marginBottom;
}

// The pitch that fits the report's width on the paper: the wider the
// report, the more characters an inch.
int CharactersPerInch(const Document& doc) {
  int left = 0, top = 0, right = 0, bottom = 0;
  Margins(doc.settings, &left, &top, &right, &bottom);
  const double paper = doc.settings.landscape ? 11.0 : 8.5;
  const double room = paper - (left + right) / 100.0;
  const int width = doc.Width();
  for (int cpi : {10, 12, 15, 17, 20}) {
    if (doc.settings.condensed && cpi < 17) continue;
    if (width <= room * cpi) return cpi;
  }
  return 20;
}

std::vector<std::string> PrintCommand(const Document& doc) {
  const Settings& s = doc.settings;
  int left = 0, top = 0, right = 0, bottom = 0;
  Margins(s, &left, &top, &right, &bottom);
  std::vector<std::string> argv = {"lp"};
  if (!s.printerName.empty()) {
    argv.push_back("-d");
    argv.push_back(s.printerName);
  }
  argv.push_back("-t");
  argv.push_back(ToUtf8(doc.title.empty() ? std::string("Report") : doc.title));
  argv.push_back("-n");
  argv.push_back(std::to_string(s.copies > 0 ? std::min(s.copies, 99) : 1));
  argv.push_back("-o");
  argv.push_back("cpi=" + std::to_string(CharactersPerInch(doc)));
  argv.push_back("-o");
  argv.push_back("lpi=" + std::to_string(s.linesPerInch > 0 ? s.linesPerInch : 6));
  argv.push_back("-o");
  argv.push_back("page-left=" + Points(left));
  argv.push_back("-o");
  argv.push_back("page-right=" + Points(right));
  argv.push_back("-o");
  argv.push_back("page-top=" + Points(top));
  argv.push_back("-o");
  argv.push_back("page-bottom=" + Points(bottom));
  if (s.landscape) {
    argv.push_back("-o");
    argv.push_back("landscape");
  }
  return argv;
}

namespace {

// A temporary file that no folder names, so that nothing is left behind
// however the run ends; -1 (errno set) when none can be made.
int UnnamedTemporaryFile() {
  const std::string folder = qxsys::TemporaryFolder();
  int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR)) return fd;
  std::string name = folder + "/qxa-print-XXXXXX";
  fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd >= 0) ::unlink(name.c_str());
  return fd;
}

}  // namespace

std::string PrintDocument(const Document& doc) {
  // lp reads the text from a file on its standard input: no pipe to keep
  // fed, and nothing of the text on a command line.
  const int in = UnnamedTemporaryFile();
  if (in < 0) return std::string("cannot make a temporary file: ") + std::strerror(errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{in};

  // The pages go to the file as they are rendered.
  bool any = false;
  int error = 0;
  auto write = [&](std::string_view text) {
    any = any || !text.empty();
    std::size_t done = 0;
    while (done < text.size() && error == 0) {
      const ssize_t n = ::write(in, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) error = n < 0 ? errno : ENOSPC;
      else done += static_cast<std::size_t>(n);
    }
  };
  std::string problem;
  try {
    RenderText(doc, "\f", doc.settings.firstPage, doc.settings.lastPage, write);
  } catch (const std::exception& e) {
    problem = e.what();
  }
  if (problem.empty() && error != 0) problem = std::string("cannot write a temporary file: ") + std::strerror(error);
  if (problem.empty() && !any) problem = "no page lies in the range to print";
  if (!problem.empty()) return problem;
  ::lseek(in, 0, SEEK_SET);

  qxsys::ProgramOptions options;
  options.whenMissing = "the printing program lp is not installed (Debian package cups-client)";
  return qxsys::RunProgram(PrintCommand(doc), qxsys::ProgramInput{{}, in}, options);
}

}  // namespace qxreport
