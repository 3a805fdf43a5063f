#include "common/container_locks.h"

#include <algorithm>
#include <tuple>

#include "common/file_io.h"

namespace pt {

Result<ContainerLocks> ContainerLocks::lock(const std::vector<std::filesystem::path>& paths) {
  struct Id {
    FileId file;
    std::filesystem::path path;
  };
  std::vector<Id> ids;
  for (const auto& p : paths)
    if (auto file = fileIdentity(p)) ids.push_back({*file, p});
  const auto key = [](const Id& i) { return i.file; };
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

}  // namespace pt
