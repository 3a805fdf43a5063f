#include "cli/container_locks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace pt::cli {

ContainerLocks::ContainerLocks(ContainerLocks&& other) noexcept : fds_(std::exchange(other.fds_, {})) {}
ContainerLocks& ContainerLocks::operator=(ContainerLocks&& other) noexcept {
  std::swap(fds_, other.fds_);
  return *this;
}
ContainerLocks::~ContainerLocks() {
  for (int fd : fds_) ::close(fd);
}

Result<ContainerLocks> ContainerLocks::lock(std::vector<std::filesystem::path> paths) {
  ContainerLocks locks;
  struct Id {
    dev_t dev;
    ino_t ino;
    std::filesystem::path path;
  };
  std::vector<Id> ids;
  for (const auto& p : paths) {
    struct stat st {};
    if (::stat(p.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    ids.push_back({st.st_dev, st.st_ino, p});
  }
  std::sort(ids.begin(), ids.end(), [](const Id& a, const Id& b) {
    return std::tie(a.dev, a.ino) < std::tie(b.dev, b.ino);
  });
  ids.erase(std::unique(ids.begin(), ids.end(),
                        [](const Id& a, const Id& b) { return a.dev == b.dev && a.ino == b.ino; }),
            ids.end());
  for (const auto& id : ids) {
    // A save replaces the file by a new one: once the lock is ours, make sure
    // the path still names the file locked, or lock the new one.
    for (;;) {
      const int fd = ::open(id.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
      if (fd < 0) return errnoError(errno);
      if (::flock(fd, LOCK_EX) != 0) {
        const int e = errno;
        ::close(fd);
        return errnoError(e);
      }
      struct stat held {}, now {};
      if (::fstat(fd, &held) == 0 && ::stat(id.path.c_str(), &now) == 0 &&
          held.st_dev == now.st_dev && held.st_ino == now.st_ino) {
        locks.fds_.push_back(fd);
        break;
      }
      ::close(fd);
    }
  }
  return locks;
}

}  // namespace pt::cli
