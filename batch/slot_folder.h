#pragma once
// A folder of slot files read back into a container (import-all and the
// window's "Import all slots"): the files its manifest.json names, or
// without one every slotNN.png, .bmp or .tex in it. The folder is locked
// (FolderLock) while it is read, so an export-all replacing it waits; only
// regular files inside it are read, never a symbolic link; a file that does
// not match what the manifest records of it stops the import.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "batch/manifest.h"
#include "common/error.h"
#include "common/folders.h"
#include "common/paths.h"
#include "container/pt_file.h"
#include "options/import_options.h"

namespace pt {

struct SlotFile {
  std::uint8_t slot;
  std::filesystem::path path;  // inside the folder
};

struct LoadedSlotFile {
  SlotFile file;
  ImportNotes notes;
};

struct FolderImport {
  std::vector<LoadedSlotFile> loaded;
  // One error per file refused (its detail names the slot), or the folder's
  // own; any refusal leaves the container as it was.
  std::vector<Error> refusals;
};

class SlotFolder {
 public:
  // Locks the folder and lists its slot files, sorted by slot. Refused: a
  // folder that is not one, a manifest that is damaged or too large, two
  // files for one slot (without a manifest), and a folder with nothing to
  // import ("nothing to import from DIR").
  static Result<SlotFolder> open(const std::filesystem::path& folder);

  // Every file into `file`, all or nothing; every refusal is listed.
  FolderImport importInto(PtFile& file, const ImportOptions& options) const;

 private:
  SlotFolder(std::filesystem::path folder, FolderLock lock, std::vector<ManifestEntry> files)
      : folder_(std::move(folder)), lock_(std::move(lock)), files_(std::move(files)) {}
  std::filesystem::path folder_;
  FolderLock lock_;
  std::vector<ManifestEntry> files_;
};

// SlotFolder::open and importInto in one; a refused folder is one refusal.
FolderImport importSlotFolder(PtFile& file, const std::filesystem::path& folder, const ImportOptions& options);

}  // namespace pt
