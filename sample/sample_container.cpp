#include "sample/sample_container.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "container/pt_writer.h"

namespace pt {

namespace {

bool contains(std::span<const std::size_t> list, std::size_t v) {
  return std::find(list.begin(), list.end(), v) != list.end();
}

// Palette index at (x, y) of a side x side picture; the pattern depends on the slot.
std::uint8_t patternAt(std::size_t slot, int x, int y, int side) {
  const double c = side / 2.0;
  switch (slot % 5) {
    case 0:  // horizontal gradient
      return static_cast<std::uint8_t>(x * 255 / (side - 1));
    case 1: {  // checkerboard of eight squares a side, shaded by row
      const int cell = side / 8;
      return static_cast<std::uint8_t>(((x / cell + y / cell) % 2) ? 230 : 20 + y * 100 / side);
    }
    case 2: {  // concentric rings
      const double r = std::hypot(x - c, y - c);
      return static_cast<std::uint8_t>(static_cast<int>(r * 8 * 256 / side) % 256);
    }
    case 3:  // diagonal stripes
      return static_cast<std::uint8_t>((((x + y) / (side / 16)) % 2) ? 200 : 40);
    default:  // vertical gradient
      return static_cast<std::uint8_t>(y * 255 / (side - 1));
  }
}

Bytes samplePalette(std::size_t slot) {
  Bytes p(kPaletteSize);
  for (std::size_t n = 0; n < kPaletteEntries; ++n) {
    const double t = n / 255.0;
    const double phase = slot * 0.7;
    p[4 * n] = static_cast<std::uint8_t>(n);  // alpha ramps with the index
    p[4 * n + 1] = static_cast<std::uint8_t>(127.5 + 127.5 * std::sin(6.283 * t + phase));
    p[4 * n + 2] = static_cast<std::uint8_t>(127.5 + 127.5 * std::sin(6.283 * t + phase + 2.094));
    p[4 * n + 3] = static_cast<std::uint8_t>(127.5 + 127.5 * std::sin(6.283 * t + phase + 4.189));
  }
  return p;
}

Bytes samplePixelData(std::size_t slot, bool low) {
  Bytes data(kPixelDataSize);
  const int side = low ? 128 : 256;
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) data[y * side + x] = patternAt(slot, x, y, side);
  // What lies after a low-resolution picture must survive too: make it distinct.
  for (std::size_t i = static_cast<std::size_t>(side) * side; i < kPixelDataSize; ++i)
    data[i] = static_cast<std::uint8_t>((i * 13 + slot) ^ 0x5A);
  return data;
}

Bytes patterned(std::size_t size, std::uint8_t seed, std::uint8_t step) {
  Bytes b(size);
  for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<std::uint8_t>(seed + step * i + (i >> 8));
  return b;
}

}  // namespace

PtFile makeSamplePtFile() {
  PtFile f;
  f.headerBlock = patterned(kHeaderSize, 0x10, 7);
  std::copy(std::begin(kMagic), std::end(kMagic), f.headerBlock.begin());
  f.preFlagByte1 = 0xA1;
  f.preFlagByte2 = 0xA2;
  f.postFlagByte1 = 0xB1;
  f.postFlagByte2 = 0xB2;
  f.gapBlock = patterned(kGapSize, 0x66, 3);
  f.tailBlock = patterned(kTailSize, 0xC3, 11);
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    PtSlot& s = f.slots[i];
    const bool low = contains(kSampleLowResSlots, i);
    s.used = contains(kSampleUnusedSlots, i) ? 0 : 1;
    setSlotResolution(s, low);
    s.dataSize = static_cast<std::int32_t>(kPixelDataSize);
    s.palette = samplePalette(i);
    Bytes data = samplePixelData(i, low);
    s.pixels.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(pixelsLength(i)));
    s.extra.assign(data.begin() + static_cast<std::ptrdiff_t>(pixelsLength(i)), data.end());
    s.trailer = patterned(kTrailerSize, static_cast<std::uint8_t>(0xE0 + i), 1);
  }
  return f;
}

Bytes makeSampleContainer() { return serializePtFile(makeSamplePtFile()); }

}  // namespace pt
