// Speed of ptool export-all on many containers against two baselines in the
// same run: a loop of one `ptool export` per slot writing the same files, and
// plain system calls in one process writing the same bytes with the same
// flushing (unnamed temporary files; per batch of 256 one syncfs, a link per
// file, one more syncfs).
//
//   varnholt_batch_bench [Google Benchmark flags]
//   BATCH_BENCH_CONTAINERS (default 500), BATCH_BENCH_FORMAT (png, bmp, tex)
// The files go to $TMPDIR: point it at the disk to measure.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "bench/bench_support.h"
#include "container/pt_layout.h"

extern char** environ;

namespace pt::bench {
namespace {

std::size_t containerCount() {
  const char* n = std::getenv("BATCH_BENCH_CONTAINERS");
  return n ? std::strtoul(n, nullptr, 10) : 500;
}
std::string format() {
  const char* f = std::getenv("BATCH_BENCH_FORMAT");
  return f ? f : "png";
}

void run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("cannot start " + args[0]);
  posix_spawn_file_actions_destroy(&quiet);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("failed: " + args[0] + " " + args[1] + " " + args[2]);
}

// Containers made by ptool sample, each varied a little: a header byte, a
// palette entry and a few pixels of one slot, and one slot's used flag.
struct Corpus {
  BenchDir dir;
  fs::path ptool = programDir() / "ptool";
  std::vector<fs::path> containers;
  std::vector<std::vector<std::uint8_t>> usedSlots;
  int runs = 0;

  Corpus() {
    run({ptool.string(), "sample", (dir / "base.pt").string()});
    const Bytes base = readWholeFile(dir / "base.pt");
    for (std::size_t k = 0; k < containerCount(); ++k) {
      Bytes b = base;
      const std::size_t slot = k % kSlotCount;
      b[100] = static_cast<std::uint8_t>(k);
      b[slotOffset(slot) + 4 * (k % 256)] ^= 0x55;
      for (std::size_t i = 0; i < 16; ++i) b[slotOffset(slot) + kPaletteSize + 97 * i + k % 97] ^= 0xA5;
      if (k % 3 == 0) b[kUsedFlagsOffset + (k / 3) % kSlotCount] ^= 1;
      char name[32];
      std::snprintf(name, sizeof name, "c%04zu.pt", k);
      containers.push_back(dir / name);
      writeWholeFile(containers.back(), b);
      std::vector<std::uint8_t> used;
      for (std::uint8_t i = 0; i < kSlotCount; ++i)
        if (b[kUsedFlagsOffset + i]) used.push_back(i);
      usedSlots.push_back(used);
    }
  }
  fs::path freshOut() { return dir / ("out" + std::to_string(runs++)); }
};

Corpus& corpus() {
  static Corpus c;
  return c;
}

std::map<std::string, double> seconds;  // mean seconds per iteration, by benchmark

// Processor time (user + system) of the programs started so far.
double childCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void record(benchmark::State& state, const std::string& name, double total) {
  seconds[name] = total / static_cast<double>(state.iterations());
}

fs::path lastExportAll;

void BM_ExportAll(benchmark::State& state) {
  Corpus& c = corpus();
  double total = 0;
  const double cpuBefore = childCpuSeconds();
  for (auto _ : state) {
    const fs::path out = c.freshOut();
    std::vector<std::string> args{c.ptool.string(), "export-all"};
    for (const auto& p : c.containers) args.push_back(p.string());
    for (const char* a : {"-d", out.c_str(), "--format"}) args.emplace_back(a);
    args.push_back(format());
    ::sync();  // nothing earlier left for this run's flushes
    const auto start = std::chrono::steady_clock::now();
    run(args);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    total += took.count();
    state.SetIterationTime(took.count());
    lastExportAll = out;
  }
  state.counters["ptool_cpu_s"] = (childCpuSeconds() - cpuBefore) / static_cast<double>(state.iterations());
  record(state, "export-all", total);
}

void BM_LoopOfExports(benchmark::State& state) {
  Corpus& c = corpus();
  double total = 0;
  const double cpuBefore = childCpuSeconds();
  for (auto _ : state) {
    const fs::path out = c.freshOut();
    for (const auto& p : c.containers) fs::create_directories(out / p.stem());
    ::sync();  // nothing earlier left for this run's flushes
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t k = 0; k < c.containers.size(); ++k)
      for (const auto slot : c.usedSlots[k]) {
        char name[32];
        std::snprintf(name, sizeof name, "slot%02u.%s", unsigned(slot), format().c_str());
        run({c.ptool.string(), "export", c.containers[k].string(), std::to_string(slot),
             (out / c.containers[k].stem() / name).string()});
      }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    total += took.count();
    state.SetIterationTime(took.count());
  }
  state.counters["ptool_cpu_s"] = (childCpuSeconds() - cpuBefore) / static_cast<double>(state.iterations());
  record(state, "loop of ptool export", total);
}

