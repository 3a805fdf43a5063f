#pragma once
// Reading an 8-bit bitmap with alpha in its palette back into a slot.
#include <filesystem>
#include <span>

#include "common/error.h"
#include "container/pt_file.h"
#include "common/user_prompt.h"
#include "options/import_options.h"

namespace pt {

// Loads slot `index` from the bytes of a bitmap file: palette, pixel data and
// size. The whole file is checked first; a refusal (Invalid or Unsupported,
// with the reason) leaves the slot as it was. `used` is never changed. A
// picture smaller than the slot (128 x 128) fills the start of the pixel
// data and the rest holds 15; slot 10's second part keeps what the file does
// not reach.
Result<ImportNotes> importBitmapBytes(std::span<const std::uint8_t> bytes, PtSlot& slot,
                                      std::uint8_t index, const ImportOptions& options);

// The same from a file.
Result<ImportNotes> importBitmapFile(const std::filesystem::path& path, PtSlot& slot,
                                     std::uint8_t index, const ImportOptions& options);

// The import command's routine: importBitmapFile with default options as a
// yes/no result. Shows nothing.
bool importBitmap(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt);

}  // namespace pt
