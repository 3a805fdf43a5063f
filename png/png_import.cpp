#include "png/png_import.h"

#include <algorithm>
#include <cerrno>
#include <string>

#include "common/file_io.h"
#include "png/png_decode.h"
#include "png/quantize.h"

namespace pt {

namespace {

bool allAlphaZero(const Bytes& palette) {
  for (std::size_t n = 0; n < kPaletteEntries; ++n)
    if (palette[4 * n] != 0) return false;
  return true;
}

// The indexed picture's palette over the slot's: entries the file has take
// its colours and its alpha (255 without a tRNS value, the slot's with
// keepAlpha); entries past a short PLTE keep the slot's, so that a picture
// saved with fewer colours leaves the rest of the palette alone.
Bytes mergePalette(const DecodedPng& png, const Bytes& slotPalette, bool keepAlpha) {
  Bytes palette = slotPalette;
  for (std::size_t n = 0; n < png.paletteEntries; ++n) {
    if (!keepAlpha) palette[4 * n] = n < png.paletteAlpha.size() ? png.paletteAlpha[n] : 255;
    std::copy_n(&png.paletteRgb[3 * n], 3, &palette[4 * n + 1]);
  }
  return palette;
}

// The colours of an indexed picture as RGBA, for mapping onto another palette.
// Indices past the palette read as opaque black.
Bytes expandIndexed(const DecodedPng& png) {
  Bytes rgba(png.indices.size() * 4);
  for (std::size_t i = 0; i < png.indices.size(); ++i) {
    const std::size_t n = png.indices[i];
    std::uint8_t* p = &rgba[4 * i];
    if (n < png.paletteEntries) std::copy_n(&png.paletteRgb[3 * n], 3, p);
    p[3] = n < png.paletteEntries && n < png.paletteAlpha.size() ? png.paletteAlpha[n] : 255;
  }
  return rgba;
}

// True when every entry the file has is the slot's entry at the same place:
// the picture was exported from this palette and its indices can stay.
bool sameEntries(const DecodedPng& png, const Bytes& slotPalette) {
  const Bytes merged = mergePalette(png, slotPalette, false);
  return merged == slotPalette;
}

}  // namespace

Result<ImportNotes> importPngBytes(std::span<const std::uint8_t> bytes, PtSlot& slot,
                                   std::uint8_t index, const ImportOptions& options) {
  if (index >= kSlotCount || !slotArraysComplete(slot, index))
    return Error{ErrorKind::Incomplete, "the slot's data is incomplete"};
  Result<DecodedPng> decoded = decodePng(bytes);
  if (!decoded) return decoded.error();
  const DecodedPng& png = *decoded;

  ImportNotes notes;
  Bytes palette, indices;
  if (png.indexed && (options.palette == PaletteChoice::New || sameEntries(png, slot.palette))) {
    palette = mergePalette(png, slot.palette, options.keepAlpha);
    indices = png.indices;
  } else if (options.palette == PaletteChoice::Keep) {
    const Bytes expanded = png.indexed ? expandIndexed(png) : Bytes{};
    const Bytes& rgba = png.indexed ? expanded : png.rgba;
    Quantized q = remapToPalette(rgba, png.width, png.height, slot.palette, options.dither);
    palette = std::move(q.palette);
    indices = std::move(q.indices);
    notes.quantized = true;
  } else {
    Result<Quantized> q = quantizeRgba(png.rgba, png.width, png.height, options.dither);
    if (!q) return q.error();
    // Entries the quantizer did not need keep the slot's.
    palette = slot.palette;
    std::copy_n(q->palette.begin(), 4 * q->colours, palette.begin());
    indices = std::move(q->indices);
    notes.quantized = true;
  }
  notes.alphaDropped = allAlphaZero(palette) && !allAlphaZero(slot.palette);

  // The picture is the start of the pixel data, which slot 10 splits into
  // `pixels` and `extra`; everything after the picture keeps its bytes.
  Bytes pixels = slot.pixels, extra = slot.extra;
  const std::size_t inPixels = std::min(indices.size(), pixels.size());
  std::copy_n(indices.begin(), inPixels, pixels.begin());
  std::copy(indices.begin() + static_cast<std::ptrdiff_t>(inPixels), indices.end(), extra.begin());

  const bool low = png.width == 128;
  slot.width = low ? kLowResWidth : kHighResSide;
  slot.height = low ? kLowResHeightImported : kHighResSide;
  slot.palette = std::move(palette);
  slot.pixels = std::move(pixels);
  slot.extra = std::move(extra);
  slot.used = 1;
  return notes;
}

Result<ImportNotes> importPngFile(const std::filesystem::path& path, PtSlot& slot,
                                  std::uint8_t index, const ImportOptions& options) {
  auto bytes = readFileHead(path, kMaxPngFileSize + 1);
  if (!bytes) return bytes.error();
  if (bytes->size() > kMaxPngFileSize)
    return Error{ErrorKind::Unsupported, "the file has more than " +
                                             std::to_string(kMaxPngFileSize) +
                                             " bytes; PNG files over " +
                                             std::to_string(kMaxPngFileSize >> 20) +
                                             " MB are not imported"};
  return importPngBytes(*bytes, slot, index, options);
}

}  // namespace pt
