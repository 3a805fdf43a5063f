#pragma once
// An exclusive lock on a file for the whole of a read-change-write, so that
// two processes working on one container do not lose an update. POSIX: an
// advisory flock; Windows: LockFileEx on a byte past any data, polled (a
// blocked waiter under Wine may never wake after the file was replaced).
#include <cstdint>
#include <filesystem>

#include "common/error.h"

namespace pt {

class FileLock {
 public:
  FileLock() = default;
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

  // Waits until no other process holds the file at path, then holds it until
  // destroyed. safeWriteFile replaces a file by renaming a new one over it,
  // so a waiter that wakes on a file no longer at the path locks the new one
  // instead. A missing file gives a lock that holds nothing (nothing to
  // protect yet).
  static Result<FileLock> exclusive(const std::filesystem::path& path);

  bool holdsFile() const { return fd_ >= 0; }

 private:
  explicit FileLock(std::intptr_t fd);
  std::intptr_t fd_ = -1;  // a descriptor, or a Windows handle
};

}  // namespace pt
