// Staging folders tied to their object, alike on every system; the handler
// that removes them on an interruption, and the reads inside a folder, are
// the system's (folder_files_posix.cpp, folder_files_win32.cpp).
#include "common/folder_files.h"

#include <mutex>
#include <utility>

#include "common/folders.h"
#include "common/paths.h"
#include "common/temp_files.h"

namespace pt {

namespace fs = std::filesystem;

namespace {

std::once_flag guarded;
std::atomic<detail::StagingEntry*> stagingList{nullptr};

Error withPath(const fs::path& path, const Error& e) {
  return Error{e.kind, utf8(path) + ": " + describe(e), e.code};
}

}  // namespace

std::atomic<bool> detail::stagingStopping{false};

detail::StagingEntry* detail::stagingFolders() { return stagingList.load(); }

// Each name is listed before its folder is made, so that a handler on this
// thread never finds the folder made but unlisted. A handler on another
// thread may walk the list before a folder is listed; it marks the process
// as stopping first, and a folder made meanwhile is removed here.
Result<StagingFolder> StagingFolder::beside(const fs::path& target) {
  std::call_once(guarded, detail::guardStagingFolders);
  detail::StagingEntry* e = nullptr;
  auto staged = makeStagingFolder(target, [&](const fs::path& name) {
    if (e) e->live = false;  // a name already taken; entries are never reused
    e = new detail::StagingEntry;
    e->staged = name;
    e->dying = name.parent_path() / detail::tempName(target.filename());
    e->next = stagingList.load();
    while (!stagingList.compare_exchange_weak(e->next, e)) {
    }
  });
  if (!staged) {
    if (e) e->live = false;
    return withPath(target, staged.error());
  }
  StagingFolder folder(e);
  if (detail::stagingStopping.load()) return Error{ErrorKind::Io, utf8(target) + ": interrupted"};
  return folder;
}

StagingFolder::StagingFolder(StagingFolder&& other) noexcept : entry_(std::exchange(other.entry_, nullptr)) {}

StagingFolder& StagingFolder::operator=(StagingFolder&& other) noexcept {
  if (this != &other) {
    this->~StagingFolder();
    entry_ = std::exchange(other.entry_, nullptr);
  }
  return *this;
}

// The entry stays live while its folder is removed, so that a handler
// running meanwhile (a signal on this thread, a console event on another)
// removes it as well; each removal bears the other's. Retired only after.
StagingFolder::~StagingFolder() {
  if (!entry_ || !entry_->live) return;
  (void)removeFolderTree(entry_->staged);
  entry_->live = false;
}

const fs::path& StagingFolder::path() const { return entry_->staged; }

Status StagingFolder::replace(const fs::path& target) {
  Status replaced = replaceFolder(entry_->staged, target);
  if (!replaced) return withPath(target, replaced.error());
  entry_->live = false;
  return replaced;
}

}  // namespace pt
