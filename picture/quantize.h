#pragma once
// Bringing an RGBA picture to 256 palette entries with alpha.
#include <cstdint>
#include <span>

#include "common/error.h"
#include "container/pt_file.h"

namespace pt {

struct Quantized {
  Bytes palette;  // 1024 bytes, entries alpha, red, green, blue
  std::size_t colours = 0;  // entries the picture uses a colour of; the rest are zero
  Bytes indices;  // one per pixel
};

// A new palette of at most 256 entries, each with its own alpha, chosen by
// libimagequant; `dither` spreads the error (Floyd-Steinberg).
Result<Quantized> quantizeRgba(std::span<const std::uint8_t> rgba, std::uint32_t width,
                               std::uint32_t height, bool dither);

// Indices into a given palette (1024 bytes, alpha, red, green, blue), which
// is returned unchanged: each pixel takes the nearest entry (the first of
// equal ones), optionally with Floyd-Steinberg dithering. A pixel whose
// `fixed` value is an index (0..255; -1 or an empty span: none) keeps it,
// and neither takes nor spreads error; nor does a fully transparent one
// spread any.
Quantized remapToPalette(std::span<const std::uint8_t> rgba, std::uint32_t width,
                         std::uint32_t height, std::span<const std::uint8_t> palette, bool dither,
                         std::span<const std::int16_t> fixed = {});

}  // namespace pt
