// Whole-folder writes: what every system does alike. The lock itself, the
// new folder and the replacement are the system's (folders_posix.cpp,
// folders_win32.cpp).
#include "common/folders.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include "common/paths.h"
#include "common/temp_files.h"

namespace pt {

namespace fs = std::filesystem;

struct FolderLock::State {
  std::unique_ptr<detail::FolderHold> hold;
};

FolderLock::FolderLock() = default;
FolderLock::FolderLock(FolderLock&&) noexcept = default;
FolderLock& FolderLock::operator=(FolderLock&&) noexcept = default;
FolderLock::~FolderLock() = default;

Result<FolderLock> FolderLock::exclusive(const fs::path& folder, bool wait) {
  FolderLock lock;
  lock.s_ = std::make_unique<State>();
  for (;;) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return Error{ErrorKind::Io, utf8(folder) + ": " + ec.message(), ec.value()};
    auto held = detail::holdFolder(folder, wait);
    if (!held) return held.error();
    if (*held) {
      lock.s_->hold = std::move(*held);
      return lock;
    }
  }
}

Result<fs::path> makeStagingFolder(const fs::path& target, const std::function<void(const fs::path&)>& naming) {
  const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  sweepStaleTemporaries(parent);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path staged = parent / detail::tempName(target.filename());
    detail::enterLive(staged);
    if (naming) naming(staged);
    const Status made = detail::makeOwnFolder(staged);
    if (made) return staged;
    detail::leaveLive(staged);
    if (made.error().code != EEXIST) return made.error();
  }
  return errnoError(EEXIST);
}

Status removeFolderTree(const fs::path& folder) {
  std::error_code ec;
  fs::remove_all(folder, ec);
  detail::leaveLive(folder);
  if (ec) return Error{ErrorKind::Io, utf8(folder) + ": " + ec.message(), ec.value()};
  return Status::success();
}

}  // namespace pt
