#pragma once
// A container's slots as a folder of files: export-all writes "slotNN.EXT"
// for every used slot and "manifest.json" beside them (batch/manifest.h),
// into a folder that is replaced whole (batch/export_all.h); import-all
// reads them back (batch/slot_folder.h).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "batch/manifest.h"
#include "batch/slot_folder.h"
#include "bitmap/bmp_header.h"
#include "common/error.h"
#include "common/user_prompt.h"
#include "container/pt_file.h"
#include "exchange/slot_files.h"

namespace pt {

std::string slotFileName(std::size_t slot, SlotFileFormat format);  // "slot07.png"

// Builds the files export-all writes for a container, every used slot's and
// then the manifest that records them, and hands each to `take` with its
// name in the folder; stops at the first error, of the build or of `take`.
using TakeFile = std::function<Status(const std::string& name, std::span<const std::uint8_t> bytes)>;
Status buildExportFiles(const PtFile& file, const std::string& containerName, SlotFileFormat format,
                        const BmpHeader* header, const TakeFile& take);

// Export of all slots of one container in memory into `folder`, replaced
// whole (exportContainersToFolders): every used slot's file and the
// manifest. When files stand at their places the prompt is asked once, with
// how many and the first few by name; No writes nothing (Declined). Returns
// the number of slot files written.
Result<std::size_t> exportSlotFolder(const PtFile& file, const std::string& containerName,
                                     const std::filesystem::path& folder, SlotFileFormat format,
                                     const BmpHeader* header, UserPrompt& prompt);

}  // namespace pt
