// The raw import on arbitrary bytes into a normal slot and into slot 10.
#include "container/sample_container.h"
#include "exchange/slot_files.h"
#include "fuzz/fuzz_checks.h"

using namespace pt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const PtFile sample = makeSamplePtFile();
  for (std::uint8_t slot : {std::uint8_t{3}, std::uint8_t{10}}) {
    PtFile file = sample;
    MemorySource source({data, size});
    const Outcome r = importRawTexFrom(source, file.slots[slot], slot);
    fuzz::require(isComplete(file), "container incomplete after raw import");
    const PtSlot &now = file.slots[slot], &was = sample.slots[slot];
    if (!r.ok) {
      fuzz::require(fuzz::sameSlot(now, was), "refused raw import changed the slot");
      fuzz::require(size < kRawTexSize, "refused a file long enough");
    } else {
      fuzz::require(now.used == 1 && now.width == was.width && now.height == was.height &&
                        now.trailer == was.trailer,
                    "raw import changed what it must keep");
      fuzz::require(buildRawTex(now) == Bytes(data, data + kRawTexSize), "raw import misplaced bytes");
    }
  }
  return 0;
}
