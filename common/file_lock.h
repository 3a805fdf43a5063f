#pragma once
// An exclusive advisory lock (flock) on a file for the whole of a
// read-change-write, so that two processes working on one container do not
// lose an update.
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
  explicit FileLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace pt
