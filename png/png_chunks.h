#pragma once
// The chunk structure of a PNG file, checked before it is decoded.
#include <cstdint>
#include <span>

#include "common/error.h"

namespace pt {

// Walks every chunk from the signature to IEND and refuses (Invalid, with
// the chunk and the reason) a length that leaves the file, a checksum that
// does not match, a tRNS before PLTE or with more entries than PLTE, and a
// file that ends before IEND. The decoder is trusted with the rest.
Status checkPngChunks(std::span<const std::uint8_t> bytes);

}  // namespace pt
