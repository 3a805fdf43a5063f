#include "png/contact_sheet.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "png/rgb_png.h"

namespace pt {

namespace {

std::uint8_t backdrop(std::uint32_t x, std::uint32_t y) { return ((x / 8 + y / 8) % 2) ? 0x99 : 0x66; }

void drawSlot(const PtSlot& slot, Bytes& rgb, std::uint32_t sheetWidth,
              std::uint32_t left, std::uint32_t top, std::uint32_t cell) {
  const Bytes pixels = fullPixelData(slot);
  const std::uint32_t side = isLowRes(slot.height) ? kLowResWidth : kHighResSide;
  for (std::uint32_t y = 0; y < cell; ++y) {
    const std::uint32_t sy = y * side / cell;
    for (std::uint32_t x = 0; x < cell; ++x) {
      const std::uint8_t* entry = &slot.palette[4 * pixels[sy * side + x * side / cell]];
      const unsigned alpha = entry[0];
      std::uint8_t* out = &rgb[3 * ((top + y) * std::size_t{sheetWidth} + left + x)];
      const unsigned under = backdrop(left + x, top + y);
      for (int c = 0; c < 3; ++c)
        out[c] = static_cast<std::uint8_t>((entry[1 + c] * alpha + under * (255 - alpha) + 127) / 255);
    }
  }
}

}  // namespace

Result<Bytes> contactSheetPng(const PtFile& file, std::uint32_t size) {
  std::vector<std::size_t> used;
  for (std::size_t i = 0; i < kSlotCount; ++i)
    if (file.slots[i].used == 1) used.push_back(i);
  std::uint32_t columns = 1;
  std::uint32_t rows = 1;
  std::uint32_t cell = std::min(size, 32u);  // no used slot: a small grey sheet
  if (!used.empty()) {
    columns = static_cast<std::uint32_t>(std::ceil(std::sqrt(static_cast<double>(used.size()))));
    rows = static_cast<std::uint32_t>((used.size() + columns - 1) / columns);
    cell = size / columns;
  }
  const std::uint32_t width = columns * cell;
  const std::uint32_t height = rows * cell;
  Bytes rgb(std::size_t{width} * height * 3, 0x80);
  for (std::size_t k = 0; k < used.size(); ++k)
    drawSlot(file.slots[used[k]], rgb, width, static_cast<std::uint32_t>(k % columns) * cell,
             static_cast<std::uint32_t>(k / columns) * cell, cell);
  return encodeRgbPng(rgb, width, height);
}

}  // namespace pt
