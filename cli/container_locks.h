#pragma once
// Exclusive locks on the containers a command reads, changes and writes
// back, held until the command ends, so that two commands on one container
// run one after the other and neither loses the other's change.
#include <filesystem>
#include <vector>

#include "common/error.h"

namespace pt::cli {

class ContainerLocks {
 public:
  ContainerLocks() = default;
  ContainerLocks(ContainerLocks&&) noexcept;
  ContainerLocks& operator=(ContainerLocks&&) noexcept;
  ~ContainerLocks();

  // Locks each existing file of `paths` (a file that does not exist yet
  // needs none), in one fixed order whatever the order given, so that two
  // commands locking the same two files cannot wait for each other.
  static Result<ContainerLocks> lock(std::vector<std::filesystem::path> paths);

 private:
  std::vector<int> fds_;
};

}  // namespace pt::cli
