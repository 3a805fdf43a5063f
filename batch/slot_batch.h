#pragma once
// A container's slots as a folder of files: export-all writes "slotNN.EXT"
// for every used slot and "manifest.json" beside them (batch/manifest.h),
// into a folder that is replaced whole (batch/folder_export.h); import-all
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

// One file export-all writes: its place in the folder and its bytes.
struct PlannedFile {
  std::filesystem::path path;
  Bytes bytes;
};

// Every used slot's file and the manifest, in `folder`; nothing is written.
Result<std::vector<PlannedFile>> planExport(const PtFile& file, const std::string& containerName,
                                            const std::filesystem::path& folder, SlotFileFormat format,
                                            const BmpHeader* header);

// The planned files that something already stands at.
std::vector<std::filesystem::path> existingTargets(const std::vector<PlannedFile>& files);

// Replaces the folder whole with the planned files (FolderExport: an
// earlier export there goes, anything else in it refuses the export).
Status writePlannedFiles(const std::filesystem::path& folder, const std::vector<PlannedFile>& files);

// Export of all slots of one container into `folder`, replaced whole: every
// used slot's file and the manifest. When files stand at their places the
// prompt is asked once, with how many and the first few by name; No writes
// nothing (Declined). Returns the number of slot files written.
Result<std::size_t> exportSlotFolder(const PtFile& file, const std::string& containerName,
                                     const std::filesystem::path& folder, SlotFileFormat format,
                                     const BmpHeader* header, UserPrompt& prompt);

}  // namespace pt
