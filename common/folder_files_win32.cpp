// What the batch commands need of folders, on Windows: staging folders
// removed when their object goes or on Ctrl+C / Ctrl+Break / closing the
// console (a kill leaves them to the sweep), and reads that stay inside a
// folder (no link, junction or alternate data stream).
#include <algorithm>

#include "common/folder_files.h"
#include "common/folders.h"
#include "common/paths.h"
#include "common/win32_support.h"

namespace pt {

namespace fs = std::filesystem;

namespace {

Error withPath(const fs::path& path, const Error& e) {
  return Error{e.kind, utf8(path) + ": " + describe(e), e.code};
}

// Runs on a thread of its own, while the program's threads go on.
BOOL WINAPI removeStagingOnControl(DWORD) {
  detail::stagingStopping = true;
  for (auto* e = detail::stagingFolders(); e; e = e->next)
    if (e->live.load()) (void)removeFolderTree(e->staged);
  return FALSE;  // the default handler ends the process
}

bool plainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

void detail::guardStagingFolders() { SetConsoleCtrlHandler(removeStagingOnControl, TRUE); }

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
