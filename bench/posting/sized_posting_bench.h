// A posting benchmark at several sizes: for each size, the command as the
// user runs it, the same command in this program, and raw SQLite doing the
// same work, each figure beside the others.
//
// The benchmark first installs this build (`cmake --install` into its own
// folder).  For each size n (a list from the environment) the benchmark's
// company (`company(n)`) is written in a child process:
//   - "cmd": as a user's company is, its fixture (fixture::WriteFixture)
//     loaded by the installed qxload (up to kLoaderLimit records; beyond, by
//     the loader's own writer, fixture::WriteCompany, which qxload calls
//     after reading the fixture, so that the loader's memory does not weigh
//     on a shared machine); then the installed qxa15 runs the command, `qxa15
//     <company> /only /cmd:N`, on a key script (QX_KEYS) with its transcript
//     (QX_TRANSCRIPT), timed from its start to its exit (start-up and the
//     final checkpoint included) with its peak resident memory;
//   - "qxa": the same company written by fixture::WriteCompany, and the same
//     command run in a child of this program through its screen on the
//     script device (the in-process figure, without start-up);
//   - each raw side: its own database loaded from the same company, and its
//     work timed in a child process (peak memory of that child).
// Each run is a benchmark of one iteration in manual time
// ("<name>/<run>/<n>"); the table at the end gives per size the time per unit
// and the peak memory of each run, and the command's ratio to each raw side.
// A run that fails (its transcript lacks the summary, or a raw side's check
// fails) is reported as an error, never as a time.
//
// Header only, for the programs of bench/posting and bench/periodic.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "btrvc.h"
#include "fixture/company.h"

extern char** environ;

namespace benchsupport {

// Records above this many are written by the loader's writer instead of
// qxload (whose parsed fixture takes some 4 KiB a record).
constexpr std::size_t kLoaderLimit = 1500000;

// The sizes of a run: `variable` ("10000,100000"), else `fallback`.
inline std::vector<int> SizesFromEnv(const char* variable, const char* fallback) {
  const char* env = std::getenv(variable);
  std::vector<int> sizes;
  std::istringstream in(env ? env : fallback);
  for (std::string item; std::getline(in, item, ',');)
    if (const int n = std::atoi(item.c_str()); n > 0) sizes.push_back(n);
  return sizes;
}

struct ChildResult {
  bool ok = false;
  double seconds = 0;   // as the run measured its work
  double peakMiB = 0;   // the process's peak resident memory
  std::string note;     // why it failed
};

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `work` (its seconds, negative on a failure) in a child process that
// shares no record-manager connection with this one.
inline ChildResult InChild(const std::function<double()>& work) {
  BtrvReset();
  std::fflush(nullptr);
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const double seconds = work();
    const ssize_t written = write(fds[1], &seconds, sizeof seconds);
    _exit(written == sizeof seconds && seconds >= 0 ? 0 : 1);
  }
  close(fds[1]);
  ChildResult r;
  double seconds = -1;
  const bool got = read(fds[0], &seconds, sizeof seconds) == sizeof seconds;
  close(fds[0]);
  int status = 0;
  struct rusage usage{};
  wait4(pid, &status, 0, &usage);
  r.ok = got && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  r.seconds = seconds;
  r.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB on Linux
  if (!r.ok) r.note = "the run failed";
  return r;
}

// Runs a program with `args` and `env` (added to this process's), its
// standard output and error into `output`.  Times it from its start to its
// exit.  ok: it exited 0.
inline ChildResult RunProgram(const std::vector<std::string>& args, const std::vector<std::string>& env,
                              const std::string& output) {
  std::vector<std::string> environment(env);
  for (char** e = environ; *e != nullptr; ++e) environment.emplace_back(*e);
  std::vector<char*> argv, envp;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const std::string& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  std::fflush(nullptr);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      dup2(fd, 1);
      dup2(fd, 2);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage{};
  wait4(pid, &status, 0, &usage);
  ChildResult r;
  r.seconds = SecondsSince(start);
  r.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!r.ok) r.note = args[0] + " exited with " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return r;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A program found on PATH, or "".
