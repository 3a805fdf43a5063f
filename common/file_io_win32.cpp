// File access on Windows: UTF-16 paths through CreateFileW, never the C
// runtime's POSIX stand-ins (open() without O_BINARY turns LF into CR LF,
// read() stops at 0x1A, rename() does not replace).
#include <algorithm>
#include <cerrno>
#include <limits>
#include <string>

#include "common/file_io.h"
#include "common/temp_files.h"
#include "common/win32_support.h"

namespace pt {

namespace fs = std::filesystem;
using win32::Handle;

FileReader::~FileReader() {
  if (fd_ != -1) CloseHandle(reinterpret_cast<HANDLE>(fd_));
}

Status FileReader::open(const fs::path& path) {
  if (fd_ != -1) {
    CloseHandle(reinterpret_cast<HANDLE>(fd_));
    fd_ = -1;
  }
  const std::wstring name = win32::systemPath(path);
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return errnoError(EISDIR);
  // Shared for deleting too, so that a reader never keeps a writer from
  // replacing the file.
  Handle h(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) {
    const DWORD e = GetLastError();
    if (e == ERROR_SHARING_VIOLATION) return win32::heldByAnotherProgram(path);
    return win32::systemError(e);
  }
  if (GetFileType(h.get()) != FILE_TYPE_DISK) return Error{ErrorKind::NotAFile, "Not a regular file", 0};
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h.get(), &size)) return win32::lastError();
  fd_ = reinterpret_cast<std::intptr_t>(h.release());
  size_ = static_cast<std::uint64_t>(size.QuadPart);
  return Status::success();
}

Result<std::size_t> FileReader::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  std::size_t got = 0;
  while (got < out.size()) {
    OVERLAPPED at{};
    const std::uint64_t position = offset + got;
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - got, 1u << 30));
    DWORD n = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(fd_), out.data() + got, want, &n, &at)) {
      const DWORD e = GetLastError();
      if (e == ERROR_HANDLE_EOF) break;
      return win32::systemError(e);
    }
    if (n == 0) break;
    got += n;
  }
  return got;
}

Result<std::size_t> FileReader::readAt(std::uint64_t offset,
                                       std::span<const std::span<std::uint8_t>> parts) {
  std::size_t got = 0;
  for (const auto& part : parts) {
    auto n = readAt(offset + got, part);
    if (!n) return n.error();
    got += *n;
    if (*n < part.size()) break;
  }
  return got;
}

bool fileExists(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(win32::systemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

FileType fileTypeAt(const fs::path& path) {
  const Handle h = win32::openForInfo(path);
  if (!h.valid()) {
    const DWORD e = GetLastError();
    return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? FileType::Missing : FileType::Other;
  }
  // Device names (NUL, CON, COM1, ...) open as character devices.
  if (GetFileType(h.get()) != FILE_TYPE_DISK) return FileType::Other;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(h.get(), &info)) return FileType::Other;
  return info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? FileType::Folder : FileType::Regular;
}

std::optional<FileId> fileIdentity(const fs::path& path) {
  const Handle h = win32::openForInfo(path);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!h.valid() || !GetFileInformationByHandle(h.get(), &info)) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber,
                (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
}

Status safeWriteFile(const fs::path& requested,
                     std::span<const std::span<const std::uint8_t>> parts,
                     Durability durability) {
  const fs::path target = requested.parent_path().empty() ? fs::path(".") / requested : requested;
  const fs::path name = target.filename();
  if (name.empty() || name == "." || name == "..") return errnoError(EISDIR);
  const FileType type = fileTypeAt(target);
  if (type == FileType::Folder) return errnoError(EISDIR);
  if (type == FileType::Other)
    return Error{ErrorKind::NotAFile,
                 utf8(requested) + " is not a regular file; only regular files are replaced", 0};
  sweepStaleTemporaries(target.parent_path());
  auto temp = TempFile::create(target, type == FileType::Regular);
  if (!temp) return temp.error();
  if (Status written = temp->write(parts); !written) return written;
  if (durability == Durability::Flushed)
    if (Status flushed = temp->flush(); !flushed) return flushed;
  return temp->place(Placement::Replace);
}

}  // namespace pt
