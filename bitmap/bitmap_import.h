#pragma once
// Reading an 8-bit bitmap with alpha in its palette back into a slot.
#include <filesystem>

#include "container/byte_source.h"
#include "container/outcome.h"
#include "container/pt_file.h"
#include "container/user_prompt.h"

namespace pt {

// Checks the whole bitmap first and replaces the slot's palette, pixel data
// and size in one step; a refused or unreadable file leaves the slot as it
// was. `used` is never changed. Pixel entries the file does not reach hold 15;
// palette bytes and slot 10's second pixel part it does not reach keep their
// earlier contents.
Outcome importBitmapFrom(ByteSource& source, PtSlot& slot, std::uint8_t index);

// The import of a bitmap file into slot `slot` of `file`.
Outcome importBitmapFile(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                         UserPrompt& prompt);

bool importBitmap(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt);

}  // namespace pt
