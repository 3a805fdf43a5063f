#pragma once
// A deterministic container with recognisable pictures, for tests, benchmarks
// and demonstrations. The program itself never needs it.
#include "container/pt_file.h"

namespace pt {

// Slots that hold no texture, and slots stored at low resolution.
inline constexpr std::size_t kSampleUnusedSlots[] = {3, 7, 15};
inline constexpr std::size_t kSampleLowResSlots[] = {2, 5, 12, 18};

PtFile makeSamplePtFile();
Bytes makeSampleContainer();  // the same in file layout, 1409024 bytes

}  // namespace pt
