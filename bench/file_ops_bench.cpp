// Speed of the file operations, each next to the plain system calls that move
// the same bytes, measured in the same run so that the ratio says how much the
// program adds on top of what the disk and the kernel cost anyway.
//
// Every operation goes through the same core routine the window and ptool
// call. Each benchmark checks its result on every iteration and stops with an
// error instead of timing a path that failed; the setup checks once that the
// files the operations write are the bytes they should be.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/bench_support.h"
#include "bitmap/bitmap_import.h"
#include "bitmap/bmp_layout.h"
#include "bitmap/slot_bitmap_writer.h"
#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "sample/sample_container.h"
#include "exchange/raw_tex.h"
#include "exchange/slot_files.h"

namespace pt::bench {
namespace {

// A used, high-resolution slot of the sample container.
constexpr std::uint8_t kSlot = 0;

struct Workspace {
  BenchDir dir;
  BmpHeader header = shippedBmpHeader();
  PtFile sample = makeSamplePtFile();
  Bytes containerBytes = makeSampleContainer();
  Bytes rawBytes = buildRawTex(sample.slots[kSlot]);
  Bytes bitmapBytes = buildSlotBitmap(sample, kSlot, header, false);

  fs::path container = dir / "sample.pt";  // read by open
  fs::path saved = dir / "saved.pt";       // overwritten by save
  fs::path rawFile = dir / "slot.tex";     // read by the imports
  fs::path bitmapFile = dir / "slot.bmp";
  fs::path rawExport = dir / "export.tex";  // overwritten by the exports
  fs::path bitmapExport = dir / "export.bmp";
  fs::path plainTarget = dir / "plain.bin";  // overwritten by the plain writes
  fs::path plainTemp = dir / "plain.bin.tmp";

