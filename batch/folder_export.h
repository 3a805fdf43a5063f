#pragma once
// The folders of an export of all slots: each container's folder is
// replaced whole or not at all. Its files are written into a staged folder
// beside it (common/folders.h), and only when every file of every container
// is written and flushed is each staged folder put in place in one step: a
// failure, a signal or a kill at any moment leaves each container's folder
// as the complete earlier export or the complete new one, and a folder that
// was new complete or absent.
//
// Because the whole folder is replaced, a container's folder may hold only
// an export's files (manifest.json, slotNN.png/.bmp/.tex) and temporary
// files; anything else in it is refused, never deleted. While the export
// runs each existing folder is locked (FolderLock), so that an import-all or
// a second export-all waits for it; a folder that another export makes
// meanwhile stops this one.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/error.h"
#include "common/folder_files.h"
#include "common/folders.h"

namespace pt {

class FolderExport {
 public:
  // `replace`: a folder holding an earlier export may be replaced (--force).
  explicit FolderExport(bool replace) : replace_(replace) {}
  FolderExport(const FolderExport&) = delete;
  FolderExport& operator=(const FolderExport&) = delete;
  // Removes the staged folders not put in place, and the folders made for
  // them when none was.
  ~FolderExport();

  // A container's folder; returns its index.
  std::size_t add(const std::filesystem::path& folder);

  // Makes the missing parents, locks each existing folder, removes what
  // killed exports left beside them, checks what the folders hold and
  // stages a folder for each. Returns one line per refusal (empty: the files
  // may be written), or the error that stopped it.
  Result<std::vector<std::string>> prepare();

  // Where the files of folder `index` are written until place().
  const std::filesystem::path& staged(std::size_t index) const;

  // The error with each staged folder's path shown as its folder's, for
  // the user, who never sees the staged names.
  Error named(Error error) const;

  // Puts every staged folder in place, in the order added, and flushes
  // their parents; stops at the first failure.
  Status place();
  std::size_t placed() const { return placed_; }

 private:
  struct Target {
    std::filesystem::path folder, real;  // as given; with every link resolved
    bool exists = false;
    std::optional<FolderLock> lock;
    std::optional<StagingFolder> staged;
  };
  std::vector<std::string> check(const Target& t) const;

  bool replace_;
  std::vector<Target> targets_;
  std::filesystem::path created_, innermost_;  // the folders made for the staged ones, outermost and innermost
  std::size_t placed_ = 0;
};

}  // namespace pt
