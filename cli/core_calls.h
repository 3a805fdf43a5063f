#pragma once
// The core routines ptool calls, each as a value that carries its reason:
// reading and saving a container, and exporting a slot as a file. Slot files
// by extension come from exchange/slot_files.h.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "bitmap/bmp_header.h"
#include "common/error.h"
#include "container/pt_file.h"
#include "common/user_prompt.h"
#include "options/import_options.h"
#include "batch/slot_batch.h"

namespace pt::cli {

Result<PtFile> readContainer(const std::filesystem::path& path);

// Asks through the prompt before an existing file is replaced.
Status saveContainer(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt);

// Export of one slot as the window does it: asks before replacing, flushed.
Status exportSlotFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                      SlotFileFormat format, const BmpHeader* header, bool alphaView,
                      UserPrompt& prompt);

// Writes a file as the exports do (asks before replacing, refuses what is
// not a regular file, flushed).
Status writeAskedFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                      UserPrompt& prompt);

// The bitmap header template beside the program, with the reason it is
// missing or unfit.
Result<BmpHeader> headerBesideProgram();

}  // namespace pt::cli