  Workspace() {
    if (containerBytes.size() != kFileSize || rawBytes.size() != kRawTexSize ||
        bitmapBytes.size() != bmp::kFileSize)
      throw std::runtime_error("unexpected sizes of the sample files");
    writeWholeFile(container, containerBytes);
    writeWholeFile(saved, containerBytes);
    writeWholeFile(rawFile, rawBytes);
    writeWholeFile(bitmapFile, bitmapBytes);
    writeWholeFile(rawExport, rawBytes);
    writeWholeFile(bitmapExport, bitmapBytes);
    writeWholeFile(plainTarget, containerBytes);
  }
};

Workspace* ws = nullptr;

void expectFile(benchmark::State& state, const fs::path& path, const Bytes& expected) {
  if (readWholeFile(path) != expected)
    state.SkipWithError(("wrong contents written to " + path.string()).c_str());
}

// --- open: loadPtFile against one plain read of the file ---------------------

void openOperation(benchmark::State& state) {
  PtFile file;
  for (auto _ : state) {
    auto r = loadPtFile(ws->container);
    if (!r) {
      state.SkipWithError(("loadPtFile failed: " + describe(r.error())).c_str());
      break;
    }
    file = std::move(*r);
    benchmark::DoNotOptimize(file.tailBlock.data());
    benchmark::ClobberMemory();
  }
  if (!state.error_occurred() && serializePtFile(file) != ws->containerBytes)
    state.SkipWithError("loadPtFile did not read the container it was given");
}

void plainReadOf(benchmark::State& state, const fs::path& path, std::size_t size) {
  Bytes buffer(size);
  for (auto _ : state) {
    if (plainRead(path, buffer) != size) {
      state.SkipWithError(("short plain read of " + path.string()).c_str());
      break;
    }
    benchmark::DoNotOptimize(buffer.data());
    benchmark::ClobberMemory();
  }
}

void openBaseline(benchmark::State& state) { plainReadOf(state, ws->container, kFileSize); }

// --- save: savePtFile over an existing file against the same durable write --
// (unnamed file, write, fsync, link, rename, fsync of the folder)

void saveOperation(benchmark::State& state) {
  YesPrompt prompt;
  for (auto _ : state) {
    if (const Status saved = savePtFile(ws->sample, ws->saved, prompt); !saved) {
      state.SkipWithError(("savePtFile failed: " + describe(saved.error())).c_str());
      break;
    }
  }
  if (state.error_occurred()) return;
  if (prompt.questions != static_cast<long>(state.iterations()))
    state.SkipWithError("savePtFile did not ask before replacing the file");
  expectFile(state, ws->saved, ws->containerBytes);
}

void plainWriteOf(benchmark::State& state, const Bytes& data) {
  for (auto _ : state) {
    try {
      plainWriteFsyncRename(ws->plainTemp, ws->plainTarget, data);
    } catch (const std::exception& e) {
      state.SkipWithError(e.what());
      break;
    }
  }
}

void saveBaseline(benchmark::State& state) { plainWriteOf(state, ws->containerBytes); }

// --- exports: the slot file routines against a plain write of as many bytes --

template <typename Export>
void exportOperation(benchmark::State& state, const fs::path& target, const Bytes& expected,
                     Export&& exportSlot) {
  YesPrompt prompt;
  for (auto _ : state) {
    const Status out = exportSlot(target, prompt);
    if (!out) {
      state.SkipWithError(("export failed: " + describe(out.error())).c_str());
      break;
    }
  }
  if (state.error_occurred()) return;
  if (prompt.questions != static_cast<long>(state.iterations()))
    state.SkipWithError("the export did not ask before replacing the file");
  expectFile(state, target, expected);
}

void exportRawOperation(benchmark::State& state) {
  exportOperation(state, ws->rawExport, ws->rawBytes, [](const fs::path& p, UserPrompt& prompt) {
    return writeSlotFile(ws->sample, kSlot, p, buildRawTex(ws->sample.slots[kSlot]), prompt);
  });
}
void exportRawBaseline(benchmark::State& state) { plainWriteOf(state, ws->rawBytes); }

void exportBitmapOperation(benchmark::State& state) {
  exportOperation(state, ws->bitmapExport, ws->bitmapBytes,
                  [](const fs::path& p, UserPrompt& prompt) {
                    return writeSlotFile(ws->sample, kSlot, p, buildSlotBitmap(ws->sample, kSlot, ws->header, false), prompt);
                  });
}
void exportBitmapBaseline(benchmark::State& state) { plainWriteOf(state, ws->bitmapBytes); }

// --- imports: the slot file routines against a plain read of the same file --

template <typename Import>
void importOperation(benchmark::State& state, const fs::path& source, Import&& importSlot) {
  YesPrompt prompt;
  PtFile file = ws->sample;
  for (auto _ : state) {
    const auto out = importSlot(file, source, prompt);
    if (!out) {
      state.SkipWithError(("import failed: " + describe(out.error())).c_str());
      break;
    }
    benchmark::DoNotOptimize(file.slots[kSlot].pixels.data());
    benchmark::ClobberMemory();
  }
  // The files hold the slot's own data, so the container must not change.
  if (!state.error_occurred() && serializePtFile(file) != ws->containerBytes)
    state.SkipWithError("the import changed the slot it read back");
}

void importRawOperation(benchmark::State& state) {
  importOperation(state, ws->rawFile, [](PtFile& f, const fs::path& p, UserPrompt& prompt) {
    (void)prompt;
    return importRawTexFile(p, f.slots[kSlot]);
  });
}
void importRawBaseline(benchmark::State& state) { plainReadOf(state, ws->rawFile, kRawTexSize); }

void importBitmapOperation(benchmark::State& state) {
  importOperation(state, ws->bitmapFile, [](PtFile& f, const fs::path& p, UserPrompt& prompt) {
    (void)prompt;
    return importBitmapFile(p, f.slots[kSlot], kSlot, ImportOptions{});
  });
}
void importBitmapBaseline(benchmark::State& state) {
  plainReadOf(state, ws->bitmapFile, bmp::kFileSize);
}

void registerAll() {
  struct Entry {
    const char* name;
    void (*fn)(benchmark::State&);
  };
  // Names are "<operation>/operation" and "<operation>/baseline"; bench/ratios.py
  // pairs them.
  const Entry entries[] = {
      {"open/operation", openOperation},
      {"open/baseline", openBaseline},
      {"save/operation", saveOperation},
      {"save/baseline", saveBaseline},
      {"export_raw/operation", exportRawOperation},
      {"export_raw/baseline", exportRawBaseline},
      {"export_bitmap/operation", exportBitmapOperation},
      {"export_bitmap/baseline", exportBitmapBaseline},
      {"import_raw/operation", importRawOperation},
      {"import_raw/baseline", importRawBaseline},
      {"import_bitmap/operation", importBitmapOperation},
      {"import_bitmap/baseline", importBitmapBaseline},
  };
  for (const Entry& e : entries)
    benchmark::RegisterBenchmark(e.name, e.fn)->UseRealTime()->Unit(benchmark::kMicrosecond);
}

}  // namespace
}  // namespace pt::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  try {
    pt::bench::Workspace workspace;
    pt::bench::ws = &workspace;
    pt::bench::registerAll();
    benchmark::AddCustomContext("bench_folder", workspace.dir.path().string());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    pt::bench::ws = nullptr;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "varnholt_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
