// File access on Linux and other POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <system_error>
#include <vector>

#include "common/file_io.h"
#include "common/paths.h"
#include "common/temp_files.h"

namespace pt {

namespace fs = std::filesystem;

FileReader::~FileReader() {
  if (fd_ >= 0) ::close(static_cast<int>(fd_));
}

Status FileReader::open(const fs::path& path) {
  if (fd_ >= 0) {
    ::close(static_cast<int>(fd_));
    fd_ = -1;
  }
  // Non-blocking, so that a named pipe cannot hang the open.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errnoError(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int e = errno;
    ::close(fd);
    return errnoError(e);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    if (S_ISDIR(st.st_mode)) return errnoError(EISDIR);
    return Error{ErrorKind::NotAFile, "Not a regular file", 0};
  }
  fd_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
  return Status::success();
}

Result<std::size_t> FileReader::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  const std::span<std::uint8_t> parts[] = {out};
  return readAt(offset, std::span<const std::span<std::uint8_t>>(parts));
}

Result<std::size_t> FileReader::readAt(std::uint64_t offset,
                                       std::span<const std::span<std::uint8_t>> parts) {
  std::size_t got = 0;
  std::vector<iovec> iov;
  iov.reserve(parts.size());
  for (const auto& part : parts)
    if (!part.empty()) iov.push_back(iovec{part.data(), part.size()});
  std::size_t first = 0;
  while (first < iov.size()) {
    const auto count = static_cast<int>(std::min<std::size_t>(iov.size() - first, IOV_MAX));
    const ssize_t n = ::preadv(static_cast<int>(fd_), iov.data() + first, count,
                               static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errnoError(errno);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
    // Step over the buffers now full; a short read leaves one partly filled.
    auto left = static_cast<std::size_t>(n);
    while (first < iov.size() && left >= iov[first].iov_len) left -= iov[first++].iov_len;
    if (left > 0) {
      iov[first].iov_base = static_cast<std::uint8_t*>(iov[first].iov_base) + left;
      iov[first].iov_len -= left;
    }
  }
  return got;
}

bool fileExists(const fs::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0) return true;  // dangling or a loop
  return !S_ISDIR(st.st_mode);
}

FileType fileTypeAt(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT ? FileType::Missing : FileType::Other;
  if (S_ISREG(st.st_mode)) return FileType::Regular;
  if (S_ISDIR(st.st_mode)) return FileType::Folder;
  return FileType::Other;
}

std::optional<FileId> fileIdentity(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return FileId{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

namespace {

struct Target {
  fs::path path;         // the file to replace, links resolved
  bool replacing = false;  // a regular file stands there now
};

// Where a write to `requested` goes, or why it must not.
Result<Target> locate(const fs::path& requested, Durability durability) {
  Target t;
  struct stat st {};
  if (durability == Durability::Scratch) {
    const bool exists = ::lstat(requested.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) return errnoError(EISDIR);
    t.replacing = exists && S_ISREG(st.st_mode);
    t.path = requested;
  } else {
    const bool present = ::lstat(requested.c_str(), &st) == 0;
    if (present && ::stat(requested.c_str(), &st) != 0) {
      if (errno == ELOOP)
        return Error{ErrorKind::NotAFile,
                     utf8(requested) + ": " + std::generic_category().message(ELOOP), ELOOP};
      if (errno != ENOENT) return errnoError(errno);  // a dangling link makes its file
    } else if (present) {
      if (S_ISDIR(st.st_mode)) return errnoError(EISDIR);
      if (!S_ISREG(st.st_mode))
        return Error{ErrorKind::NotAFile,
                     utf8(requested) + " is not a regular file; only regular files are replaced", 0};
      t.replacing = true;
    }
    t.path = resolveLinks(requested);
  }
  const fs::path name = t.path.filename();
  if (name.empty() || name == "." || name == "..") return errnoError(EISDIR);
  if (t.path.parent_path().empty()) t.path = fs::path(".") / t.path;
  return t;
}

}  // namespace

Status safeWriteFile(const fs::path& requested,
                     std::span<const std::span<const std::uint8_t>> parts,
                     Durability durability) {
  auto located = locate(requested, durability);
  if (!located) return located.error();
  sweepStaleTemporaries(located->path.parent_path());
  auto temp = TempFile::create(located->path, located->replacing);
  if (!temp) return temp.error();
  if (Status written = temp->write(parts); !written) return written;
  // The rename alone makes the replacement whole for every reader; the flush
  // makes it survive a crash of the system, which a scratch file need not.
  const bool flush = durability == Durability::Flushed;
  if (flush)
    if (Status flushed = temp->flush(); !flushed) return flushed;
  if (Status placed = temp->place(Placement::Replace); !placed) return placed;
  if (flush) temp->flushName();
  return Status::success();
}

}  // namespace pt
