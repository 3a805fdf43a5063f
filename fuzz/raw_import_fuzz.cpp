// The raw import on arbitrary bytes into a normal slot and into slot 10: the
// file's bytes land in palette, pixels and extra in that order, the rest of
// the slot keeps its contents.
#include <algorithm>

#include "exchange/raw_tex.h"
#include "fuzz/fuzz_checks.h"
#include "sample/sample_container.h"

using namespace pt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const PtFile sample = makeSamplePtFile();
  for (std::uint8_t index : {std::uint8_t{3}, std::uint8_t{10}}) {
    const PtSlot& was = sample.slots[index];
    PtSlot now = was;
    const ImportNotes notes = importRawTexBytes({data, size}, now);
    fuzz::require(slotArraysComplete(now, index), "slot incomplete after raw import");
    fuzz::require(notes.bytesFromFile == std::min(size, kRawTexSize), "bytes taken");
    fuzz::require(now.used == 1, "raw import left the slot unused");
    fuzz::require(now.width == was.width, "raw import changed the width");
    fuzz::require(now.height == was.height, "raw import changed the height");
    fuzz::require(now.trailer == was.trailer, "raw import changed the trailer");
    const Bytes before = buildRawTex(was);
    const Bytes after = buildRawTex(now);
    const std::size_t n = notes.bytesFromFile.value_or(0);
    fuzz::require(std::equal(data, data + n, after.begin()), "raw import misplaced the file's bytes");
    fuzz::require(std::equal(before.begin() + static_cast<std::ptrdiff_t>(n), before.end(),
                             after.begin() + static_cast<std::ptrdiff_t>(n)),
                  "raw import changed bytes past the file's");
  }
  return 0;
}
