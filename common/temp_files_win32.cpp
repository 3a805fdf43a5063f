// The temporary-file engine on Windows. The file is created unshared (no
// other program can open it) and marked delete-pending, so that the system
// removes it when the process ends for any reason, until it is placed: then
// the mark is taken off and the still open file is renamed over the target
// in one step (FileRenameInfoEx with POSIX semantics, else FileRenameInfo),
// keeping the target's attributes. ReplaceFileW is not one step (under Wine
// a kill inside it left no file at all), so it is only the last resort of a
// system that cannot rename over a file another program holds open. The
// new file's access rights are those a new file in the folder gets. A kill
// between taking off the mark and the rename leaves a named temporary,
// which the sweep removes.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "common/temp_files.h"
#include "common/win32_support.h"

namespace pt {

namespace fs = std::filesystem;
using win32::Handle;

namespace detail {

std::uint64_t processId() { return GetCurrentProcessId(); }

bool processAlive(std::uint64_t pid) {
  const Handle h(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
  if (!h.valid()) return GetLastError() != ERROR_INVALID_PARAMETER;  // no such process
  DWORD code = 0;
  return !GetExitCodeProcess(h.get(), &code) || code == STILL_ACTIVE;
}

void flushFolder(const fs::path&) {}  // a rename with MOVEFILE_WRITE_THROUGH is on disk

}  // namespace detail

namespace {

bool markDeletePending(HANDLE h, bool pending) {
  FILE_DISPOSITION_INFO info{};
  info.DeleteFile = pending;
  return SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info);
}

// Renames the open file `h` to `to` in one step, while it is still held
// unshared, so that no moment exists where another process could take it.
// With POSIX semantics (Windows 10 1607 and later) even over a target that
// others hold open sharing deletion; the classic rename elsewhere and under
// Wine, which renames over open files anyway.
bool renameOpenFile(HANDLE h, const std::wstring& to, bool replace) {
  constexpr auto kRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);  // FileRenameInfoEx
  constexpr DWORD kReplaceIfExists = 1, kPosixSemantics = 2;
  const std::size_t bytes = sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t);
  std::vector<std::uint8_t> buffer(bytes, 0);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->FileNameLength = static_cast<DWORD>(to.size() * sizeof(wchar_t));
  std::copy(to.begin(), to.end(), info->FileName);
  // The flags share their place with the classic ReplaceIfExists byte.
  const DWORD flags = kPosixSemantics | (replace ? kReplaceIfExists : 0);
  std::memcpy(buffer.data(), &flags, sizeof flags);
  if (SetFileInformationByHandle(h, kRenameInfoEx, info, static_cast<DWORD>(bytes))) return true;
  const DWORD e = GetLastError();
  if (e != ERROR_INVALID_PARAMETER && e != ERROR_NOT_SUPPORTED && e != ERROR_INVALID_FUNCTION &&
      e != ERROR_CALL_NOT_IMPLEMENTED)
    return false;
  std::fill(buffer.begin(), buffer.begin() + sizeof flags, 0);
  info->ReplaceIfExists = replace;
  return SetFileInformationByHandle(h, FileRenameInfo, info, static_cast<DWORD>(bytes));
}

// Tries `step` a few times while another program holds a file: virus
// scanners and indexers open new files for a moment.
template <class Step>
DWORD retryWhileHeld(Step step) {
  DWORD e = ERROR_SUCCESS;
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (step()) return ERROR_SUCCESS;
    e = GetLastError();
    if (!win32::heldElsewhere(e)) return e;
    win32::pause(100);
  }
  return e;
}

struct SystemTemp final : TempFile::State {
  using State::State;
  Handle file;
  bool deletePending = false;  // the system removes the file with its handle

  ~SystemTemp() override { drop(); }
  void drop() {
    const bool goesWithHandle = file.valid() && deletePending;
    file.reset();
    if (!goesWithHandle && !named.empty() && !placed) DeleteFileW(win32::systemPath(named).c_str());
    if (!named.empty()) detail::leaveLive(named);
    named.clear();
  }
};

SystemTemp& sys(const std::unique_ptr<TempFile::State>& s) { return static_cast<SystemTemp&>(*s); }

}  // namespace

