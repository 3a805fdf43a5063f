#pragma once
// Reading an 8-bit bitmap with alpha in its palette back into a slot.
#include <filesystem>
#include <span>

#include "common/error.h"
#include "container/pt_file.h"
#include "options/import_options.h"

namespace pt {

// Loads slot `index` from the bytes of a bitmap file (8-bit plain or RLE8,
// 24- or 32-bit): the picture is decoded (bitmap_decode.h) and brought into
// the slot as reconcilePicture (picture/picture.h) says. Bytes a plain
// 8-bit file holds past a 128 x 128 picture follow it; what the file does
// not reach keeps the slot's bytes. The whole file is checked first; a
// refusal (Invalid or Unsupported, with the reason) leaves the slot as it
// was. `used` is never changed.
Result<ImportNotes> importBitmapBytes(std::span<const std::uint8_t> bytes, PtSlot& slot,
                                      std::uint8_t index, const ImportOptions& options);

// The same from a file.
Result<ImportNotes> importBitmapFile(const std::filesystem::path& path, PtSlot& slot,
                                     std::uint8_t index, const ImportOptions& options);

}  // namespace pt
