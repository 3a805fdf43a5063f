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
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) fail("cannot create", temp);
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      if (n == 0) errno = ENOSPC;
      const int e = errno;
      ::close(fd);
      errno = e;
      fail("cannot write", temp);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) {
    const int e = errno;
    ::close(fd);
    errno = e;
    fail("cannot flush", temp);
  }
  if (::close(fd) != 0) fail("cannot close", temp);
  if (::rename(temp.c_str(), target.c_str()) != 0) fail("cannot rename onto", target);
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
