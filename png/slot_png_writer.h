#pragma once
// Writing a slot as an indexed PNG whose palette keeps the alpha values.
#include <cstdint>

#include "common/error.h"
#include "container/pt_file.h"

namespace pt {

// The slot as an 8-bit indexed PNG: 256 palette entries with their alpha in
// tRNS, 256 x 256 pixels, or the 128 x 128 picture of a low-resolution slot
// (the first 16384 bytes of its pixel data). In the alpha view every entry's
// colour is the grey level of its alpha; the alpha itself stays.
// Incomplete when the slot lacks the container's array sizes; the encoder's
// own reason when it fails.
Result<Bytes> encodeSlotPng(const PtSlot& slot, std::uint8_t index, bool alphaView);

}  // namespace pt
