// Speed of the PNG exchange: the export against the raw .tex export of the
// same slot (both replace the file through the same flushed write), the
// import of an indexed PNG against a plain read of the same file, the
// import of the same slot saved as RGBA (as an editor in RGB mode saves it)
// against the indexed import, and the quantization of a 256 x 256 RGBA
// picture, alone and as a whole import (absolute time).
#include <benchmark/benchmark.h>
#include <spng.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
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

// A 256 x 256 RGBA picture as a PNG, as an editor writes it.
Bytes encodeRgbaPng(const Bytes& rgba) {
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_ihdr ihdr{};
  ihdr.width = 256;
  ihdr.height = 256;
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_set_ihdr(ctx, &ihdr);
  int rc = spng_encode_image(ctx, rgba.data(), rgba.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  std::size_t length = 0;
  void* buffer = rc ? nullptr : spng_get_png_buffer(ctx, &length, &rc);
  spng_ctx_free(ctx);
  if (!buffer) throw std::runtime_error("the RGBA picture could not be encoded");
  Bytes out(static_cast<std::uint8_t*>(buffer), static_cast<std::uint8_t*>(buffer) + length);
  std::free(buffer);
  return out;
}

// The slot's picture through its palette, transparent pixels 0, 0, 0, 0.
Bytes slotAsRgba(const PtSlot& s) {
  Bytes out;
  for (std::size_t i = 0; i < 65536; ++i) {
    const std::uint8_t* e = &s.palette[4 * s.pixels[i]];
    if (e[0] == 0) out.insert(out.end(), {0, 0, 0, 0});
    else out.insert(out.end(), {e[1], e[2], e[3], e[0]});
  }
  return out;
}

struct Workspace {
  BenchDir dir;
  PtFile sample = makeSamplePtFile();
  Bytes pngBytes = *encodeSlotPng(sample.slots[kSlot], kSlot, false);
  Bytes rawBytes = buildRawTex(sample.slots[kSlot]);
  Bytes rgba;
  fs::path pngFile = dir / "slot.png";
  fs::path rgbaFile = dir / "slot_rgba.png";
  fs::path softFile = dir / "soft.png";
  fs::path pngExport = dir / "export.png";
  fs::path rawExport = dir / "export.tex";

  Workspace() {
    if (pngBytes.empty()) throw std::runtime_error("the slot could not be encoded");
    writeWholeFile(pngFile, pngBytes);
    writeWholeFile(rgbaFile, encodeRgbaPng(slotAsRgba(sample.slots[kSlot])));
    writeWholeFile(pngExport, pngBytes);
    writeWholeFile(rawExport, rawBytes);
    // A smooth picture with soft alpha, as an editor would save it.
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x)
        rgba.insert(rgba.end(), {std::uint8_t(x), std::uint8_t((x + y) / 2), std::uint8_t(255 - y),
                                 std::uint8_t(127.5 + 127.5 * std::sin(x / 20.0) * std::cos(y / 30.0))});
    writeWholeFile(softFile, encodeRgbaPng(rgba));
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
    return exportRawTex(ws->sample, kSlot, p, prompt).ok();
  });
}

// Imports `file` into the sample's slot again and again; `unchanged`: the
// slot must come back byte for byte.
void importOf(benchmark::State& state, const fs::path& file, bool unchanged) {
  PtSlot slot = ws->sample.slots[kSlot];
  for (auto _ : state) {
    slot = ws->sample.slots[kSlot];
    const auto r = importPngFile(file, slot, kSlot, {});
    if (!r) {
      state.SkipWithError(describe(r.error()).c_str());
      return;
    }
    benchmark::DoNotOptimize(slot.pixels.data());
    benchmark::ClobberMemory();
  }
  const PtSlot& was = ws->sample.slots[kSlot];
  if (unchanged && (slot.palette != was.palette || slot.pixels != was.pixels))
    state.SkipWithError("the import did not give the exported slot back");
}
void importPngOperation(benchmark::State& state) { importOf(state, ws->pngFile, true); }
void importRgbaOperation(benchmark::State& state) { importOf(state, ws->rgbaFile, true); }
void importSoftOperation(benchmark::State& state) { importOf(state, ws->softFile, false); }
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
                           Entry{"import_rgba_png/operation", importRgbaOperation},
                           Entry{"import_rgba_png/baseline", importPngOperation},
                           Entry{"import_quantized_png/absolute", importSoftOperation},
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
