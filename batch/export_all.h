#pragma once
// Export of all slots of many containers at once (ptool export-all) and of
// the window's open container ("Export all slots"): every used slot of each
// container as a slot file plus its manifest (buildExportFiles), encoded on
// every core and written through the batch writer, which flushes once per
// few hundred files, into a staged folder per container; only when every
// file of every container is on disk is each container's folder replaced
// whole (FolderExport). Every container is read and every folder checked
// before anything is written.
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "bitmap/bmp_header.h"
#include "common/error.h"
#include "container/pt_file.h"
#include "exchange/slot_files.h"

namespace pt {

// The folder of each container: `dir` itself for one, `dir`/<its name
// without extension> for several. Invalid when a name would make a folder
// outside `dir` (empty, ".", "..", or with a separator) or two containers
// would share one.
Result<std::vector<std::filesystem::path>> exportFolders(const std::vector<std::filesystem::path>& containers,
                                                         const std::filesystem::path& dir);

struct ContainerExport {
  std::filesystem::path container;  // read from this file, unless `file` is given; its name goes into the manifest
  std::filesystem::path folder;     // replaced whole
  const PtFile* file = nullptr;     // the container already in memory
};

struct ContainerError {
  std::size_t index;  // in the containers given
  Error error;
};

struct ExportAllResult {
  // Found before anything was written: containers that cannot be read, and
  // one line per folder that may not be replaced.
  std::vector<ContainerError> unreadable;
  std::vector<std::string> refusals;
  // Containers whose files could not be built, each with its reason
  // (folders shown as the user named them); then no folder is replaced.
  std::vector<ContainerError> failed;
  // What stopped the export otherwise: the header template, making the
  // staged folders, the writer, putting a folder in place.
  Status stopped = Status::success();
  // The first `placed` containers, in the order given, have their new folder.
  std::size_t placed = 0;

  bool ok() const { return unreadable.empty() && refusals.empty() && failed.empty() && stopped.ok(); }
};

// Exports every container into its folder. `replace`: a folder holding an
// earlier export may be replaced; anything else in a folder refuses it.
// `header`: for bitmaps; when null, the program's own (slotFileHeader).
ExportAllResult exportContainersToFolders(const std::vector<ContainerExport>& containers, SlotFileFormat format,
                                          const BmpHeader* header, bool replace);

}  // namespace pt