inline std::string OnPath(const char* name) {
  const char* path = std::getenv("PATH");
  std::istringstream in(path ? path : "");
  for (std::string dir; std::getline(in, dir, ':');) {
    const std::string file = dir + "/" + name;
    if (access(file.c_str(), X_OK) == 0) return file;
  }
  return "";
}

// A raw-SQLite side: its database made from the company, then its work.
struct RawSide {
  std::string name;  // "nav", "floor"
  std::function<void(const std::string& path, const fixture::CompanyImage& company)> load;
  // The work's seconds, negative when it did not do all of it.
  std::function<double(const std::string& path, int n)> run;
};

// Another program doing comparable work on a file made from the company
// (a plain-text accounting tool's balance report).
struct OtherTool {
  std::string name;
  std::string program;  // found on PATH; "" leaves it out
  std::function<void(const std::string& path, const fixture::CompanyImage& company)> write;
  std::function<std::vector<std::string>(const std::string& path)> args;
};

struct PostingBench {
  std::string label; // of its benchmarks and table: "post", "billing"
  std::string unit;  // "transaction"
  int command = 0;
  std::string keys;  // the key script, tokens separated by blanks
  std::string today;        // QX_TODAY of the command: "2025-03-15"
  std::int32_t todayDate = 0;  // the same day, for the in-process run
  std::function<fixture::CompanyImage(int n)> company;
  // The text the transcript shows when the command did all its work.
  std::function<std::string(int n)> summary;
  // Runs the command in this process on the company in `folder` (the
  // application block pointed at it already, SetUpCommand); its seconds,
  // negative when it did not do all its work.
  std::function<double(const std::string& folder, int n)> inProcess;
  std::vector<RawSide> raws;
  std::vector<OtherTool> tools;
};

