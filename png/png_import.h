#pragma once
// Reading any PNG of 256 x 256 or 128 x 128 pixels into a slot.
#include <cstdint>
#include <filesystem>
#include <span>

#include "common/error.h"
#include "container/pt_file.h"
#include "options/import_options.h"

namespace pt {

// Files larger than this are refused before they are read.
inline constexpr std::size_t kMaxPngFileSize = 8 << 20;

// Decodes the whole file first and replaces the slot's palette, picture and
// size in one step, marking it used; a refused file leaves the slot as it
// was. An indexed picture brings its palette (PLTE, alpha from tRNS, 255
// where tRNS has no value) and its indices one to one; palette entries past
// a short PLTE keep the slot's. Other pictures are quantized into a new
// palette or mapped onto the slot's; with PaletteChoice::Keep an indexed
// picture is mapped too, unless its entries already are the slot's (then its
// indices stay). keepAlpha takes each entry's alpha from the slot and applies
// to indexed pictures only: a quantized palette has no entries in common
// with the slot's, and a kept palette keeps its alpha anyway.
// A 128 x 128 picture fills the first 16384 bytes of the pixel data; the
// rest keeps what it held.
Result<ImportNotes> importPngBytes(std::span<const std::uint8_t> bytes, PtSlot& slot,
                                   std::uint8_t index, const ImportOptions& options);

Result<ImportNotes> importPngFile(const std::filesystem::path& path, PtSlot& slot,
                                  std::uint8_t index, const ImportOptions& options);

}  // namespace pt
