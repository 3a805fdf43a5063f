#pragma once
// Slot files in every format, chosen by format or by a file name's
// extension: one export and one import entry per format, and the export and
// import routines of the window's commands.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "bitmap/bmp_header.h"
#include "common/error.h"
#include "container/pt_file.h"
#include "common/user_prompt.h"
#include "exchange/raw_tex.h"  // buildRawTex, for the raw export
#include "options/import_options.h"

namespace pt {

enum class SlotFileFormat { Tex, Bmp, Png };

// The format a file name's extension names (any letter case), if any.
std::optional<SlotFileFormat> slotFileFormatOf(const std::filesystem::path& path);
const char* extensionOf(SlotFileFormat format);  // ".tex", ".bmp", ".png"

// The bytes of a used slot's file; NotUsed for an unused slot. `header` is
// needed for bitmaps only.
Result<Bytes> slotFileBytes(const PtFile& file, std::uint8_t slot, SlotFileFormat format,
                            const BmpHeader* header, bool alphaView);

// Import of one slot from a file; a refused file leaves the slot as it was.
Result<ImportNotes> importSlotFile(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                                  SlotFileFormat format, const ImportOptions& options);

// Writes `content` (a slot file built from slot `slot`) to path. NotUsed when
// the slot holds no texture (nothing asked, nothing written); Declined when
// the answer to "File exists. Overwrite?" is No; otherwise the operating
// system's error. The file is replaced as a whole and flushed. Shows nothing.
Status exportSlotFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                      std::span<const std::uint8_t> content, UserPrompt& prompt);

// The written status, after showing the operating system's refusal through
// the prompt with the application's title (not a used-slot or overwrite No).
Status showingIoError(Status written, UserPrompt& prompt);

// The commands' yes/no routines. An input/output error of an export is shown
// through the prompt with the application's title; imports show nothing.
bool exportRawTex(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt);
bool exportBitmap(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  const BmpHeader& header, UserPrompt& prompt);
bool importRawTex(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt);

// Export of a used slot to a PNG file: asks before an existing file is
// replaced, writes the file as a whole and flushed.
Status exportSlotPng(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                     UserPrompt& prompt, bool alphaView = false);

}  // namespace pt