namespace sized {

// What the runs of one bench share.
struct Bench {
  const PostingBench* spec = nullptr;
  std::map<int, std::map<std::string, ChildResult>> results;  // size -> run -> result
  std::vector<std::string> runs;                               // in the order printed
};

struct State {
  std::string root;
  std::string qxa15, qxload;  // the installed programs
  std::vector<Bench> benches;
  const PostingBench* generatedFor = nullptr;
  int generated = 0;
};

inline State& TheState() {
  static State s;
  return s;
}

// The files of a run start with the bench's label and the size.
inline std::string Prefix(const PostingBench& b, int n) { return b.label + "-" + std::to_string(n) + "-"; }
inline std::string Folder(const PostingBench& b, int n, const std::string& what) {
  return TheState().root + "/" + Prefix(b, n) + what;
}

inline std::size_t Records(const fixture::CompanyImage& c) {
  std::size_t n = 0;
  for (const auto& [file, images] : c.files) n += images.size();
  return n;
}

inline void RemoveSize(const PostingBench& b, int n) {
  std::error_code ec;
  std::vector<std::filesystem::path> made;
  for (const auto& entry : std::filesystem::directory_iterator(TheState().root, ec))
    if (entry.path().filename().string().rfind(Prefix(b, n), 0) == 0) made.push_back(entry.path());
  for (const auto& path : made) std::filesystem::remove_all(path, ec);
}

// Writes everything the runs of size n start from, in a child so that this
// process never holds the company.
inline bool Generate(const PostingBench& b, int n) {
  State& s = TheState();
  if (s.generated == n && s.generatedFor == &b) return true;
  if (s.generated != 0) RemoveSize(*s.generatedFor, s.generated);
  s.generated = 0;
  const ChildResult made = InChild([&b, n]() -> double {
    const fixture::CompanyImage c = b.company(n);
    fixture::Problem problem;
    if (!fixture::WriteCompany(c, Folder(b, n, "qxa"), fixture::WriteOptions{true}, &problem)) {
      std::fprintf(stderr, "%s\n", problem.Text().c_str());
      return -1;
    }
    if (Records(c) <= kLoaderLimit) {
      const std::string fixture = Folder(b, n, "company.json");
      {
        std::ofstream out(fixture);
        fixture::WriteFixture(c, out, "generated by the benchmark");
      }
      const ChildResult loaded =
          RunProgram({TheState().qxload, fixture, Folder(b, n, "cmd")}, {}, Folder(b, n, "qxload.out"));
      std::filesystem::remove(fixture);
      if (!loaded.ok) {
        std::fprintf(stderr, "qxload: %s\n", ReadText(Folder(b, n, "qxload.out")).c_str());
        return -1;
      }
    } else if (!fixture::WriteCompany(c, Folder(b, n, "cmd"), fixture::WriteOptions{true}, &problem)) {
      std::fprintf(stderr, "%s\n", problem.Text().c_str());
      return -1;
    }
    for (const RawSide& raw : b.raws) raw.load(Folder(b, n, raw.name + ".sqlite"), c);
    for (const OtherTool& tool : b.tools)
      if (!tool.program.empty()) tool.write(Folder(b, n, tool.name + ".input"), c);
    return 0;
  });
  if (made.ok) {
    s.generated = n;
    s.generatedFor = &b;
  }
  return made.ok;
}

inline ChildResult RunCommand(const PostingBench& b, int n) {
  const std::string keys = Folder(b, n, "keys"), transcript = Folder(b, n, "transcript.txt");
  {
    std::ofstream out(keys);
    out << b.keys << "\n";
  }
  ChildResult r = RunProgram({TheState().qxa15, Folder(b, n, "cmd"), "/only", "/cmd:" + std::to_string(b.command)},
                             {"QX_TODAY=" + b.today, "QX_KEYS=" + keys, "QX_TRANSCRIPT=" + transcript,
                              "XDG_CONFIG_HOME=" + Folder(b, n, "config"), "XDG_STATE_HOME=" + Folder(b, n, "state")},
                             Folder(b, n, "qxa15.out"));
  if (r.ok && ReadText(transcript).find(b.summary(n)) == std::string::npos) {
    r.ok = false;
    r.note = "the transcript lacks \"" + b.summary(n) + "\"";
  }
  return r;
}

inline void RunOne(benchmark::State& state, Bench& bench, int n, const std::string& what) {
  const PostingBench& b = *bench.spec;
  for (auto _ : state) {
    if (!Generate(b, n)) {
      state.SkipWithError("the company could not be generated");
      return;
    }
    ChildResult r;
    if (what == "cmd") {
      r = RunCommand(b, n);
    } else if (what == "qxa") {
      r = InChild([&b, n]() -> double {
        SetUpCommand(Folder(b, n, "qxa"), b.keys.c_str(), b.todayDate, b.command);
        return b.inProcess(Folder(b, n, "qxa"), n);
      });
    } else {
      for (const RawSide& raw : b.raws)
        if (raw.name == what) r = InChild([&b, &raw, n] { return raw.run(Folder(b, n, raw.name + ".sqlite"), n); });
      for (const OtherTool& tool : b.tools)
        if (tool.name == what) r = RunProgram(tool.args(Folder(b, n, tool.name + ".input")), {}, "/dev/null");
    }
    bench.results[n][what] = r;
    if (!r.ok) {
      state.SkipWithError(r.note.empty() ? "the run failed" : r.note.c_str());
      return;
    }
    state.SetIterationTime(r.seconds);
    state.counters["us_per_" + b.unit] = r.seconds * 1e6 / n;
    state.counters["peak_MiB"] = r.peakMiB;
  }
}

inline void PrintTable(const Bench& s) {
  const PostingBench& b = *s.spec;
  std::printf("\n%s (dated in %s order)\n%10s", b.label.c_str(), DatedOrder(), (b.unit + "s").c_str());
  for (const std::string& run : s.runs) std::printf(" %12s %8s", (run + " us").c_str(), "MiB");
  for (const std::string& run : s.runs)
    if (run != "cmd") std::printf(" %10s", ("cmd/" + run).c_str());
  std::printf("\n");
  for (const auto& [n, results] : s.results) {
    std::printf("%10d", n);
    for (const std::string& run : s.runs) {
      const auto it = results.find(run);
      if (it == results.end() || !it->second.ok)
        std::printf(" %12s %8s", "-", "-");
      else
        std::printf(" %12.2f %8.1f", it->second.seconds * 1e6 / n, it->second.peakMiB);
    }
    const auto cmd = results.find("cmd");
    for (const std::string& run : s.runs) {
      if (run == "cmd") continue;
      const auto it = results.find(run);
      if (cmd == results.end() || !cmd->second.ok || it == results.end() || !it->second.ok || it->second.seconds <= 0)
        std::printf(" %10s", "-");
      else
        std::printf(" %10.2f", cmd->second.seconds / it->second.seconds);
    }
    std::printf("\n");
  }
}

}  // namespace sized

