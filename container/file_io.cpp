#include "container/file_io.h"

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

IoError ioErrorFromErrno(int code) {
  return IoError{code, std::generic_category().message(code)};
}

FileReader::~FileReader() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<IoError> FileReader::open(const fs::path& path) {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  // Non-blocking, so that a named pipe cannot hang the open.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return ioErrorFromErrno(errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int e = errno;
    ::close(fd);
    return ioErrorFromErrno(e);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    if (S_ISDIR(st.st_mode)) return ioErrorFromErrno(EISDIR);
    return IoError{0, "Not a regular file"};
  }
  fd_ = fd;
  size_ = static_cast<std::uint64_t>(st.st_size);
  return std::nullopt;
}

std::optional<IoError> FileReader::readAt(std::uint64_t offset, std::span<std::uint8_t> out,
                                          std::size_t& got) {
  got = 0;
  while (got < out.size()) {
    ssize_t n = ::pread(fd_, out.data() + got, out.size() - got,
                        static_cast<off_t>(offset + got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return ioErrorFromErrno(errno);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return std::nullopt;
}

std::optional<IoError> FileReader::readAt(std::uint64_t offset,
                                          std::span<const std::span<std::uint8_t>> parts,
                                          std::size_t& got) {
  got = 0;
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
      return ioErrorFromErrno(errno);
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
  return std::nullopt;
}

std::optional<IoError> readFileHead(const fs::path& path, std::size_t maxBytes, Bytes& out,
                                    std::uint64_t& fileSize) {
  FileReader reader;
  if (auto err = reader.open(path)) return err;
  fileSize = reader.size();
  out.assign(std::min<std::uint64_t>(maxBytes, fileSize), 0);
  std::size_t got = 0;
  if (auto err = reader.readAt(0, out, got)) return err;
  out.resize(got);
  return std::nullopt;
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

std::optional<IoError> writeAll(int fd, std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ioErrorFromErrno(errno);
    }
    if (n == 0) return ioErrorFromErrno(ENOSPC);
    done += static_cast<std::size_t>(n);
  }
  return std::nullopt;
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

std::optional<IoError> safeWriteFile(const fs::path& requested,
                                     std::span<const std::uint8_t> data, Durability durability) {
  const fs::path target = resolveLinks(requested);
  struct stat targetStat {};
  const bool targetExists = ::stat(target.c_str(), &targetStat) == 0;
  if (targetExists && S_ISDIR(targetStat.st_mode)) return ioErrorFromErrno(EISDIR);
  // A write-protected file is not replaced behind the user's back.
  if (targetExists && ::access(target.c_str(), W_OK) != 0) return ioErrorFromErrno(errno);

  fs::path dir = target.parent_path();
  if (dir.empty()) dir = ".";
  fs::path tempPath;
  int fd = createTemp(dir, target.filename().string(), tempPath);
  if (fd < 0) return ioErrorFromErrno(errno);

  auto fail = [&](int code) -> std::optional<IoError> {
    if (fd >= 0) ::close(fd);
    ::unlink(tempPath.c_str());
    return ioErrorFromErrno(code);
  };

  if (auto err = writeAll(fd, data)) return fail(err->code);
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

  if (!flush) return std::nullopt;
  int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return std::nullopt;
}

}  // namespace pt
