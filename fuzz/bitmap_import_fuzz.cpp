// The bitmap import on arbitrary bytes into one slot (FUZZ_SLOT): a refused
// file leaves the slot as it was; an accepted one keeps every array at its
// size and `used`, `dataSize` and `trailer` as they were.
#include "bitmap/bitmap_import.h"
#include "fuzz/fuzz_checks.h"
#include "sample/sample_container.h"

#ifndef FUZZ_SLOT
#define FUZZ_SLOT 0
#endif

using namespace pt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const PtFile sample = makeSamplePtFile();
  constexpr std::uint8_t index = FUZZ_SLOT;
  const PtSlot& was = sample.slots[index];
  PtSlot now = was;
  // Every palette, alpha and row choice in turn, by the input's length.
  ImportOptions options;
  options.palette = static_cast<PaletteChoice>(size % 3);
  options.alpha = static_cast<AlphaChoice>(size / 3 % 3);
  options.rows = static_cast<RowOrder>(size / 9 % 2);
  const auto r = importBitmapBytes({data, size}, now, index, options);
  fuzz::require(slotArraysComplete(now, index), "slot incomplete after import");
  if (!r) {
    fuzz::require(!r.error().detail.empty(), "refusal without a reason");
    fuzz::require(fuzz::sameSlot(now, was), "refused import changed the slot");
  } else {
    fuzz::require(now.used == was.used, "import changed used");
    fuzz::require(now.dataSize == was.dataSize, "import changed dataSize");
    fuzz::require(now.trailer == was.trailer, "import changed the trailer");
    fuzz::require((now.width == 128 && now.height == 128) || (now.width == 256 && now.height == 256),
                  "import gave a size outside 128x128 and 256x256");
  }
  return 0;
}