// The program of a sized posting benchmark of one or more benches (each its
// own company): sizes from `sizesVariable` (else `defaultSizes`);
// QX_BENCH_KEEP=<folder> makes the companies there and leaves them (those of
// the last size run).  `name` names the temporary folder.  Returns 0.
inline int RunSizedBenches(int argc, char** argv, const char* name, const std::vector<PostingBench>& benches,
                           const char* sizesVariable, const char* defaultSizes) {
  sized::State& s = sized::TheState();
  // QX_BENCH_FIXTURE=<folder>: each bench's company of the first size is
  // written there as a fixture (for compare_postings.sh), and nothing runs.
  if (const char* folder = std::getenv("QX_BENCH_FIXTURE")) {
    const std::vector<int> sizes = SizesFromEnv(sizesVariable, defaultSizes);
    for (const PostingBench& b : benches) {
      const std::string path = std::string(folder) + "/" + name + "-" + b.label + ".json";
      std::ofstream out(path);
      fixture::WriteFixture(b.company(sizes.empty() ? 1000 : sizes.front()), out, "generated by " + std::string(name));
      std::printf("%s:%s\n", path.c_str(), b.today.c_str());
    }
    return 0;
  }
  const char* keep = std::getenv("QX_BENCH_KEEP");
  std::string pattern = std::filesystem::temp_directory_path().string() + "/" + name + "-XXXXXX";
  s.root = keep ? std::string(keep) : std::string(mkdtemp(pattern.data()));
  std::filesystem::create_directories(s.root);
  const ChildResult installed =
      RunProgram({QX_CMAKE, "--install", QX_BUILD_DIR, "--prefix", s.root + "/install"}, {}, s.root + "/install.log");
  if (!installed.ok) std::fprintf(stderr, "cmake --install failed:\n%s", ReadText(s.root + "/install.log").c_str());
  s.qxa15 = s.root + "/install/program/qxa15";
  s.qxload = s.root + "/install/program/qxload";
  s.benches.resize(benches.size());
  for (std::size_t i = 0; i < benches.size(); ++i) {
    sized::Bench& b = s.benches[i];
    b.spec = &benches[i];
    b.runs = {"cmd", "qxa"};
    for (const RawSide& raw : b.spec->raws) b.runs.push_back(raw.name);
    for (const OtherTool& tool : b.spec->tools)
      if (!tool.program.empty()) b.runs.push_back(tool.name);
  }
  for (const int n : SizesFromEnv(sizesVariable, defaultSizes)) {
    for (sized::Bench& b : s.benches) {
      for (const std::string& run : b.runs) {
        const std::string benchmarkName = b.spec->label + "/" + run + "/" + std::to_string(n);
        sized::Bench* bench = &b;
        benchmark::RegisterBenchmark(benchmarkName.c_str(),
                                     [bench, n, run](benchmark::State& st) { sized::RunOne(st, *bench, n, run); })
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  for (const sized::Bench& b : s.benches) sized::PrintTable(b);
  if (!keep) {
    std::error_code ec;
    std::filesystem::remove_all(s.root, ec);
  }
  return 0;
}

}  // namespace benchsupport
