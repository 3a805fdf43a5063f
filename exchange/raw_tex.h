#pragma once
// Raw ".tex" slot files: the slot's palette, then all of its pixel data,
// nothing else.
#include <filesystem>
#include <span>

#include "common/error.h"
#include "container/pt_file.h"
#include "options/import_options.h"

namespace pt {

// Size of a raw file of a complete slot: 66560 bytes for every slot.
inline constexpr std::size_t kRawTexSize = kPaletteSize + kPixelDataSize;

Bytes buildRawTex(const PtSlot& slot);

// Loads a slot from the bytes of a raw file: the palette, then the
// pixel data (slot 10: `pixels`, then `extra`), as far as the bytes reach;
// what they do not reach keeps its contents, bytes after kRawTexSize are
// ignored. Marks the slot used; width and height stay. Never refuses;
// notes.bytesFromFile tells how many bytes were taken.
ImportNotes importRawTexBytes(std::span<const std::uint8_t> bytes, PtSlot& slot);

// The same from a file; only an input/output error refuses.
Result<ImportNotes> importRawTexFile(const std::filesystem::path& path, PtSlot& slot);

}  // namespace pt
