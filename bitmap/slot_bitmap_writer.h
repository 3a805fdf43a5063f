#pragma once
// A slot as an 8-bit bitmap whose palette keeps the alpha values.
#include <filesystem>
#include <optional>

#include "bitmap/bmp_header.h"
#include "common/file_io.h"
#include "container/pt_file.h"

namespace pt {

// The bitmap file's bytes: template header, palette as blue, green, red,
// alpha (in the alpha view grey = alpha), then all of the slot's pixel data.
Bytes buildSlotBitmap(const PtFile& file, std::uint8_t slot, const BmpHeader& header,
                      bool alphaView);

// Writes buildSlotBitmap to path, replacing any file there as a whole. For the
// preview, which is written anew before every show: it is not flushed to disk
// (a flush costs milliseconds per click and buys nothing for a file nobody
// keeps); exports go through exportSlotFile, which flushes.
Status writeSlotBitmap(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                       const BmpHeader& header, bool alphaView);

}  // namespace pt
