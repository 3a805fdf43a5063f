#include "bitmap/slot_bitmap_writer.h"

#include <algorithm>
#include <cmath>

#include "bitmap/le_bytes.h"

namespace pt {

Bytes buildSlotBitmap(const PtFile& file, std::uint8_t slot, const BmpHeader& header,
                      bool alphaView) {
  const PtSlot& s = file.slots[slot];
  Bytes out(header.begin(), header.end());
  out.reserve(bmp::kFileSize);
  for (std::size_t n = 0; n < kPaletteEntries; ++n) {
    const std::uint8_t a = s.palette[4 * n];
    std::uint8_t r = s.palette[4 * n + 1], g = s.palette[4 * n + 2], b = s.palette[4 * n + 3];
    if (alphaView) {
      const auto grey = static_cast<std::uint8_t>(std::nearbyint(a / 255.0 * 255.0));
      r = g = b = grey;
    }
    out.insert(out.end(), {b, g, r, a});
  }
  out.insert(out.end(), s.pixels.begin(), s.pixels.end());
  if (slot == kSplitSlot) out.insert(out.end(), s.extra.begin(), s.extra.end());

  const std::int32_t height = isLowRes(s.height) ? -128 : -static_cast<std::int32_t>(s.height);
  writeLe32(out, bmp::kFileSizeAt, static_cast<std::uint32_t>(bmp::kFileSize));
  writeLe32(out, bmp::kWidthAt, static_cast<std::uint32_t>(static_cast<std::int32_t>(s.width)));
  writeLe32(out, bmp::kHeightAt, static_cast<std::uint32_t>(height));
  writeLe32(out, bmp::kImageSizeAt, static_cast<std::uint32_t>(kPixelDataSize));
  return out;
}

Status writeSlotBitmap(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                       const BmpHeader& header, bool alphaView) {
  return safeWriteFile(path, buildSlotBitmap(file, slot, header, alphaView), Durability::Scratch);
}

}  // namespace pt
