#pragma once
// Decoding a PNG held in memory into indices and a palette, or into RGBA.
#include <cstdint>
#include <span>

#include "common/error.h"
#include "container/pt_file.h"

namespace pt {

struct DecodedPng {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool indexed = false;
  // Indexed: the file has a tRNS chunk. Others: an alpha channel or a tRNS
  // colour key.
  bool hasAlpha = false;
  // Indexed pictures: one index per pixel (whatever the file's bit depth),
  // the PLTE entries as red, green, blue, and the tRNS alpha of the first
  // entries (fewer than the palette's, or none, when the file has fewer).
  Bytes indices;
  std::size_t paletteEntries = 0;
  Bytes paletteRgb;
  Bytes paletteAlpha;
  // Every other colour type: four bytes per pixel, red, green, blue, alpha.
  Bytes rgba;
};

// Damaged or foreign bytes (a chunk's length or checksum wrong, a tRNS
// before PLTE or longer than it, no IEND): ErrorKind::Invalid. A valid PNG of a size other
// than 256 x 256 or 128 x 128: ErrorKind::Unsupported. The file's header
// is checked before any picture memory is allocated.
Result<DecodedPng> decodePng(std::span<const std::uint8_t> bytes);

}  // namespace pt
