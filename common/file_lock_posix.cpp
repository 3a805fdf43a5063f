// Container locks on Linux and other POSIX systems: flock.
#include "common/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace pt {

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
FileLock::FileLock(std::intptr_t fd) : fd_(fd) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(static_cast<int>(fd_));
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(static_cast<int>(fd_));  // closing the last descriptor releases the lock
}

Result<FileLock> FileLock::exclusive(const std::filesystem::path& path) {
  for (;;) {
    // Non-blocking, so that a named pipe cannot hang the open; a file the
    // user may write but not read is locked through a write descriptor.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      if (errno == ENOENT) return FileLock();
      return errnoError(errno);
    }
    int rc;
    while ((rc = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
      const int e = errno;
      ::close(fd);
      return errnoError(e);
    }
    struct stat held {}, now {};
    if (::fstat(fd, &held) != 0) {
      const int e = errno;
      ::close(fd);
      return errnoError(e);
    }
    const bool same = ::stat(path.c_str(), &now) == 0 && now.st_dev == held.st_dev &&
                      now.st_ino == held.st_ino;
    if (same) return FileLock(fd);
    // Another process replaced (or removed) the file while we waited.
    ::close(fd);
  }
}

}  // namespace pt
