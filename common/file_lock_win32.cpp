// Container locks on Windows: LockFileEx on one byte far past any data, so
// that readers of the data are never in its way, taken without waiting and
// polled (under Wine a blocked waiter may never wake after the holder
// replaced the file). The handle shares reading, writing and deleting, so
// that the holder itself can still replace the file (ReplaceFileW).
#include <utility>

#include "common/file_lock.h"
#include "common/win32_support.h"

namespace pt {

namespace {

constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;  // the byte at 2^63 - 2^32

void unlockAndClose(std::intptr_t fd) {
  if (fd == -1) return;
  const HANDLE h = reinterpret_cast<HANDLE>(fd);
  OVERLAPPED at{};
  at.OffsetHigh = kLockOffsetHigh;
  UnlockFileEx(h, 0, 1, 0, &at);
  CloseHandle(h);
}

bool sameFile(HANDLE h, const std::filesystem::path& path) {
  BY_HANDLE_FILE_INFORMATION held{}, now{};
  const win32::Handle current = win32::openForInfo(path);
  return current.valid() && GetFileInformationByHandle(h, &held) &&
         GetFileInformationByHandle(current.get(), &now) &&
         held.dwVolumeSerialNumber == now.dwVolumeSerialNumber && held.nFileIndexHigh == now.nFileIndexHigh &&
         held.nFileIndexLow == now.nFileIndexLow;
}

}  // namespace

FileLock::FileLock(std::intptr_t fd) : fd_(fd) {}
FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    unlockAndClose(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FileLock::~FileLock() { unlockAndClose(fd_); }

Result<FileLock> FileLock::exclusive(const std::filesystem::path& path) {
  const std::wstring name = win32::systemPath(path);
  for (int held = 0;; ++held) {
    win32::Handle h(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) {
      const DWORD e = GetLastError();
      if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return FileLock();
      // Another program holds the file without letting others read it.
      if (e == ERROR_SHARING_VIOLATION && held < 50) {
        win32::pause(100);
        continue;
      }
      if (e == ERROR_SHARING_VIOLATION) return win32::heldByAnotherProgram(path);
      return win32::systemError(e);
    }
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    if (!LockFileEx(h.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      const DWORD e = GetLastError();
      if (e != ERROR_LOCK_VIOLATION && e != ERROR_IO_PENDING) return win32::systemError(e);
      win32::pause(20);
      continue;
    }
    // The holder before us may have replaced the file: lock the new one.
    if (sameFile(h.get(), path)) return FileLock(reinterpret_cast<std::intptr_t>(h.release()));
    UnlockFileEx(h.get(), 0, 1, 0, &at);
  }
}

}  // namespace pt
