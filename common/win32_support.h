#pragma once
// What the Windows sources of the file layer share (included only by the
// *_win32.cpp files): UTF-16 paths the system takes whatever their length,
// system errors as the program's errors, and handles closed on every path.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <utility>

#include "common/error.h"
#include "common/paths.h"

namespace pt::win32 {

// A full path with backslashes (Wine's ReplaceFileW and MoveFileExW need
// both), with the \\?\ prefix when it is long, so that no call stops at
// MAX_PATH whatever the system's long-path setting.
inline std::wstring systemPath(const std::filesystem::path& path) {
  std::wstring in = path.empty() ? std::wstring(L".") : path.native();
  for (auto& c : in)
    if (c == L'/') c = L'\\';
  if (in.rfind(L"\\\\?\\", 0) == 0) return in;
  std::wstring full(32768, L'\0');
  const DWORD n = GetFullPathNameW(in.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return in;
  full.resize(n);
  if (full.size() < 240) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

inline std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// The message for another program holding a file we must replace or read.
inline Error heldByAnotherProgram(const std::filesystem::path& path) {
  return Error{ErrorKind::Busy, pt::utf8(path) + ": the file is open in another program", EBUSY};
}

// A system error as the program's error: the errno that means the same
// where there is one (so that the message reads as on Linux), else the
// system's own text.
inline Error systemError(DWORD code) {
  int e = 0;
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      e = ENOENT;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_CANNOT_MAKE:
      e = EACCES;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      e = EEXIST;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      e = ENOSPC;
      break;
    case ERROR_WRITE_PROTECT:
      e = EROFS;
      break;
    case ERROR_FILENAME_EXCED_RANGE:
      e = ENAMETOOLONG;
      break;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
      e = EINVAL;
      break;
    case ERROR_DIRECTORY:
      e = ENOTDIR;
      break;
    case ERROR_DIR_NOT_EMPTY:
      e = ENOTEMPTY;
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      e = ENOMEM;
      break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return Error{ErrorKind::Busy, "the file is open in another program", EBUSY};
    default:
      break;
  }
  if (e != 0) return errnoError(e);
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = text ? text : L"";
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
    message.pop_back();
  if (message.empty()) message = L"system error " + std::to_wstring(code);
  return Error{ErrorKind::Io, utf8(message), EIO};
}

inline Error lastError() { return systemError(GetLastError()); }

// True for the errors another program's open handle causes.
inline bool heldElsewhere(DWORD code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
         code == ERROR_UNABLE_TO_REMOVE_REPLACED || code == ERROR_USER_MAPPED_FILE ||
         code == ERROR_ACCESS_DENIED;
}

class Handle {
 public:
  explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
  ~Handle() { reset(); }
  Handle(Handle&& o) noexcept : h_(std::exchange(o.h_, INVALID_HANDLE_VALUE)) {}
  Handle& operator=(Handle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  HANDLE get() const { return h_; }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  void reset(HANDLE h = INVALID_HANDLE_VALUE) {
    if (valid()) CloseHandle(h_);
    h_ = h;
  }
  HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE h_;
};

// Opens what stands at `path` for its attributes only (folders included),
// sharing everything.
inline Handle openForInfo(const std::filesystem::path& path) {
  return Handle(CreateFileW(systemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// Waits `ms` milliseconds: the retries for a file another program holds.
inline void pause(DWORD ms) { Sleep(ms); }

}  // namespace pt::win32
