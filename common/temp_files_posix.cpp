// The temporary-file engine on Linux and other POSIX systems.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "common/interrupt_posix.h"
#include "common/paths.h"
#include "common/temp_files.h"

namespace pt {

namespace fs = std::filesystem;

namespace detail {

std::uint64_t processId() { return static_cast<std::uint64_t>(::getpid()); }

bool processAlive(std::uint64_t pid) {
  return !(::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

void flushFolder(const fs::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
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

}  // namespace detail

namespace {

// --- named temporaries in flight, removed on a signal -----------------------
//
// A fixed table that the signal handler can read without locks: a slot holds
// a path while its state is kSet. A name is entered before the file is made:
// a name with this process's id is either ours or left by a dead process of
// the same id, so removing it is safe. More names at once than slots are
// left to the sweep of a later write. A handler on another thread marks the
// process as stopping before it reads the table; a file named after that
// read is removed by its own thread.

constexpr int kSlots = 64;
constexpr int kFree = 0, kClaimed = 1, kSet = 2;
struct Slot {
  std::atomic<int> state{kFree};
  char path[PATH_MAX];
};
Slot slots[kSlots];
std::once_flag guarded;
std::atomic<bool> stopping{false};

void removeInFlight() {
  stopping = true;
  for (Slot& slot : slots)
    if (slot.state.load() == kSet) ::unlink(slot.path);
}

// Enters `path`; the slot's index, or -1 when it is not guarded.
int enterName(const fs::path& path) {
  if (path.native().size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!slots[i].state.compare_exchange_strong(expected, kClaimed)) continue;
    std::memcpy(slots[i].path, path.c_str(), path.native().size() + 1);
    std::call_once(guarded, detail::cleanUpOnInterrupt, removeInFlight);
    slots[i].state = kSet;
    return i;
  }
  return -1;
}

void leaveName(int& slot) {
  if (slot < 0) return;
  slots[slot].state = kFree;
  slot = -1;
}

// Through /proc first: linking by descriptor (AT_EMPTY_PATH) needs a
// capability most users lack.
int linkUnnamed(int fd, const fs::path& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  if (errno != ENOENT) return -1;
  return ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
}

struct SystemTemp final : TempFile::State {
  using State::State;
  int fd = -1;
  int slot = -1;  // its entry in the signal table
  mode_t mode = 0;  // the final permission bits
  bool chown = false;
  uid_t uid = 0;
  gid_t gid = 0;
  dev_t device = 0;

  ~SystemTemp() override { drop(); }
  void drop() {
    if (fd >= 0) ::close(fd);
    fd = -1;
    if (!named.empty() && !placed) ::unlink(named.c_str());
    if (!named.empty()) detail::leaveLive(named);
    named.clear();
    leaveName(slot);
  }
  // Names the file at a fresh temporary name beside the target, by creating
  // it (`fresh`) or by linking the unnamed file there.
  int name(bool fresh) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      const fs::path path = target.parent_path() / detail::tempName(target.filename());
      detail::enterLive(path);
      slot = enterName(path);
      int rc = fresh ? ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)
                     : linkUnnamed(fd, path);
      if (rc >= 0 && stopping.load()) {
        if (fresh) ::close(rc);
        ::unlink(path.c_str());
        errno = EINTR;
        rc = -1;
      }
      if (rc >= 0) {
        named = path;
        return rc;
      }
      const int e = errno;
      detail::leaveLive(path);
      leaveName(slot);
      errno = e;
      if (e != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
  }
};

SystemTemp& sys(const std::unique_ptr<TempFile::State>& s) { return static_cast<SystemTemp&>(*s); }

}  // namespace

Result<TempFile> TempFile::create(const fs::path& target, bool replacing) {
  TempFile t;
  t.s_ = std::make_unique<SystemTemp>(target);
  SystemTemp& s = sys(t.s_);
  struct stat st {};
  if (replacing) {
    if (::stat(s.target.c_str(), &st) != 0) return errnoError(errno);
    // A write-protected file is not replaced behind the user's back.
    if (::access(s.target.c_str(), W_OK) != 0) return errnoError(errno);
    s.mode = st.st_mode & 07777;
    s.chown = true;
    s.uid = st.st_uid;
    s.gid = st.st_gid;
  } else {
    s.mode = 0666 & ~detail::currentUmask();
  }
  // Owner-only until the content is complete.
  const fs::path dir = s.target.parent_path();
  if (!detail::namedTemporariesOnly()) {
    s.fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (s.fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errnoError(errno);
  }
  if (s.fd < 0) {
    s.fd = s.name(true);
    if (s.fd < 0) return errnoError(errno);
  }
  return t;
}

Status TempFile::write(std::span<const std::span<const std::uint8_t>> parts) {
  SystemTemp& s = sys(s_);
  std::vector<iovec> iov;
  iov.reserve(parts.size());
  std::uint64_t total = 0;
  for (const auto& part : parts) {
    if (part.empty()) continue;
    iov.push_back(iovec{const_cast<std::uint8_t*>(part.data()), part.size()});
    total += part.size();
  }
  std::uint64_t done = 0;
  std::size_t first = 0;
  while (first < iov.size()) {
    const auto count = static_cast<int>(std::min<std::size_t>(iov.size() - first, IOV_MAX));
    const ssize_t n = ::pwritev(s.fd, iov.data() + first, count, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errnoError(errno);
    }
    if (n == 0) return errnoError(ENOSPC);  // no progress: a full disk
    done += static_cast<std::uint64_t>(n);
    auto left = static_cast<std::size_t>(n);
    while (first < iov.size() && left >= iov[first].iov_len) left -= iov[first++].iov_len;
    if (left > 0) {
      iov[first].iov_base = static_cast<std::uint8_t*>(iov[first].iov_base) + left;
      iov[first].iov_len -= left;
    }
  }
  if (s.chown) {
    // Only a privileged user can hand a file to another owner; keep ours.
    [[maybe_unused]] const int owned = ::fchown(s.fd, s.uid, s.gid);
  }
  if (::fchmod(s.fd, s.mode) != 0) return errnoError(errno);
  struct stat written {};
  if (::fstat(s.fd, &written) != 0) return errnoError(errno);
  if (static_cast<std::uint64_t>(written.st_size) != total) return errnoError(EIO);
  s.device = written.st_dev;
  return Status::success();
}

Status TempFile::flush() {
  if (::fsync(sys(s_).fd) != 0) return errnoError(errno);
  return Status::success();
}

Status TempFile::place(Placement placement) {
  SystemTemp& s = sys(s_);
  auto fail = [&](int e) -> Status {
    s.drop();
    return errnoError(e);
  };
  if (s.named.empty()) {
    // A new file: linking the finished file under its name is atomic and
    // leaves nothing behind at any moment.
    if (linkUnnamed(s.fd, s.target) == 0) {
      s.placed = true;
      return Status::success();
    }
    if (errno != EEXIST || placement == Placement::NoReplace) return fail(errno);
    // link() cannot replace: name the file beside the target, then rename.
    if (s.name(false) < 0) return fail(errno);
  }
  const int rc = placement == Placement::Replace
                     ? ::rename(s.named.c_str(), s.target.c_str())
                     : ::renameat2(AT_FDCWD, s.named.c_str(), AT_FDCWD, s.target.c_str(), RENAME_NOREPLACE);
  if (rc != 0) return fail(errno);
  s.placed = true;
  detail::leaveLive(s.named);
  s.named.clear();
  leaveName(s.slot);
  return Status::success();
}

void TempFile::flushName() { detail::flushFolder(s_->target.parent_path()); }

Status TempFile::flushAll(std::span<TempFile> files) {
  std::map<dev_t, int> devices;
  for (const auto& f : files) devices.emplace(sys(f.s_).device, sys(f.s_).fd);
  // syncfs reports any write-back error of the file system since `fd` was
  // opened, which was before its file was written (Linux 5.8 and later).
  for (const auto& [device, fd] : devices) {
    if (::syncfs(fd) == 0) continue;
    if (errno != ENOSYS) return errnoError(errno);
    for (auto& f : files)
      if (sys(f.s_).device == device)
        if (Status flushed = f.flush(); !flushed)
          return Error{flushed.error().kind, utf8(f.target()) + ": " + describe(flushed.error()),
                       flushed.error().code};
  }
  return Status::success();
}

void TempFile::flushNames(std::span<TempFile> files) {
  // One more syncfs commits every new directory entry (and the folders made
  // for them) at once, where an fsync per folder would commit the journal
  // once per folder.
  std::map<dev_t, int> devices;
  for (const auto& f : files)
    if (sys(f.s_).fd >= 0) devices.emplace(sys(f.s_).device, sys(f.s_).fd);
  for (const auto& [device, fd] : devices) {
    if (::syncfs(fd) == 0) continue;
    for (auto& f : files)
      if (sys(f.s_).device == device) f.flushName();
  }
}

}  // namespace pt
