// What the batch commands need of folders, on Windows: staging folders
// removed when their object goes or on Ctrl+C / Ctrl+Break / closing the
// console (a kill leaves them to the sweep), and reads that stay inside a
// folder (no link, junction or alternate data stream).
#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>

#include "common/folder_files.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/temp_files.h"
#include "common/win32_support.h"

namespace pt {

namespace fs = std::filesystem;

struct detail::StagingEntry {
  fs::path staged;
  std::atomic<bool> live{true};
  StagingEntry* next = nullptr;
};

namespace {

Error withPath(const fs::path& path, const Error& e) {
  return Error{e.kind, utf8(path) + ": " + describe(e), e.code};
}

// A list that only grows (entries are retired, never freed), walked by the
// console's control handler on a thread of its own.
std::once_flag handlerInstalled;
std::atomic<detail::StagingEntry*> stagingList{nullptr};

BOOL WINAPI removeStagingOnControl(DWORD) {
  for (auto* e = stagingList.load(); e; e = e->next)
    if (e->live.exchange(false)) (void)removeFolderTree(e->staged);
  return FALSE;  // the default handler ends the process
}

bool plainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

Result<StagingFolder> StagingFolder::beside(const fs::path& target) {
  std::call_once(handlerInstalled, [] { SetConsoleCtrlHandler(removeStagingOnControl, TRUE); });
  auto staged = makeStagingFolder(target);
  if (!staged) return withPath(target, staged.error());
  auto* e = new detail::StagingEntry;
  e->staged = *staged;
  e->next = stagingList.load();
  while (!stagingList.compare_exchange_weak(e->next, e)) {
  }
  return StagingFolder(e);
}

StagingFolder::StagingFolder(StagingFolder&& other) noexcept : entry_(std::exchange(other.entry_, nullptr)) {}

StagingFolder& StagingFolder::operator=(StagingFolder&& other) noexcept {
  if (this != &other) {
    this->~StagingFolder();
    entry_ = std::exchange(other.entry_, nullptr);
  }
  return *this;
}

StagingFolder::~StagingFolder() {
  if (entry_ && entry_->live.exchange(false)) (void)removeFolderTree(entry_->staged);
}

const fs::path& StagingFolder::path() const { return entry_->staged; }

Status StagingFolder::replace(const fs::path& target) {
  Status replaced = replaceFolder(entry_->staged, target);
  if (!replaced) return withPath(target, replaced.error());
  entry_->live = false;
  return replaced;
}

Result<FileHead> readFileInFolder(const fs::path& folder, const std::string& name, std::size_t maxBytes) {
  const fs::path path = folder / pathFromUtf8(name);
  if (!plainName(name)) return Error{ErrorKind::NotAFile, utf8(path) + ": not a file name in the folder"};
  // The link itself, never what it points to.
  win32::Handle h(CreateFileW(win32::systemPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.valid()) return withPath(path, win32::lastError());
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h.get(), &info)) return withPath(path, win32::lastError());
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return Error{ErrorKind::NotAFile, utf8(path) + ": a symbolic link, not a file in the folder", 0};
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || GetFileType(h.get()) != FILE_TYPE_DISK)
    return Error{ErrorKind::NotAFile, utf8(path) + ": not a regular file", 0};
  FileHead head;
  head.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  head.bytes.resize(std::min<std::uint64_t>(head.size, maxBytes));
  std::size_t got = 0;
  while (got < head.bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(head.bytes.size() - got, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(h.get(), head.bytes.data() + got, want, &n, nullptr)) return withPath(path, win32::lastError());
    if (n == 0) break;
    got += n;
  }
  head.bytes.resize(got);
  return head;
}

}  // namespace pt
