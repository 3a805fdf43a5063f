// The bitmap import on arbitrary bytes into one slot (FUZZ_SLOT): a refused
// file leaves the slot as it was; an accepted one keeps every array at its
// size and `used`, `dataSize` and `trailer` as they were.
#include "bitmap/bitmap_import.h"
#include "container/sample_container.h"
#include "fuzz/fuzz_checks.h"

#ifndef FUZZ_SLOT
#define FUZZ_SLOT 0
#endif

using namespace pt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const PtFile sample = makeSamplePtFile();
  constexpr std::uint8_t slot = FUZZ_SLOT;
  PtFile file = sample;
  MemorySource source({data, size});
  const Outcome r = importBitmapFrom(source, file.slots[slot], slot);
  fuzz::require(isComplete(file), "container incomplete after import");
  const PtSlot &now = file.slots[slot], &was = sample.slots[slot];
  if (!r.ok) {
    fuzz::require(!r.reason.empty(), "refusal without a reason");
    fuzz::require(fuzz::sameSlot(now, was), "refused import changed the slot");
  } else {
    fuzz::require(now.used == was.used && now.dataSize == was.dataSize && now.trailer == was.trailer,
                  "import changed used, dataSize or trailer");
    fuzz::require((now.width == 128 && now.height == 128) || (now.width == 256 && now.height == 256),
                  "import gave a size outside 128x128 and 256x256");
  }
  for (std::size_t i = 0; i < kSlotCount; ++i)
    if (i != slot) fuzz::require(fuzz::sameSlot(file.slots[i], sample.slots[i]), "another slot changed");
  return 0;
}
