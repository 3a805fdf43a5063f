#include "common/file_io.h"

#include "common/temp_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>
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

namespace detail {

// Writes every byte of the parts from the file's start, looping on short
// writes; a write that makes no progress is a full disk.
Status writeParts(int fd, std::span<const std::span<const std::uint8_t>> parts,
                  std::uint64_t& total) {
  std::vector<iovec> iov;
  iov.reserve(parts.size());
  total = 0;
  for (const auto& part : parts) {
    if (part.empty()) continue;
    iov.push_back(iovec{const_cast<std::uint8_t*>(part.data()), part.size()});
    total += part.size();
  }
  std::uint64_t done = 0;
  std::size_t first = 0;
  while (first < iov.size()) {
    const auto count = static_cast<int>(std::min<std::size_t>(iov.size() - first, IOV_MAX));
    const ssize_t n = ::pwritev(fd, iov.data() + first, count, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errnoError(errno);
    }
    if (n == 0) return errnoError(ENOSPC);
    done += static_cast<std::uint64_t>(n);
    auto left = static_cast<std::size_t>(n);
    while (first < iov.size() && left >= iov[first].iov_len) left -= iov[first++].iov_len;
    if (left > 0) {
      iov[first].iov_base = static_cast<std::uint8_t*>(iov[first].iov_base) + left;
      iov[first].iov_len -= left;
    }
  }
  return Status::success();
}

// The process's umask, read without changing it where the kernel tells it.
mode_t currentUmask() {
  if (FILE* f = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
      unsigned mask = 0;
      if (std::sscanf(line, "Umask: %o", &mask) == 1) {
        std::fclose(f);
        return static_cast<mode_t>(mask);
      }
    }
    std::fclose(f);
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

std::string tempName(const std::string& targetName) {
  static std::atomic<unsigned> counter{0};
  // Keep the temporary name within the file system's name limit.
  return std::string(kTempPrefix) + targetName.substr(0, 120) + "." + std::to_string(::getpid()) + "." +
         std::to_string(counter++) + ".tmp";
}

bool namedTemporariesOnly() {
  static const bool named = std::getenv("VARNHOLT_NAMED_TEMPORARIES") != nullptr;
  return named;
}

// Through /proc first: linking by descriptor (AT_EMPTY_PATH) needs a
// capability most users lack.
int linkUnnamed(int fd, int dirFd, const std::string& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), dirFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT) return -1;
  return ::linkat(fd, "", dirFd, name.c_str(), AT_EMPTY_PATH);
}

}  // namespace detail

using detail::currentUmask;
using detail::linkUnnamed;
using detail::tempName;
using detail::writeParts;

bool fileExists(const fs::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0) return true;  // dangling or a loop
  return !S_ISDIR(st.st_mode);
}

namespace {

// --- the one named temporary file in flight, removed on a signal ------------
//
// Only one write at a time (the first to claim it) is guarded; a write on
// another thread meanwhile is left to the sweep of a later write. A name is
// guarded before the file is made: a name with this process's id is either
// ours or left by a dead process of the same id, so removing it is safe.

constexpr int kGuardedSignals[] = {SIGINT, SIGTERM, SIGHUP};
std::atomic<bool> guardTaken{false};
char guardedPath[PATH_MAX];
volatile sig_atomic_t guardedSet = 0;
struct sigaction earlierActions[3];

void removeInFlight(int sig) {
  const int saved = errno;
  if (guardedSet) ::unlink(guardedPath);
  for (int i = 0; i < 3; ++i)
    if (kGuardedSignals[i] == sig) ::sigaction(sig, &earlierActions[i], nullptr);
  errno = saved;
  // The earlier disposition, the default one (end the process) included,
  // takes the signal once this handler returns.
  ::raise(sig);
}

class SignalGuard {
 public:
  SignalGuard() {
    bool expected = false;
    owner_ = guardTaken.compare_exchange_strong(expected, true);
    if (!owner_) return;
    guardedSet = 0;
    struct sigaction act {};
    act.sa_handler = removeInFlight;
    sigemptyset(&act.sa_mask);
    for (int sig : kGuardedSignals) sigaddset(&act.sa_mask, sig);
    for (int i = 0; i < 3; ++i) {
      ::sigaction(kGuardedSignals[i], nullptr, &earlierActions[i]);
      // A signal the program ignores (nohup) stays ignored.
      if (earlierActions[i].sa_handler != SIG_IGN) ::sigaction(kGuardedSignals[i], &act, nullptr);
    }
  }
  ~SignalGuard() {
    if (!owner_) return;
    for (int i = 0; i < 3; ++i) ::sigaction(kGuardedSignals[i], &earlierActions[i], nullptr);
    guardedSet = 0;
    guardTaken = false;
  }
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;

