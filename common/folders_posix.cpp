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

namespace {
struct FlockHold final : FolderHold {
  explicit FlockHold(int fd) : fd(fd) {}
  ~FlockHold() override { ::close(fd); }  // closing the last descriptor releases the lock
  int fd;
};
}  // namespace

// flock on the folder, checked again after waiting.
Result<std::unique_ptr<FolderHold>> holdFolder(const fs::path& folder, bool wait) {
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
  const bool same = ::fstat(fd, &held) == 0 && ::stat(folder.c_str(), &now) == 0 && now.st_dev == held.st_dev &&
                    now.st_ino == held.st_ino;
  if (!same) {  // the holder replaced (or removed) the folder while we waited
    ::close(fd);
    return std::unique_ptr<FolderHold>();
  }
  return std::unique_ptr<FolderHold>(std::make_unique<FlockHold>(fd));
}

Status makeOwnFolder(const fs::path& folder) {
  if (::mkdir(folder.c_str(), 0700) != 0) return errnoError(errno);
  return Status::success();
}

}  // namespace detail

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

}  // namespace pt
