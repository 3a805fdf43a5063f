// Speed of `ptool copy IN OUT --force` as a whole process (start, read,
// write through the flushed safe write, exit) against the plain tools doing
// the same from the shell: `cp IN OUT` and then `sync OUT`, each its own
// process. A second baseline, `sync OUT FOLDER`, also flushes the folder as
// the program does after its rename. Every repetition is one start of each; the medians of at least 30
// repetitions, interleaved, are compared.
//
//   varnholt_copy_bench [Google Benchmark flags]
// The files go to $TMPDIR: point it at the disk to measure.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_support.h"
#include "sample/sample_container.h"

extern char** environ;

namespace pt::bench {
namespace {

constexpr int kMinRepetitions = 30;

struct Workspace {
  BenchDir dir;
  Bytes containerBytes = makeSampleContainer();
  fs::path ptool = programDir() / "ptool";
  fs::path in = dir / "in.pt";
  fs::path ptoolOut = dir / "ptool-out.pt";
  fs::path cpOut = dir / "cp-out.pt";

  Workspace() {
    writeWholeFile(in, containerBytes);
    writeWholeFile(ptoolOut, containerBytes);  // replaced on every run, as with --force
    writeWholeFile(cpOut, containerBytes);
  }
};

Workspace* ws = nullptr;

// Starts `args[0]` (searched in PATH) with its output discarded and waits for
// it; an empty result means it ended with status 0.
std::string runToExit(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawnError = posix_spawnp(&pid, argv[0], &quiet, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&quiet);
  if (spawnError != 0) return "cannot start " + args[0] + ": " + std::strerror(spawnError);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  return args[0] + " " + args[1] + " failed";
}

void expectCopy(benchmark::State& state, const fs::path& out) {
  if (!state.error_occurred() && readWholeFile(out) != ws->containerBytes)
    state.SkipWithError(("wrong bytes in " + out.string()).c_str());
}

void copyOperation(benchmark::State& state) {
  for (auto _ : state) {
    if (auto why = runToExit({ws->ptool.string(), "copy", ws->in.string(), ws->ptoolOut.string(),
                              "--force"});
        !why.empty()) {
      state.SkipWithError(why.c_str());
      break;
    }
  }
  expectCopy(state, ws->ptoolOut);
}

void copyBaseline(benchmark::State& state) {
  for (auto _ : state) {
    std::string why = runToExit({"cp", ws->in.string(), ws->cpOut.string()});
    if (why.empty()) why = runToExit({"sync", ws->cpOut.string()});
    if (!why.empty()) {
      state.SkipWithError(why.c_str());
      break;
    }
  }
  expectCopy(state, ws->cpOut);
}

void copyBaselineWithFolder(benchmark::State& state) {
  for (auto _ : state) {
    std::string why = runToExit({"cp", ws->in.string(), ws->cpOut.string()});
    if (why.empty()) why = runToExit({"sync", ws->cpOut.string(), ws->dir.path().string()});
    if (!why.empty()) {
      state.SkipWithError(why.c_str());
      break;
    }
  }
  expectCopy(state, ws->cpOut);
}

}  // namespace
}  // namespace pt::bench

int main(int argc, char** argv) {
  using namespace pt::bench;
  // One start per repetition, at least kMinRepetitions of them; a larger
  // --benchmark_repetitions is honoured. Read before Initialize takes the flag.
  int repetitions = kMinRepetitions;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--benchmark_repetitions=", 24) == 0)
      repetitions = std::max(repetitions, std::atoi(argv[i] + 24));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  try {
    Workspace workspace;
    ws = &workspace;
    // "<operation>/operation" and "<operation>/baseline" are paired by bench/ratios.py.
    using Run = void (*)(benchmark::State&);
    for (auto [name, fn] : {std::pair<const char*, Run>{"copy_process/operation", copyOperation},
                            std::pair<const char*, Run>{"copy_process/baseline", copyBaseline},
                            std::pair<const char*, Run>{"copy_process/baseline_with_folder",
                                                        copyBaselineWithFolder}})
      benchmark::RegisterBenchmark(name, fn)
          ->Iterations(1)
          ->Repetitions(repetitions)
          ->UseRealTime()
          ->Unit(benchmark::kMillisecond);
    benchmark::AddCustomContext("bench_folder", workspace.dir.path().string());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ws = nullptr;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "varnholt_copy_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
