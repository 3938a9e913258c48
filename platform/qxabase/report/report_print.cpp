// Printing: the report's text handed to `lp` (no shell), with the pitch,
// line spacing, margins and orientation that fit its pages on US letter
// paper.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "report_model.h"

extern char** environ;

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

namespace {

std::string TempPath() {
  const char* dir = std::getenv("TMPDIR");
  std::string base = dir && *dir ? dir : "/tmp";
  return base + "/qxa-print-XXXXXX";
}

// The first line of what a failed program wrote to its error output.
std::string FirstLine(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return "";
  char buf[512] = {};
  if (!std::fgets(buf, sizeof buf, f)) buf[0] = 0;
  std::fclose(f);
  std::string s = buf;
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.pop_back();
  return s;
}

}  // namespace

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

std::string PrintDocument(const Document& doc) {
  // lp reads the text from a file on its standard input: no pipe to keep
  // fed, and nothing of the text on a command line.
  std::string input = TempPath(), errors = TempPath();
  const int in = ::mkostemp(input.data(), O_CLOEXEC);
  if (in < 0) return std::string("cannot make a temporary file: ") + std::strerror(errno);
  const int err = ::mkostemp(errors.data(), O_CLOEXEC);
  if (err < 0) {
    ::close(in);
    ::unlink(input.c_str());
    return std::string("cannot make a temporary file: ") + std::strerror(errno);
  }
  struct Cleanup {
    std::string a, b;
    ~Cleanup() {
      ::unlink(a.c_str());
      ::unlink(b.c_str());
    }
  } cleanup{input, errors};

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
  if (!problem.empty()) {
    ::close(in);
    ::close(err);
    return problem;
  }
  ::lseek(in, 0, SEEK_SET);

  const std::vector<std::string> args = PrintCommand(doc);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in, 0);
  posix_spawn_file_actions_adddup2(&actions, err, 1);
  posix_spawn_file_actions_adddup2(&actions, err, 2);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, "lp", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in);
  ::close(err);
  if (rc != 0) {
    if (rc == ENOENT) return "the printing program lp is not installed (Debian package cups-client)";
    return std::string("lp could not be started: ") + std::strerror(rc);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return std::string("lp could not be waited for: ") + std::strerror(errno);
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  std::string why = FirstLine(errors);
  if (why.empty()) {
    why = WIFEXITED(status) ? "lp ended with status " + std::to_string(WEXITSTATUS(status))
                            : "lp was stopped by a signal";
  }
  return why;
}

}  // namespace qxreport
