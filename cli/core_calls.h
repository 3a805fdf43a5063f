#pragma once
// The core routines ptool calls, each as a value that carries its reason:
// reading and saving a container, and a slot as a file in each format.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "bitmap/bmp_header.h"
#include "common/error.h"
#include "container/pt_file.h"
#include "container/user_prompt.h"
#include "exchange/import_options.h"

namespace pt::cli {

enum class SlotFormat { Tex, Bmp, Png };

// The format a file name's extension names (any letter case), if any.
std::optional<SlotFormat> formatOf(const std::filesystem::path& path);
const char* extensionOf(SlotFormat format);  // ".tex", ".bmp", ".png"

Result<PtFile> readContainer(const std::filesystem::path& path);

// Asks through the prompt before an existing file is replaced.
Status saveContainer(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt);

// The bytes of a used slot's file; NotUsed for an unused slot. `header` is
// needed for bitmaps only.
Result<Bytes> slotFileBytes(const PtFile& file, std::uint8_t slot, SlotFormat format,
                            const BmpHeader* header, bool alphaView);

// Export of one slot as the window does it: asks before replacing, flushed.
Status exportSlotFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                      SlotFormat format, const BmpHeader* header, bool alphaView,
                      UserPrompt& prompt);

// Import of one slot from a file; a refused file leaves the slot as it was.
Result<ImportNotes> importSlotFile(PtFile& file, std::uint8_t slot,
                                   const std::filesystem::path& path, SlotFormat format,
                                   const ImportOptions& options);

// The bitmap header template beside the program, with the reason it is
// missing or unfit.
Result<BmpHeader> headerBesideProgram();

}  // namespace pt::cli
