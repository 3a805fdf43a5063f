#pragma once
// Exporting and importing one slot as a raw ".tex" file (palette, then all
// pixel data, nothing else) and exporting it as a bitmap.
#include <filesystem>

#include "bitmap/bmp_header.h"
#include "container/byte_source.h"
#include "container/outcome.h"
#include "container/pt_file.h"
#include "container/user_prompt.h"

namespace pt {

// Size of a raw file of a complete slot: 66560 bytes for every slot.
inline constexpr std::size_t kRawTexSize = kPaletteSize + kPixelDataSize;

Bytes buildRawTex(const PtSlot& slot);

// Exports need a used slot and the user's consent to replace an existing
// file; the file is replaced as a whole, and an input/output error is shown
// through the prompt.
Outcome exportRawTexFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                         UserPrompt& prompt);
Outcome exportBitmapFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                         const BmpHeader& header, UserPrompt& prompt, bool alphaView = false);

// Fills the slot's palette and pixel data from a raw file and marks it used;
// width and height stay. A file shorter than a raw slot is refused and leaves
// the slot unchanged; bytes after it are ignored.
Outcome importRawTexFile(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                         UserPrompt& prompt);
Outcome importRawTexFrom(ByteSource& source, PtSlot& slot, std::uint8_t index);

bool exportRawTex(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt);
bool exportBitmap(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  const BmpHeader& header, UserPrompt& prompt);
bool importRawTex(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt);

}  // namespace pt
