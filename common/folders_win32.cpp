// Whole-folder writes on Windows.
#include <cerrno>
#include <cwctype>
#include <future>
#include <thread>

#include "common/folders.h"
#include "common/temp_files.h"
#include "common/win32_support.h"

namespace pt {

namespace fs = std::filesystem;

namespace detail {

namespace {

// A named mutex belongs to the thread that took it, and only that thread
// can release it; a FolderLock may be dropped on any thread. So a thread of
// its own takes the mutex, holds it and releases it when told.
struct MutexHold final : FolderHold {
  std::promise<void> release;
  std::thread holder;
  ~MutexHold() override {
    release.set_value();
    holder.join();
  }
};

}  // namespace

// A named mutex per folder: its name comes from the folder's full path in
// upper case (names differing only in case are one folder on Windows).
Result<std::unique_ptr<FolderHold>> holdFolder(const fs::path& folder, bool wait) {
  std::wstring key = win32::systemPath(folder);
  for (auto& c : key) c = static_cast<wchar_t>(std::towupper(c));
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (wchar_t c : key) {
    hash ^= static_cast<std::uint16_t>(c);
    hash *= 1099511628211ull;
  }
  wchar_t name[64];
  swprintf(name, 64, L"Local\\varnholt-folder-%016llx", static_cast<unsigned long long>(hash));
  win32::Handle mutex(CreateMutexW(nullptr, FALSE, name));
  if (!mutex.valid()) return win32::lastError();
  struct Taken {
    DWORD wait, error;
  };
  std::promise<Taken> taken;
  std::future<Taken> got = taken.get_future();
  auto hold = std::make_unique<MutexHold>();
  hold->holder = std::thread([mutex = std::move(mutex), wait, taken = std::move(taken),
                              released = hold->release.get_future()]() mutable {
    const DWORD w = WaitForSingleObject(mutex.get(), wait ? INFINITE : 0);
    taken.set_value(Taken{w, GetLastError()});
    // An abandoned mutex: its holder ended without releasing it; ours now.
    if (w != WAIT_OBJECT_0 && w != WAIT_ABANDONED) return;
    released.wait();
    ReleaseMutex(mutex.get());
  });
  const Taken t = got.get();
  if (t.wait == WAIT_TIMEOUT) return Error{ErrorKind::Busy, utf8(folder) + " is in use by another ptool", EBUSY};
  if (t.wait != WAIT_OBJECT_0 && t.wait != WAIT_ABANDONED) return win32::systemError(t.error);
  return std::unique_ptr<FolderHold>(std::move(hold));
}

Status makeOwnFolder(const fs::path& folder) {
  if (!CreateDirectoryW(win32::systemPath(folder).c_str(), nullptr)) return win32::lastError();
  return Status::success();
}

}  // namespace detail

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
    detail::leaveLive(aside);
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

}  // namespace pt
