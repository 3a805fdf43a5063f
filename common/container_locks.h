#pragma once
// Exclusive locks on the containers a command reads, changes and writes
// back, held until the command ends, so that two commands on one container
// run one after the other and neither loses the other's change.
#include <filesystem>
#include <vector>

#include "common/error.h"
#include "common/file_lock.h"

namespace pt {

class ContainerLocks {
 public:
  // Locks each file of `paths` (a file that does not exist yet needs none),
  // each file once however many paths name it, in one fixed order whatever
  // the order given, so that two commands locking the same two files cannot
  // wait for each other.
  static Result<ContainerLocks> lock(const std::vector<std::filesystem::path>& paths);

 private:
  std::vector<FileLock> locks_;
};

}  // namespace pt
