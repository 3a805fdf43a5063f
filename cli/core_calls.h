#pragma once
// The core routines ptool calls, each as a value that carries its reason:
// reading and saving a container, and exporting a slot as a file. Slot files
// by extension come from exchange/slot_files.h.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "common/error.h"
#include "common/user_prompt.h"
#include "container/pt_file.h"
#include "exchange/slot_files.h"
#include "options/import_options.h"

namespace pt::cli {

Result<PtFile> readContainer(const std::filesystem::path& path);

// Asks through the prompt before an existing file is replaced; a kept file
// is refused with the hint to --force.
Status saveContainer(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt);

// pt::exportSlotFile (a bitmap with the template the program ships with),
// with the same hint.
Status exportSlot(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  SlotFileFormat format, bool alphaView, UserPrompt& prompt);

// Writes a file as the exports do (asks before replacing, refuses what is
// not a regular file, flushed).
Status writeAskedFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                      UserPrompt& prompt);

}  // namespace pt::cli
