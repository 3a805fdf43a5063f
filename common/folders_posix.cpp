// Whole-folder writes on Linux and other POSIX systems.
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "common/folders.h"
#include "common/paths.h"
#include "common/temp_files.h"

namespace pt {

namespace fs = std::filesystem;

namespace detail {
mode_t currentUmask();
}

struct FolderLock::State {
  int fd = -1;
  bool created = false;
  ~State() {
    if (fd >= 0) ::close(fd);  // closing the last descriptor releases the lock
  }
};

FolderLock::FolderLock() = default;
FolderLock::FolderLock(FolderLock&&) noexcept = default;
FolderLock& FolderLock::operator=(FolderLock&&) noexcept = default;
FolderLock::~FolderLock() = default;
bool FolderLock::createdFolder() const { return s_ && s_->created; }

Result<FolderLock> FolderLock::exclusive(const fs::path& folder, bool wait) {
  FolderLock lock;
  lock.s_ = std::make_unique<State>();
  for (;;) {
    std::error_code ec;
    if (fs::create_directories(folder, ec)) lock.s_->created = true;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Error{errnoError(errno).kind, utf8(folder) + ": " + describe(errnoError(errno)), errno};
    int rc;
    while ((rc = ::flock(fd, wait ? LOCK_EX : LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
      const int e = errno;
      ::close(fd);
      if (e == EWOULDBLOCK) return Error{ErrorKind::Busy, utf8(folder) + " is in use by another ptool", e};
      return errnoError(e);
    }
    struct stat held {}, now {};
    const bool same = ::fstat(fd, &held) == 0 && ::stat(folder.c_str(), &now) == 0 &&
                      now.st_dev == held.st_dev && now.st_ino == held.st_ino;
    if (same) {
      lock.s_->fd = fd;
      return lock;
    }
    // The holder replaced (or removed) the folder while we waited.
    ::close(fd);
  }
}

Result<fs::path> makeStagingFolder(const fs::path& target) {
  const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  sweepStaleTemporaries(parent);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path staged = parent / detail::tempName(target.filename());
    detail::enterLive(staged);
    if (::mkdir(staged.c_str(), 0700) == 0) return staged;
    detail::leaveLive(staged);
    if (errno != EEXIST) return errnoError(errno);
  }
  return errnoError(EEXIST);
}

Status replaceFolder(const fs::path& staged, const fs::path& target) {
  struct stat st {};
  const bool exists = ::lstat(target.c_str(), &st) == 0;
  if (exists && !S_ISDIR(st.st_mode)) return errnoError(ENOTDIR);
  const mode_t mode = exists ? (st.st_mode & 07777) : (0777 & ~detail::currentUmask());
  if (::chmod(staged.c_str(), mode) != 0) return errnoError(errno);
  // The files in it, and its own entries, reach the disk before its name.
  detail::flushFolder(staged);
  const unsigned flags = exists ? RENAME_EXCHANGE : RENAME_NOREPLACE;
  if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, target.c_str(), flags) != 0) return errnoError(errno);
  if (!exists) detail::leaveLive(staged);
  detail::flushFolder(target.parent_path());
  // The earlier folder now has the staging name.
  if (exists) return removeFolderTree(staged);
  return Status::success();
}

Status removeFolderTree(const fs::path& folder) {
  std::error_code ec;
  fs::remove_all(folder, ec);
  detail::leaveLive(folder);
  if (ec) return Error{ErrorKind::Io, utf8(folder) + ": " + ec.message(), ec.value()};
  return Status::success();
}

}  // namespace pt
