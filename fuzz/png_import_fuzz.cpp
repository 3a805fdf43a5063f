// The PNG import on arbitrary bytes into a high-resolution slot, a
// low-resolution slot and slot 10, each with other options: a refused file
// leaves the slot as it was; an accepted one keeps every array at its size,
// `dataSize` and `trailer` as they were, and gives a 128 x 128 or 256 x 256
// used slot whose pixel data past a small picture is unchanged.
#include "sample/sample_container.h"
#include "fuzz/fuzz_checks.h"
#include "png/png_import.h"

using namespace pt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const PtFile sample = makeSamplePtFile();
  struct Case {
    std::uint8_t slot;
    ImportOptions options;
  };
  static const Case cases[] = {
      {0, {PaletteChoice::New, true, AlphaChoice::File}},
      {2, {PaletteChoice::Keep, false, AlphaChoice::Auto}},
      {10, {PaletteChoice::Auto, false, AlphaChoice::Slot}},
  };
  for (const Case& c : cases) {
    const PtSlot& was = sample.slots[c.slot];
    PtSlot now = was;
    const Result<ImportNotes> r = importPngBytes({data, size}, now, c.slot, c.options);
    fuzz::require(slotArraysComplete(now, c.slot), "slot arrays changed size");
    if (!r.ok()) {
      fuzz::require(!describe(r.error()).empty(), "refusal without a reason");
      fuzz::require(fuzz::sameSlot(now, was), "refused import changed the slot");
      continue;
    }
    fuzz::require(now.used == 1, "import did not mark the slot used");
    fuzz::require(now.dataSize == was.dataSize, "import changed dataSize");
    fuzz::require(now.trailer == was.trailer, "import changed the trailer");
    fuzz::require((now.width == 128 && now.height == 128) || (now.width == 256 && now.height == 256),
                  "import gave a size outside 128x128 and 256x256");
    if (c.options.palette == PaletteChoice::Keep)
      fuzz::require(now.palette == was.palette, "the kept palette changed");
    if (now.width == 128) {
      const Bytes a = fullPixelData(now);
      const Bytes b = fullPixelData(was);
      fuzz::require(std::equal(a.begin() + 16384, a.end(), b.begin() + 16384),
                    "pixel data past a 128x128 picture changed");
    }
  }
  return 0;
}
