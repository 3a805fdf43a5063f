#pragma once
// A container's slots as a folder of files. export-all writes "slotNN.EXT"
// for every used slot and "manifest.json" beside them:
//   {"container": NAME, "slots": [{"slot": n, "used": 0|1, "width": w,
//    "height": h, "file": "slotNN.EXT" or null}, ...]}
// import-all reads the files a manifest names, or without one every
// slotNN.png, .bmp or .tex of the folder.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "bitmap/bmp_header.h"
#include "common/error.h"
#include "container/pt_file.h"
#include "exchange/slot_files.h"
#include "options/import_options.h"

namespace pt {

inline constexpr const char* kManifestName = "manifest.json";

std::string slotFileName(std::size_t slot, SlotFileFormat format);  // "slot07.png"
std::string buildManifest(const std::string& containerName, const PtFile& file, SlotFileFormat format);

// Builds the files export-all writes for a container, every used slot's and
// then the manifest, and hands each to `take` with its name in the folder;
// stops at the first error, of the build or of `take`.
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

// Makes the folder and writes every file through one batch (BatchWriter,
// replacing what stands there). A target that is not a regular file stops
// the export before the first write.
Status writePlannedFiles(const std::filesystem::path& folder, const std::vector<PlannedFile>& files);

struct SlotFile {
  std::uint8_t slot;
  std::filesystem::path path;  // inside the folder
};

// The slot files a folder offers, sorted by slot; two files for one slot
// (without a manifest) are an error.
Result<std::vector<SlotFile>> slotFilesIn(const std::filesystem::path& folder);

struct LoadedSlotFile {
  SlotFile file;
  ImportNotes notes;
};

struct FolderImport {
  std::vector<LoadedSlotFile> loaded;
  // One line per file refused, or the folder's own reason; any refusal
  // leaves the container as it was.
  std::vector<std::string> refusals;
};

// The files into `file`, all or nothing.
FolderImport importSlotFiles(PtFile& file, const std::vector<SlotFile>& files, const ImportOptions& options);

// Every slot file of the folder (slotFilesIn) into `file`, all or nothing.
FolderImport importSlotFolder(PtFile& file, const std::filesystem::path& folder,
                              const ImportOptions& options);

}  // namespace pt
