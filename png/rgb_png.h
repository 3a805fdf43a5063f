#pragma once
// A truecolour picture as a PNG (the slot writer only writes indexed ones).
#include <cstdint>
#include <span>

#include "common/bytes.h"
#include "common/error.h"

namespace pt {

// `rgb`: three bytes per pixel, rows top-down.
Result<Bytes> encodeRgbPng(std::span<const std::uint8_t> rgb, std::uint32_t width, std::uint32_t height);

}  // namespace pt