Result<TempFile> TempFile::create(const fs::path& target, bool replacing) {
  TempFile t;
  t.s_ = std::make_unique<SystemTemp>(target);
  SystemTemp& s = sys(t.s_);
  if (replacing) {
    // A read-only file is not replaced behind the user's back.
    const DWORD attributes = GetFileAttributesW(win32::systemPath(s.target).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return win32::lastError();
    if (attributes & FILE_ATTRIBUTE_READONLY) return errnoError(EACCES);
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path path = s.target.parent_path() / detail::tempName(s.target.filename());
    detail::enterLive(path);
    s.file.reset(CreateFileW(win32::systemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED, nullptr));
    if (s.file.valid()) {
      s.named = path;
      break;
    }
    detail::leaveLive(path);
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return win32::lastError();
  }
  if (!s.file.valid()) return errnoError(EEXIST);
  s.deletePending = markDeletePending(s.file.get(), true);
  if (!s.deletePending) {
    const Error e = win32::lastError();
    s.file.reset();
    DeleteFileW(win32::systemPath(s.named).c_str());
    detail::leaveLive(s.named);
    s.named.clear();
    return e;
  }
  return t;
}

Status TempFile::write(std::span<const std::span<const std::uint8_t>> parts) {
  std::uint64_t total = 0;
  for (const auto& part : parts) {
    std::size_t done = 0;
    while (done < part.size()) {
      const DWORD want = static_cast<DWORD>(std::min<std::size_t>(part.size() - done, 1u << 30));
      DWORD n = 0;
      if (!WriteFile(sys(s_).file.get(), part.data() + done, want, &n, nullptr)) return win32::lastError();
      if (n == 0) return errnoError(ENOSPC);
      done += n;
    }
    total += part.size();
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(sys(s_).file.get(), &size)) return win32::lastError();
  if (static_cast<std::uint64_t>(size.QuadPart) != total) return errnoError(EIO);
  return Status::success();
}

Status TempFile::flush() {
  if (!FlushFileBuffers(sys(s_).file.get())) return win32::lastError();
  return Status::success();
}

Status TempFile::place(Placement placement) {
  SystemTemp& s = sys(s_);
  const std::wstring to = win32::systemPath(s.target);
  const DWORD earlier = GetFileAttributesW(to.c_str());
  if (earlier != INVALID_FILE_ATTRIBUTES && placement == Placement::NoReplace) {
    s.drop();
    return errnoError(EEXIST);
  }
  // No longer hidden: the replaced file's attributes, or plain ones.
  FILE_BASIC_INFO basic{};
  constexpr DWORD kept = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                         FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  basic.FileAttributes = earlier != INVALID_FILE_ATTRIBUTES && (earlier & kept) ? earlier & kept : FILE_ATTRIBUTE_NORMAL;
  if (!SetFileInformationByHandle(s.file.get(), FileBasicInfo, &basic, sizeof basic) ||
      !markDeletePending(s.file.get(), false)) {
    const Error e = win32::lastError();
    s.drop();
    return e;
  }
  s.deletePending = false;
  const bool replace = placement == Placement::Replace;
  DWORD e = retryWhileHeld([&] { return renameOpenFile(s.file.get(), to, replace); });
  if (e != ERROR_SUCCESS && replace && earlier != INVALID_FILE_ATTRIBUTES && win32::heldElsewhere(e)) {
    // Systems before Windows 10 cannot rename over a file that another
    // program holds open, even sharing deletion; ReplaceFileW can.
    s.file.reset();
    const std::wstring from = win32::systemPath(s.named);
    e = ReplaceFileW(to.c_str(), from.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr)
            ? ERROR_SUCCESS
            : GetLastError();
  }
  if (e != ERROR_SUCCESS) {
    s.drop();
    if (e == ERROR_SHARING_VIOLATION || e == ERROR_UNABLE_TO_REMOVE_REPLACED || e == ERROR_LOCK_VIOLATION ||
        e == ERROR_USER_MAPPED_FILE || e == ERROR_ACCESS_DENIED)
      return win32::heldByAnotherProgram(s.target);
    return win32::systemError(e);
  }
  s.placed = true;
  detail::leaveLive(s.named);
  s.named.clear();
  s.file.reset();
  return Status::success();
}

void TempFile::flushName() {}

Status TempFile::flushAll(std::span<TempFile> files) {
  for (auto& f : files)
    if (Status flushed = f.flush(); !flushed)
      return Error{flushed.error().kind, utf8(f.target()) + ": " + describe(flushed.error()), flushed.error().code};
  return Status::success();
}

void TempFile::flushNames(std::span<TempFile>) {}

}  // namespace pt