  void guard(const fs::path& path) {
    if (!owner_ || path.native().size() >= sizeof guardedPath) return;
    guardedSet = 0;
    std::memcpy(guardedPath, path.c_str(), path.native().size() + 1);
    guardedSet = 1;
  }
  void release() { guardedSet = 0; }

 private:
  bool owner_ = false;
};

// The pid in a name "<prefix><name>.<pid>.<n>.tmp", or 0.
pid_t tempOwner(std::string_view name) {
  constexpr std::string_view suffix = ".tmp";
  if (name.rfind(kTempPrefix, 0) != 0 || name.size() < suffix.size() ||
      name.substr(name.size() - suffix.size()) != suffix)
    return 0;
  name.remove_suffix(suffix.size());
  const auto counterDot = name.rfind('.');
  if (counterDot == std::string_view::npos || counterDot + 1 == name.size()) return 0;
  const auto pidDot = name.rfind('.', counterDot - 1);
  if (pidDot == std::string_view::npos || pidDot + 1 == counterDot) return 0;
  long pid = 0;
  for (char c : name.substr(pidDot + 1, counterDot - pidDot - 1)) {
    if (c < '0' || c > '9' || pid > 1'000'000'000) return 0;
    pid = pid * 10 + (c - '0');
  }
  for (char c : name.substr(counterDot + 1))
    if (c < '0' || c > '9') return 0;
  return static_cast<pid_t>(pid);
}

void sweepFolder(int dirFd) {
  const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* d = ::fdopendir(fd);
  if (!d) {
    ::close(fd);
    return;
  }
  while (const dirent* e = ::readdir(d)) {
    const pid_t pid = tempOwner(e->d_name);
    if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) ::unlinkat(dirFd, e->d_name, 0);
  }
  ::closedir(d);
}

struct Target {
  fs::path dir;       // the folder the file is replaced in
  std::string name;   // its name there
  bool exists = false;
  struct stat st {};
};

// Where a write to `requested` goes, or why it must not.
Result<Target> locate(const fs::path& requested, Durability durability) {
  Target t;
  struct stat st {};
  if (durability == Durability::Scratch) {
    t.exists = ::lstat(requested.c_str(), &st) == 0;
    if (t.exists && S_ISDIR(st.st_mode)) return errnoError(EISDIR);
    t.st = st;
    t.dir = requested.parent_path();
    t.name = requested.filename().string();
  } else {
    const bool present = ::lstat(requested.c_str(), &st) == 0;
    if (present && ::stat(requested.c_str(), &st) != 0) {
      if (errno == ELOOP)
        return Error{ErrorKind::NotAFile,
                     requested.string() + ": " + std::generic_category().message(ELOOP), ELOOP};
      if (errno != ENOENT) return errnoError(errno);  // a dangling link makes its file
    } else if (present) {
      if (S_ISDIR(st.st_mode)) return errnoError(EISDIR);
      if (!S_ISREG(st.st_mode))
        return Error{ErrorKind::NotAFile,
                     requested.string() + " is not a regular file; only regular files are replaced", 0};
      t.exists = true;
      t.st = st;
      // A write-protected file is not replaced behind the user's back.
      if (::access(requested.c_str(), W_OK) != 0) return errnoError(errno);
    }
    const fs::path resolved = resolveLinks(requested);
    t.dir = resolved.parent_path();
    t.name = resolved.filename().string();
  }
  if (t.dir.empty()) t.dir = ".";
  if (t.name.empty() || t.name == "." || t.name == "..") return errnoError(EISDIR);
  return t;
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

}  // namespace

void sweepStaleTemporaries(const fs::path& folder) {
  Fd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd.get() >= 0) sweepFolder(dirFd.get());
}

