// Speed of the PNG exchange: the export against the raw .tex export of the
// same slot (both replace the file through the same flushed write), the
// import of an indexed PNG against a plain read of the same file, and the
// quantization of a 256 x 256 RGBA picture on its own (absolute time).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "bench/bench_support.h"
#include "sample/sample_container.h"
#include "exchange/slot_files.h"
#include "png/png_import.h"
#include "picture/quantize.h"
#include "png/slot_png_writer.h"

namespace pt::bench {
namespace {

constexpr std::uint8_t kSlot = 0;  // a used, high-resolution slot

struct Workspace {
  BenchDir dir;
  PtFile sample = makeSamplePtFile();
  Bytes pngBytes = *encodeSlotPng(sample.slots[kSlot], kSlot, false);
  Bytes rawBytes = buildRawTex(sample.slots[kSlot]);
  Bytes rgba;
  fs::path pngFile = dir / "slot.png";
  fs::path pngExport = dir / "export.png";
  fs::path rawExport = dir / "export.tex";

  Workspace() {
    if (pngBytes.empty()) throw std::runtime_error("the slot could not be encoded");
    writeWholeFile(pngFile, pngBytes);
    writeWholeFile(pngExport, pngBytes);
    writeWholeFile(rawExport, rawBytes);
    // A smooth picture with soft alpha, as an editor would save it.
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x)
        rgba.insert(rgba.end(), {std::uint8_t(x), std::uint8_t((x + y) / 2), std::uint8_t(255 - y),
                                 std::uint8_t(127.5 + 127.5 * std::sin(x / 20.0) * std::cos(y / 30.0))});
  }
};

Workspace* ws = nullptr;

template <typename Export>
void exportOf(benchmark::State& state, const fs::path& target, const Bytes& expected, Export&& run) {
  YesPrompt prompt;
  for (auto _ : state) {
    if (!run(target, prompt)) {
      state.SkipWithError(("export failed: " + prompt.lastError).c_str());
      return;
    }
  }
  if (readWholeFile(target) != expected) state.SkipWithError("wrong bytes written");
}

void exportPngOperation(benchmark::State& state) {
  exportOf(state, ws->pngExport, ws->pngBytes, [](const fs::path& p, UserPrompt& prompt) {
    return exportSlotPng(ws->sample, kSlot, p, prompt).ok();
  });
}
void exportPngBaseline(benchmark::State& state) {
  exportOf(state, ws->rawExport, ws->rawBytes, [](const fs::path& p, UserPrompt& prompt) {
    return exportRawTex(ws->sample, kSlot, p, prompt);
  });
}

void importPngOperation(benchmark::State& state) {
  PtSlot slot = ws->sample.slots[kSlot];
  for (auto _ : state) {
    const auto r = importPngFile(ws->pngFile, slot, kSlot, {});
    if (!r) {
      state.SkipWithError(describe(r.error()).c_str());
      return;
    }
    benchmark::DoNotOptimize(slot.pixels.data());
    benchmark::ClobberMemory();
  }
  const PtSlot& was = ws->sample.slots[kSlot];
  if (slot.palette != was.palette || slot.pixels != was.pixels)
    state.SkipWithError("the import did not give the exported slot back");
}
void importPngBaseline(benchmark::State& state) {
  Bytes buffer(ws->pngBytes.size());
  for (auto _ : state) {
    if (plainRead(ws->pngFile, buffer) != buffer.size()) {
      state.SkipWithError("short plain read");
      return;
    }
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
}

void quantizeOperation(benchmark::State& state) {
  for (auto _ : state) {
    auto q = quantizeRgba(ws->rgba, 256, 256, true);
    if (!q) {
      state.SkipWithError(describe(q.error()).c_str());
      return;
    }
    benchmark::DoNotOptimize(q->indices.data());
  }
}
void remapOperation(benchmark::State& state) {
  for (auto _ : state) {
    auto q = remapToPalette(ws->rgba, 256, 256, ws->sample.slots[kSlot].palette, state.range(0) != 0);
    benchmark::DoNotOptimize(q.indices.data());
  }
}

}  // namespace
}  // namespace pt::bench

int main(int argc, char** argv) {
  using namespace pt::bench;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  try {
    Workspace workspace;
    ws = &workspace;
    // "<operation>/operation" and "<operation>/baseline" are paired by bench/ratios.py.
    struct Entry {
      const char* name;
      void (*fn)(benchmark::State&);
    };
    for (const Entry& e : {Entry{"export_png/operation", exportPngOperation},
                           Entry{"export_png/baseline", exportPngBaseline},
                           Entry{"import_png/operation", importPngOperation},
                           Entry{"import_png/baseline", importPngBaseline},
                           Entry{"quantize_256x256/absolute", quantizeOperation}})
      benchmark::RegisterBenchmark(e.name, e.fn)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("remap_256x256/absolute", remapOperation)
        ->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
    benchmark::AddCustomContext("bench_folder", workspace.dir.path().string());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ws = nullptr;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "varnholt_png_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