// The bytes export-all wrote, by path relative to its folder.
std::vector<std::pair<fs::path, Bytes>> exportedFiles() {
  if (lastExportAll.empty()) throw std::runtime_error("run BM_ExportAll first");
  std::vector<std::pair<fs::path, Bytes>> files;
  for (const auto& e : fs::recursive_directory_iterator(lastExportAll))
    if (e.is_regular_file()) files.emplace_back(fs::relative(e.path(), lastExportAll), readWholeFile(e.path()));
  return files;
}

void check(bool ok, const char* what) {
  if (!ok) throw std::system_error(errno, std::generic_category(), what);
}

void plainBatch(std::vector<std::pair<int, fs::path>>& open) {
  if (open.empty()) return;
  check(::syncfs(open.front().first) == 0, "syncfs");
  for (auto& [fd, target] : open) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    check(::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0, "linkat");
  }
  check(::syncfs(open.front().first) == 0, "syncfs");
  for (auto& [fd, target] : open) ::close(fd);
  open.clear();
}

void BM_PlainWritesSameBytes(benchmark::State& state) {
  Corpus& c = corpus();
  if (lastExportAll.empty()) {
    state.SkipWithError("export-all has not run before the plain writes");
    for (auto _ : state) {
    }
    return;
  }
  const auto files = exportedFiles();
  double total = 0;
  for (auto _ : state) {
    const fs::path out = c.freshOut();
    std::set<fs::path> folders;
    for (const auto& [rel, bytes] : files) folders.insert(out / rel.parent_path());
    for (const auto& f : folders) fs::create_directories(f);
    ::sync();  // nothing earlier left for this run's flushes
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::pair<int, fs::path>> open;
    for (const auto& [rel, bytes] : files) {
      const fs::path target = out / rel;
      const int fd = ::open(target.parent_path().c_str(), O_TMPFILE | O_WRONLY, 0666);
      check(fd >= 0, "open");
      check(::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()), "write");
      open.emplace_back(fd, target);
      if (open.size() == 256) plainBatch(open);
    }
    plainBatch(open);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    total += took.count();
    state.SetIterationTime(took.count());
  }
  record(state, "plain writes of the same bytes", total);
}

// Named "<operation>/..." for bench/ratios.py. The plain writes copy what the
// export-all run wrote, so the three run in this order (no interleaving).
BENCHMARK(BM_ExportAll)->Name("export_all/operation")->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWritesSameBytes)->Name("export_all/baseline")->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopOfExports)->Name("export_all/loop_of_exports")->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pt::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  using pt::bench::seconds;
  const double all = seconds["export-all"];
  std::printf("\n%zu containers, %s files\n", pt::bench::containerCount(), pt::bench::format().c_str());
  for (const auto& [name, s] : seconds) std::printf("%-32s %10.3f s\n", name.c_str(), s);
  if (all > 0 && seconds.count("loop of ptool export"))
    std::printf("loop of ptool export / export-all: %.1fx (aim >= 20x)\n", seconds["loop of ptool export"] / all);
  if (all > 0 && seconds.count("plain writes of the same bytes"))
    std::printf("export-all / plain writes: %.2fx (aim <= 2x)\n", all / seconds["plain writes of the same bytes"]);
  return 0;
}
