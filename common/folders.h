#pragma once
// Whole folders written as one: a lock on a folder for the batch commands,
// a private staging folder to fill, and the step that puts it in place of
// the earlier folder so that a reader (or a crash) sees one or the other,
// never a mixture.
//
// Use: lock the target folder; makeStagingFolder(target); write the files
// into the staging folder (BatchWriter); replaceFolder(staged, target);
// release the lock. On a failure, removeFolderTree(staged).
#include <filesystem>
#include <functional>
#include <memory>

#include "common/error.h"

namespace pt {

class FolderLock {
 public:
  FolderLock();
  FolderLock(FolderLock&&) noexcept;
  FolderLock& operator=(FolderLock&&) noexcept;
  ~FolderLock();

  // Waits until no other process holds the folder at `folder`, then holds it
  // until destroyed; with `wait` false, answers ErrorKind::Busy at once
  // instead. The lock belongs to the folder's name, not to the folder that
  // stood there: when the holder replaces the folder (replaceFolder), the
  // next holder holds the new one. A missing folder is created first, with
  // its parents.
  // POSIX: flock on the folder, checked again after waiting; Windows: a
  // named mutex derived from the folder's full path.
  static Result<FolderLock> exclusive(const std::filesystem::path& folder, bool wait = true);

  struct State;

 private:
  std::unique_ptr<State> s_;
};

// A new, empty folder beside `target`, readable by the owner only until it
// is put in place, named like a temporary file ("<prefix><name>.<pid>.<n>.tmp")
// so that the sweep (sweepStaleTemporaries) removes it when its process died.
// `naming`, when given, is told each name before the folder is made.
Result<std::filesystem::path> makeStagingFolder(
    const std::filesystem::path& target, const std::function<void(const std::filesystem::path&)>& naming = {});

// Puts the folder `staged` in place of `target` in one step and removes the
// earlier folder, if any. The new folder gets the earlier one's permission
// bits, or 0777 less the umask. Flushed to disk before it returns.
// Linux: renameat2(RENAME_EXCHANGE), or a plain rename when no folder stood
// there. Windows, which cannot exchange two names: the earlier folder is
// renamed aside ("<prefix><name>.<pid>.<n>.old") and the new one renamed
// into place; a crash between the two leaves the earlier folder aside, and
// the sweep of a later run puts it back.
Status replaceFolder(const std::filesystem::path& staged, const std::filesystem::path& target);

// Removes a folder and everything in it (links are removed, not followed).
Status removeFolderTree(const std::filesystem::path& folder);

namespace detail {
// The system's hold on a folder's lock, given up when destroyed, on any
// thread.
struct FolderHold {
  virtual ~FolderHold() = default;
};
// Takes the lock of the existing folder `folder` (see FolderLock::exclusive);
// null when the folder was replaced or removed while waiting, to be made and
// taken again.
Result<std::unique_ptr<FolderHold>> holdFolder(const std::filesystem::path& folder, bool wait);
// Makes the folder `folder`, readable by its owner only; EEXIST when the
// name is taken.
Status makeOwnFolder(const std::filesystem::path& folder);
}  // namespace detail

}  // namespace pt
