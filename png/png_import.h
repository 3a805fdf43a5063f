#pragma once
// Reading any PNG of 256 x 256 or 128 x 128 pixels into a slot.
#include <cstdint>
#include <filesystem>
#include <span>

#include "common/error.h"
#include "container/pt_file.h"
#include "options/import_options.h"

namespace pt {

// Files larger than this are refused before they are decoded (read, for
// importPngFile).
inline constexpr std::size_t kMaxPngFileSize = 8 << 20;

// Decodes the whole file first and brings the picture into the slot as
// reconcilePicture (picture/picture.h) says, marking it used; a refused
// file leaves the slot as it was. A 128 x 128 picture fills the first 16384
// bytes of the pixel data; the rest keeps what it held.
Result<ImportNotes> importPngBytes(std::span<const std::uint8_t> bytes, PtSlot& slot,
                                   std::uint8_t index, const ImportOptions& options);

Result<ImportNotes> importPngFile(const std::filesystem::path& path, PtSlot& slot,
                                  std::uint8_t index, const ImportOptions& options);

}  // namespace pt
