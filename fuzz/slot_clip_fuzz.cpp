// Pasting arbitrary bytes as a copied slot into a normal slot and into
// slot 10: a refusal has a reason and leaves the slot as it was; an accepted
// paste keeps every array at its size, the trailer and dataSize as they were,
// and copies back to exactly the pasted bytes.
#include "container/slot_clip.h"
#include "fuzz/fuzz_checks.h"
#include "sample/sample_container.h"

using namespace pt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const PtFile sample = makeSamplePtFile();
  for (std::uint8_t index : {std::uint8_t{3}, std::uint8_t{10}}) {
    const PtSlot& was = sample.slots[index];
    PtSlot now = was;
    const Status pasted = pasteSlotClip({data, size}, now, index);
    fuzz::require(slotArraysComplete(now, index), "slot arrays changed size");
    if (!pasted) {
      fuzz::require(!describe(pasted.error()).empty(), "refusal without a reason");
      fuzz::require(fuzz::sameSlot(now, was), "refused paste changed the slot");
      continue;
    }
    fuzz::require(now.trailer == was.trailer, "paste changed the trailer");
    fuzz::require(now.dataSize == was.dataSize, "paste changed dataSize");
    fuzz::require(encodeSlotClip(now) == Bytes(data, data + size), "paste is not exact");
  }
  return 0;
}
