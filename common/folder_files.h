#pragma once
// What the batch commands need of folders beyond folders.h
// (folder_files.cpp, with folder_files_posix.cpp or folder_files_win32.cpp):
// - StagingFolder: a staging folder (makeStagingFolder) that belongs to an
//   object: removed with what it holds when the object goes, unless it was
//   put in place, and on SIGINT, SIGTERM and SIGHUP (POSIX) or Ctrl+C,
//   Ctrl+Break and closing the console (Windows); only a kill leaves it, for the sweep of a later run (sweepStaleTemporaries).
// - readFileInFolder: a regular file that lies in the folder itself, never
//   reached through a symbolic link.
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

#include "common/bytes.h"
#include "common/error.h"

namespace pt {

namespace detail {
// A staging folder in the list of every one this process made: the list
// only grows (entries are retired, never freed), so that the system's
// handler for an interruption may walk it at any moment without a lock.
struct StagingEntry {
  std::filesystem::path staged;
  std::filesystem::path dying;  // POSIX: where the signal handler moves it before removing it
  std::atomic<bool> live{true};  // true until it is removed or put in place
  StagingEntry* next = nullptr;
};
// The newest entry, the head of the list.
StagingEntry* stagingFolders();
// Set by the handler before it walks the list: no staging folder is kept after.
extern std::atomic<bool> stagingStopping;
// Installs the system's handler that removes the live staging folders when
// the process is interrupted; called once, before the first is made.
void guardStagingFolders();
}  // namespace detail

class StagingFolder {
 public:
  // makeStagingFolder(target), guarded.
  static Result<StagingFolder> beside(const std::filesystem::path& target);

  StagingFolder(StagingFolder&& other) noexcept;
  StagingFolder& operator=(StagingFolder&& other) noexcept;
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;
  ~StagingFolder();

  const std::filesystem::path& path() const;

  // replaceFolder(path(), target): a missing target is made, an existing
  // folder exchanged in one step and then removed. A signal meanwhile
  // removes whichever folder has the staging name, so the target holds the
  // earlier folder or the new one.
  Status replace(const std::filesystem::path& target);

 private:
  explicit StagingFolder(detail::StagingEntry* entry) : entry_(entry) {}
  detail::StagingEntry* entry_ = nullptr;
};

struct FileHead {
  Bytes bytes;             // the first bytes, at most the number asked
  std::uint64_t size = 0;  // the whole file's size
};

// Reads at most maxBytes of the file `name` in `folder`. Refused
// (NotAFile, with the reason): a name that is not a plain name in the
// folder, a symbolic link, anything but a regular file.
Result<FileHead> readFileInFolder(const std::filesystem::path& folder, const std::string& name,
                                  std::size_t maxBytes);

}  // namespace pt
