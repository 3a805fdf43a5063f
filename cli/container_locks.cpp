#include "cli/container_locks.h"

#include <sys/stat.h>

#include <algorithm>
#include <tuple>

namespace pt::cli {

Result<ContainerLocks> ContainerLocks::lock(const std::vector<std::filesystem::path>& paths) {
  struct Id {
    dev_t dev;
    ino_t ino;
    std::filesystem::path path;
  };
  std::vector<Id> ids;
  for (const auto& p : paths) {
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0) ids.push_back({st.st_dev, st.st_ino, p});
  }
  const auto key = [](const Id& i) { return std::tie(i.dev, i.ino); };
  std::sort(ids.begin(), ids.end(), [&](const Id& a, const Id& b) { return key(a) < key(b); });
  // Two locks on one file would wait for each other: flock locks belong to
  // the open file, not to the process.
  ids.erase(std::unique(ids.begin(), ids.end(), [&](const Id& a, const Id& b) { return key(a) == key(b); }),
            ids.end());
  ContainerLocks held;
  for (const auto& id : ids) {
    auto lock = FileLock::exclusive(id.path);
    if (!lock) return lock.error();
    held.locks_.push_back(std::move(*lock));
  }
  return held;
}

}  // namespace pt::cli
