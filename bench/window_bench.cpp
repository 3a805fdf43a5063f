// Speed of what the window adds around the core: a click on a slot's row of
// the real window up to its picture in the pane (with "pre.bmp" written)
// against loading that bitmap alone, and the start-up of the real window to
// its first paint against a program that paints an empty Qt window. Runs on
// Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>
#include <QString>
#include <QTreeWidget>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bitmap/slot_bitmap_writer.h"
#include "sample/sample_container.h"
#include "ui/form1.h"
#include "ui/qt_file_dialog.h"
#include "ui/slot_list.h"

extern char** environ;

namespace pt::bench {
namespace {

constexpr std::uint8_t kSlot = 0;  // used, 256 x 256
constexpr int kStartTimeoutMs = 60'000;

struct Workspace {
  BenchDir dir;
  BmpHeader header = shippedBmpHeader();
  PtFile sample = makeSamplePtFile();
  fs::path preview = dir / "pre.bmp";
  fs::path container = dir / "sample.pt";
  fs::path childLog = dir / "child.log";
  // The window writes its own pre.bmp here, alternating slots, so that the
  // baseline's copy of slot 0 stays as it was written.
  fs::path windowFolder = dir / "window";
  fs::path program = programDir() / "varnholt_window_startup";
  fs::path emptyWindow = programDir() / "varnholt_empty_window";

  Workspace() {
    writeWholeFile(container, makeSampleContainer());
    fs::create_directory(windowFolder);
    if (auto written = writeSlotBitmap(sample, kSlot, preview, header, false); !written)
      throw std::runtime_error("cannot write the preview: " + describe(written.error()));
  }
};

Workspace* ws = nullptr;

QString qPath(const fs::path& p) { return QString::fromStdU16String(p.u16string()); }

// --- preview ----------------------------------------------------------------

// As the window shows a preview: read through QImageReader (a pixmap loaded
// by path could come from Qt's cache) and turn the image into a pixmap.
bool loadPicture(const fs::path& path, QPixmap& out) {
  QImageReader reader(qPath(path));
  const QImage image = reader.read();
  if (image.isNull()) return false;
  out = QPixmap::fromImage(image);
  return !out.isNull();
}

// The picture must show the slot: its size and, at a few points, the colour
// the palette gives the pixel's index.
std::string checkPicture(const QPixmap& pixmap, std::uint8_t slotNumber = kSlot) {
  const PtSlot& slot = ws->sample.slots[slotNumber];
  const QImage image = pixmap.toImage();
  if (image.width() != slot.width || image.height() != slot.height)
    return "the preview has the wrong size";
  for (int i = 0; i < 64; ++i) {
    const int x = (i * 37) % slot.width, y = (i * 91) % slot.height;
    const std::size_t index = slot.pixels[static_cast<std::size_t>(y) * slot.width + x];
    const QRgb expected = qRgb(slot.palette[4 * index + 1], slot.palette[4 * index + 2],
                               slot.palette[4 * index + 3]);
    if ((image.pixel(x, y) & 0xFFFFFF) != (expected & 0xFFFFFF))
    {
      char why[120];
      std::snprintf(why, sizeof why, "the preview of slot %u shows #%06X at %d,%d, not #%06X",
                    unsigned(slotNumber), image.pixel(x, y) & 0xFFFFFFu, x, y, expected & 0xFFFFFFu);
      return why;
    }
  }
  return {};
}

// Clicks on the rows of slots 0 and 1 in turn (both 256 x 256 and used).
void previewOperation(benchmark::State& state) {
  YesPrompt prompt;
  varnholt::QtFileDialog cd;
  const QString folder = qPath(ws->windowFolder);
  varnholt::Form1 window(cd, prompt, folder, ws->header);
  window.openFile(qPath(ws->container));
  auto* lv = window.findChild<QTreeWidget*>("lv");
  auto* p1 = window.findChild<QLabel*>("p1");
  std::uint8_t slot = 0;
  for (auto _ : state) {
    slot ^= 1;
    lv->setCurrentItem(lv->topLevelItem(slot));
    window.lv_Click();
    benchmark::DoNotOptimize(p1->pixmap().cacheKey());
  }
  if (std::string why = checkPicture(p1->pixmap(), slot); !why.empty())
    state.SkipWithError(why.c_str());
}

void previewBaseline(benchmark::State& state) {
  QPixmap pixmap;
  for (auto _ : state) {
    if (!loadPicture(ws->preview, pixmap)) {
      state.SkipWithError("the preview bitmap does not load");
      break;
    }
    benchmark::DoNotOptimize(pixmap.cacheKey());
  }
  if (state.error_occurred()) return;
  if (std::string why = checkPicture(pixmap); !why.empty()) state.SkipWithError(why.c_str());
}

// --- start-up -----------------------------------------------------------------

// The environment of this process with the offscreen platform.
std::vector<std::string> childEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("QT_QPA_PLATFORM=", 0) == 0) continue;
    env.push_back(entry);
  }
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  env.push_back(std::string("QT_QPA_PLATFORM=") + (platform ? platform : "offscreen"));
  return env;
}

