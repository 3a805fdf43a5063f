#pragma once
// The used slots of a container as one truecolour picture, for file
// managers' thumbnails.
#include <cstdint>

#include "common/error.h"
#include "container/pt_file.h"

namespace pt {

// A PNG of at most size x size pixels: the used slots in a square-ish grid
// of equal cells, each slot scaled by nearest neighbour, its alpha shown over
// a grey checkerboard of 8-pixel squares; with no used slot a small grey
// sheet. `size` is at least 1.
Result<Bytes> contactSheetPng(const PtFile& file, std::uint32_t size);

}  // namespace pt
