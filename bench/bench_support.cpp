#include "bench/bench_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace pt::bench {

namespace {

[[noreturn]] void fail(const std::string& what, const fs::path& path) {
  throw std::system_error(errno, std::generic_category(), what + " " + path.string());
}

}  // namespace

BenchDir::BenchDir() {
  std::string pattern = (fs::temp_directory_path() / "varnholt-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) fail("cannot create", pattern);
  path_ = pattern;
}

BenchDir::~BenchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::size_t plainRead(const fs::path& path, std::span<std::uint8_t> buffer) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail("cannot open", path);
  std::size_t got = 0;
  while (got < buffer.size()) {
    const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int e = errno;
      ::close(fd);
      errno = e;
      fail("cannot read", path);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return got;
}

void plainWriteFsyncRename(const fs::path& temp, const fs::path& target,
                           std::span<const std::uint8_t> data) {
  const fs::path dir = target.parent_path();
  const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) fail("cannot open", dir);
  const auto closeBoth = [&](int fd, const std::string& what, const fs::path& path) {
    const int e = errno;
    if (fd >= 0) ::close(fd);
    ::close(dirFd);
    errno = e;
    fail(what, path);
  };
  const int fd = ::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd < 0) closeBoth(-1, "cannot create an unnamed file in", dir);
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      if (n == 0) errno = ENOSPC;
      closeBoth(fd, "cannot write", temp);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) closeBoth(fd, "cannot flush", temp);
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  ::unlinkat(dirFd, temp.filename().c_str(), 0);
  if (::linkat(AT_FDCWD, self.c_str(), dirFd, temp.filename().c_str(), AT_SYMLINK_FOLLOW) != 0)
    closeBoth(fd, "cannot name", temp);
  if (::close(fd) != 0) closeBoth(-1, "cannot close", temp);
  if (::renameat(dirFd, temp.filename().c_str(), dirFd, target.filename().c_str()) != 0)
    closeBoth(-1, "cannot rename onto", target);
  if (::fsync(dirFd) != 0) closeBoth(-1, "cannot flush", dir);
  ::close(dirFd);
}

Bytes readWholeFile(const fs::path& path) {
  Bytes bytes(fs::file_size(path));
  if (plainRead(path, bytes) != bytes.size()) throw std::runtime_error("short read of " + path.string());
  return bytes;
}

void writeWholeFile(const fs::path& path, std::span<const std::uint8_t> data) {
  const fs::path temp = path.string() + ".setup";
  plainWriteFsyncRename(temp, path, data);
}

fs::path programDir() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return fs::current_path();
  return self.parent_path();
}

BmpHeader shippedBmpHeader() {
  auto header = loadBmpHeader(programDir() / kBmpHeaderFileName);
  if (!header) throw std::runtime_error(describe(header.error()));
  return *header;
}

}  // namespace pt::bench