Status safeWriteFile(const fs::path& requested, std::span<const std::uint8_t> data,
                     Durability durability) {
  const std::span<const std::uint8_t> parts[] = {data};
  return safeWriteFile(requested, std::span<const std::span<const std::uint8_t>>(parts), durability);
}

Status safeWriteFile(const fs::path& requested,
                     std::span<const std::span<const std::uint8_t>> parts,
                     Durability durability) {
  auto located = locate(requested, durability);
  if (!located) return located.error();
  const Target& target = *located;

  Fd dirFd(::open(target.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd.get() < 0) return errnoError(errno);
  sweepFolder(dirFd.get());

  SignalGuard signals;
  std::string tempPath;  // the temporary file's name once it has one
  auto fail = [&](int code) -> Status {
    if (!tempPath.empty()) ::unlinkat(dirFd.get(), tempPath.c_str(), 0);
    signals.release();
    return errnoError(code);
  };

  // Owner-only until the content is complete.
  const bool namedOnly = detail::namedTemporariesOnly();
  Fd fd(namedOnly ? -1 : ::openat(dirFd.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
  if (namedOnly) errno = EOPNOTSUPP;
  const bool unnamed = fd.get() >= 0;
  if (!unnamed) {
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errnoError(errno);
    for (int attempt = 0; attempt < 100 && fd.get() < 0; ++attempt) {
      tempPath = tempName(target.name);
      signals.guard(target.dir / tempPath);
      fd.reset(::openat(dirFd.get(), tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
      if (fd.get() < 0 && errno != EEXIST) {
        tempPath.clear();
        return fail(errno);
      }
    }
    if (fd.get() < 0) {
      tempPath.clear();
      return fail(EEXIST);
    }
  }

  std::uint64_t size = 0;
  if (auto written = writeParts(fd.get(), parts, size); !written) return fail(written.error().code);
  if (target.exists) {
    if (::fchown(fd.get(), target.st.st_uid, target.st.st_gid) != 0) {
      // Only a privileged user can hand a file to another owner; keep ours.
    }
  }
  const mode_t mode = target.exists && S_ISREG(target.st.st_mode) ? (target.st.st_mode & 07777)
                                                                  : (0666 & ~currentUmask());
  if (::fchmod(fd.get(), mode) != 0) return fail(errno);
  // The rename alone makes the replacement whole for every reader; the flush
  // makes it survive a crash of the system, which a scratch file need not.
  const bool flush = durability == Durability::Flushed;
  if (flush && ::fsync(fd.get()) != 0) return fail(errno);
  struct stat written {};
  if (::fstat(fd.get(), &written) != 0) return fail(errno);
  if (static_cast<std::uint64_t>(written.st_size) != size) return fail(EIO);

  if (unnamed) {
    // From here to the rename the file has a name a later sweep recognises.
    for (int attempt = 0; attempt < 100 && tempPath.empty(); ++attempt) {
      std::string name = tempName(target.name);
      signals.guard(target.dir / name);
      if (linkUnnamed(fd.get(), dirFd.get(), name) == 0) tempPath = name;
      else if (errno != EEXIST) return fail(errno);
    }
    if (tempPath.empty()) return fail(EEXIST);
  }
  if (::close(fd.release()) != 0) return fail(errno);
  if (::renameat(dirFd.get(), tempPath.c_str(), dirFd.get(), target.name.c_str()) != 0)
    return fail(errno);
  signals.release();

  if (flush) ::fsync(dirFd.get());
  return Status::success();
}

}  // namespace pt
