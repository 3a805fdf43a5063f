// Whole-folder writes on Windows.
#include <cerrno>
#include <cwctype>
#include <system_error>

#include "common/folders.h"
#include "common/temp_files.h"
#include "common/win32_support.h"

namespace pt {

namespace fs = std::filesystem;

// A named mutex per folder: its name comes from the folder's full path in
// upper case (names differing only in case are one folder on Windows).
// A mutex belongs to the thread that took it: a FolderLock is released on
// the thread that made it.
struct FolderLock::State {
  win32::Handle mutex{nullptr};
  bool owned = false;
  bool created = false;
  ~State() {
    if (owned) ReleaseMutex(mutex.get());
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
  std::error_code ec;
  if (fs::create_directories(folder, ec)) lock.s_->created = true;
  if (ec) return Error{ErrorKind::Io, utf8(folder) + ": " + ec.message(), ec.value()};
  std::wstring key = win32::systemPath(folder);
  for (auto& c : key) c = static_cast<wchar_t>(std::towupper(c));
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : key) {
    hash ^= static_cast<std::uint16_t>(c);
    hash *= 1099511628211ull;
  }
  wchar_t name[64];
  swprintf(name, 64, L"Local\\varnholt-folder-%016llx", static_cast<unsigned long long>(hash));
  lock.s_->mutex.reset(CreateMutexW(nullptr, FALSE, name));
  if (!lock.s_->mutex.valid()) return win32::lastError();
  const DWORD got = WaitForSingleObject(lock.s_->mutex.get(), wait ? INFINITE : 0);
  if (got == WAIT_TIMEOUT) return Error{ErrorKind::Busy, utf8(folder) + " is in use by another ptool", EBUSY};
  // An abandoned mutex: its holder ended without releasing it; ours now.
  if (got != WAIT_OBJECT_0 && got != WAIT_ABANDONED) return win32::lastError();
  lock.s_->owned = true;
  return lock;
}

Result<fs::path> makeStagingFolder(const fs::path& target) {
  const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  sweepStaleTemporaries(parent);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path staged = parent / detail::tempName(target.filename());
    detail::enterLive(staged);
    if (CreateDirectoryW(win32::systemPath(staged).c_str(), nullptr)) return staged;
    detail::leaveLive(staged);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return win32::lastError();
  }
  return errnoError(EEXIST);
}

Status replaceFolder(const fs::path& staged, const fs::path& target) {
  const std::wstring from = win32::systemPath(staged);
  const std::wstring to = win32::systemPath(target);
  const DWORD attributes = GetFileAttributesW(to.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return win32::lastError();
    detail::leaveLive(staged);
    return Status::success();
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return errnoError(ENOTDIR);
  const fs::path aside = target.parent_path() / detail::tempName(target.filename(), ".old");
  detail::enterLive(aside);
  const std::wstring asideName = win32::systemPath(aside);
  DWORD e = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (MoveFileExW(to.c_str(), asideName.c_str(), MOVEFILE_WRITE_THROUGH)) {
      e = ERROR_SUCCESS;
      break;
    }
    e = GetLastError();
    if (!win32::heldElsewhere(e)) break;
    win32::pause(100);
  }
  if (e != ERROR_SUCCESS) {
    if (win32::heldElsewhere(e)) return Error{ErrorKind::Busy, utf8(target) + ": a file in the folder is open in another program", EBUSY};
    return win32::systemError(e);
  }
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
    const Error failed = win32::lastError();
    MoveFileExW(asideName.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
    detail::leaveLive(aside);
    return failed;
  }
  detail::leaveLive(staged);
  return removeFolderTree(aside);
}

Status removeFolderTree(const fs::path& folder) {
  std::error_code ec;
  fs::remove_all(folder, ec);
  detail::leaveLive(folder);
  if (ec) return Error{ErrorKind::Io, utf8(folder) + ": " + ec.message(), ec.value()};
  return Status::success();
}

}  // namespace pt