std::string firstLineOf(const fs::path& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

// Starts the program and waits until it has ended; an empty result means it
// ended with status 0. cpuSeconds gets the processor time the program used.
std::string runToExit(const fs::path& program, const std::vector<std::string>& args,
                      char* const* envp, double& cpuSeconds) {
  std::vector<std::string> argStrings{program.string()};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, ws->childLog.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = 0;
  const int spawnError = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp);
  posix_spawn_file_actions_destroy(&actions);
  if (spawnError != 0) return "cannot start " + program.string() + ": " + std::strerror(spawnError);

  // Wait with a limit, so that a program that never quits cannot hang the run.
  const int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidFd >= 0) {
    pollfd p{pidFd, POLLIN, 0};
    int ready;
    do ready = ::poll(&p, 1, kStartTimeoutMs);
    while (ready < 0 && errno == EINTR);
    ::close(pidFd);
    if (ready == 0) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      return program.filename().string() + " did not quit within " +
             std::to_string(kStartTimeoutMs / 1000) +
             " s of starting; does it paint its window?";
    }
  }
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  const std::string how = WIFEXITED(status)
                              ? "exit status " + std::to_string(WEXITSTATUS(status))
                              : "signal " + std::to_string(WTERMSIG(status));
  return program.filename().string() + " ended with " + how + ": " + firstLineOf(ws->childLog);
}

void startProgram(benchmark::State& state, const fs::path& program,
                  const std::vector<std::string>& args) {
  if (!fs::exists(program)) {
    const std::string why = program.string() +
                            " is not built yet; build it in the same build folder to measure "
                            "start-up";
    state.SkipWithError(why.c_str());
    for (auto _ : state) {
    }
    return;
  }
  std::vector<std::string> env = childEnvironment();
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  double cpu = 0;
  for (auto _ : state) {
    double seconds = 0;
    if (std::string why = runToExit(program, args, envp.data(), seconds); !why.empty()) {
      state.SkipWithError(why.c_str());
      break;
    }
    cpu += seconds;
  }
  // Processor time of the started program, less disturbed than the wall
  // clock by whatever else the machine is doing.
  state.counters["child_cpu_ms"] =
      benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}

void startupOperation(benchmark::State& state) { startProgram(state, ws->program, {}); }
void startupWithContainerOperation(benchmark::State& state) {
  startProgram(state, ws->program, {ws->container.string()});
}
void startupBaseline(benchmark::State& state) { startProgram(state, ws->emptyWindow, {}); }

void registerAll() {
  benchmark::RegisterBenchmark("preview/operation", previewOperation)
      ->UseRealTime()
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("preview/baseline", previewBaseline)
      ->UseRealTime()
      ->Unit(benchmark::kMicrosecond);
  // A start takes tens of milliseconds: a few iterations per repetition.
  struct Entry {
    const char* name;
    void (*fn)(benchmark::State&);
  };
  const Entry starts[] = {
      {"startup/operation", startupOperation},
      {"startup_with_container/operation", startupWithContainerOperation},
      {"startup/baseline", startupBaseline},
  };
  for (const auto& [name, fn] : starts)
    benchmark::RegisterBenchmark(name, fn)->UseRealTime()->Unit(benchmark::kMillisecond);
}

}  // namespace
}  // namespace pt::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  try {
    pt::bench::Workspace workspace;
    pt::bench::ws = &workspace;
    pt::bench::registerAll();
    benchmark::AddCustomContext("bench_folder", workspace.dir.path().string());
    benchmark::AddCustomContext("qt_platform", QGuiApplication::platformName().toStdString());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    pt::bench::ws = nullptr;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "varnholt_window_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
