#include "png/png_import.h"

#include <algorithm>
#include <string>

#include "common/file_io.h"
#include "picture/picture.h"
#include "png/png_decode.h"

namespace pt {

namespace {

Picture pictureOf(DecodedPng&& png) {
  Picture p;
  p.side = png.width;
  p.indexed = png.indexed;
  if (png.indexed) {
    for (std::size_t n = 0; n < png.paletteEntries; ++n) {
      const auto rgb = png.paletteRgb.begin() + 3 * static_cast<std::ptrdiff_t>(n);
      p.palette.insert(p.palette.end(), rgb, rgb + 3);
      p.palette.push_back(n < png.paletteAlpha.size() ? png.paletteAlpha[n] : 255);
    }
    p.indices = std::move(png.indices);
  } else {
    p.rgba = std::move(png.rgba);
  }
  if (!png.hasAlpha) {
    p.alpha = FileAlpha::Dropped;
    p.alphaWhy = png.indexed ? "the indexed PNG has no tRNS chunk" : "the PNG has no alpha channel";
  }
  return p;
}

}  // namespace

Result<ImportNotes> importPngBytes(std::span<const std::uint8_t> bytes, PtSlot& slot,
                                   std::uint8_t index, const ImportOptions& options) {
  if (bytes.size() > kMaxPngFileSize)
    return Error{ErrorKind::Unsupported, "the file has more than " + std::to_string(kMaxPngFileSize) +
                                             " bytes; PNG files over " + std::to_string(kMaxPngFileSize >> 20) +
                                             " MB are not imported"};
  if (index >= kSlotCount || !slotArraysComplete(slot, index))
    return Error{ErrorKind::Incomplete, "the slot's data is incomplete"};
  Result<DecodedPng> decoded = decodePng(bytes);
  if (!decoded) return decoded.error();
  const Picture picture = pictureOf(std::move(*decoded));
  Result<Reconciled> reconciled = reconcilePicture(picture, slot, index, options);
  if (!reconciled) return reconciled.error();
  // Everything after the picture (a 128 x 128 slot's other 49152 bytes) keeps its bytes.
  storePicture(slot, index, picture.side, *reconciled);
  slot.used = 1;
  ImportNotes notes;
  notes.lines = std::move(reconciled->notes);
  notes.quantized = reconciled->quantized;
  return notes;
}

Result<ImportNotes> importPngFile(const std::filesystem::path& path, PtSlot& slot,
                                  std::uint8_t index, const ImportOptions& options) {
  auto bytes = readFileHead(path, kMaxPngFileSize + 1);
  if (!bytes) return bytes.error();
  return importPngBytes(*bytes, slot, index, options);
}

}  // namespace pt
