#include "common/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <vector>
#include <string>
#include <system_error>

namespace pt {

namespace fs = std::filesystem;

FileReader::~FileReader() {
  if (fd_ >= 0) ::close(fd_);
}

Status FileReader::open(const fs::path& path) {
  if (fd_ >= 0) {
    ::close(fd_);
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
  std::size_t got = 0;
  while (got < out.size()) {
    ssize_t n = ::pread(fd_, out.data() + got, out.size() - got,
                        static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errnoError(errno);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
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
    const ssize_t n = ::preadv(fd_, iov.data() + first, count, static_cast<off_t>(offset + got));
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

Result<Bytes> readFileHead(const fs::path& path, std::size_t maxBytes) {
  FileReader reader;
  if (auto opened = reader.open(path); !opened) return opened.error();
  Bytes out(std::min<std::uint64_t>(maxBytes, reader.size()));
  auto got = reader.readAt(0, out);
  if (!got) return got.error();
  out.resize(*got);
  return out;
}

bool fileExists(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return !S_ISDIR(st.st_mode);
}

namespace {

// The file a chain of symbolic links ends at (the path itself if it is none).
fs::path resolveLinks(fs::path path) {
  for (int depth = 0; depth < 40; ++depth) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
    fs::path next = fs::read_symlink(path, ec);
    if (ec) return path;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

Status writeAll(int fd, std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errnoError(errno);
    }
    if (n == 0) return errnoError(ENOSPC);
    done += static_cast<std::size_t>(n);
  }
  return Status::success();
}

int createTemp(const fs::path& dir, const std::string& name, fs::path& tempPath) {
  static std::atomic<unsigned> counter{0};
  // Keep the temporary name within the file system's name limit.
  std::string stem = name.substr(0, 120);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = dir / (std::string(kTempPrefix) + stem + "." + std::to_string(::getpid()) + "." +
                      std::to_string(counter++) + ".tmp");
    int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

Status safeWriteFile(const fs::path& requested, std::span<const std::uint8_t> data,
                     Durability durability) {
  const fs::path target = resolveLinks(requested);
  struct stat targetStat {};
  const bool targetExists = ::stat(target.c_str(), &targetStat) == 0;
  if (targetExists && S_ISDIR(targetStat.st_mode)) return errnoError(EISDIR);
  // A write-protected file is not replaced behind the user's back.
  if (targetExists && ::access(target.c_str(), W_OK) != 0) return errnoError(errno);

  fs::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  fs::path tempPath;
  int fd = createTemp(dir, target.filename().string(), tempPath);
  if (fd < 0) return errnoError(errno);

  auto fail = [&](int code) -> Status {
    if (fd >= 0) ::close(fd);
    ::unlink(tempPath.c_str());
    return errnoError(code);
  };

  if (auto written = writeAll(fd, data); !written) return fail(written.error().code);
  if (targetExists) {
    if (::fchmod(fd, targetStat.st_mode & 07777) != 0) return fail(errno);
    if (::fchown(fd, targetStat.st_uid, targetStat.st_gid) != 0) {
      // Only a privileged user can hand a file to another owner; keep ours.
    }
  }
  // The rename alone makes the replacement whole for every reader; the flush
  // makes it survive a crash of the system, which a scratch file need not.
  const bool flush = durability == Durability::Flushed;
  if (flush && ::fsync(fd) != 0) return fail(errno);
  struct stat written {};
  if (::fstat(fd, &written) != 0) return fail(errno);
  if (static_cast<std::uint64_t>(written.st_size) != data.size()) return fail(EIO);
  int closeResult = ::close(fd);
  fd = -1;
  if (closeResult != 0) return fail(errno);
  if (::rename(tempPath.c_str(), target.c_str()) != 0) return fail(errno);

  if (!flush) return Status::success();
  int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return Status::success();
}

}  // namespace pt
