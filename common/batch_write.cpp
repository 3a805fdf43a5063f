#include "common/batch_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <optional>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/temp_files.h"

namespace pt {

namespace fs = std::filesystem;

using detail::tempName;

namespace {

Error withPath(const fs::path& path, const Error& e) {
  return Error{e.kind, path.string() + ": " + describe(e), e.code};
}

// A file written but not yet in place.
struct Pending {
  int fd = -1;
  fs::path target;
  fs::path named;  // the temporary file's name where there is no O_TMPFILE
  bool replace = false;  // something stood at the target when it was added
  dev_t device = 0;
};

void drop(Pending& p) {
  if (p.fd >= 0) ::close(p.fd);
  p.fd = -1;
  if (!p.named.empty()) ::unlink(p.named.c_str());
}

// Gives the written file its name. `mayReplace`: an existing target may be
// replaced; otherwise a target that appeared since is an error.
Status place(Pending& p, bool mayReplace) {
  if (!p.named.empty()) {
    const int rc = mayReplace ? ::rename(p.named.c_str(), p.target.c_str())
                              : ::renameat2(AT_FDCWD, p.named.c_str(), AT_FDCWD,
                                            p.target.c_str(), RENAME_NOREPLACE);
    if (rc != 0) return errnoError(errno);
    p.named.clear();
    return Status::success();
  }
  if (!p.replace) {
    // The common case, a new file: linking the finished file under its name
    // is atomic and leaves nothing behind at any moment.
    if (detail::linkUnnamed(p.fd, AT_FDCWD, p.target.string()) == 0) return Status::success();
    if (errno != EEXIST || !mayReplace) return errnoError(errno);
  }
  // link() cannot replace: name the file beside the target, then rename it.
  const fs::path named = p.target.parent_path() / tempName(p.target.filename().string());
  if (detail::linkUnnamed(p.fd, AT_FDCWD, named.string()) != 0) return errnoError(errno);
  if (::rename(named.c_str(), p.target.c_str()) != 0) {
    const int e = errno;
    ::unlink(named.c_str());
    return errnoError(e);
  }
  return Status::success();
}

void syncFolder(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

struct BatchWriter::State {
  Existing existing;
  std::size_t maxPending;
  mode_t umask = detail::currentUmask();  // read once: new files get 0666 less it
  std::mutex mutex;  // guards everything below
  std::vector<Pending> pending;
  std::optional<Error> failed;
  std::size_t committed = 0;
  // A full batch goes to the flusher thread, so that every writer thread
  // keeps encoding and writing while the disk takes the batch. One batch is
  // flushed at a time and one more may wait, which bounds the open files.
  std::condition_variable changed;
  std::optional<std::vector<Pending>> queued;
  bool flushing = false;
  bool stopping = false;
  std::thread flusher;

  void runFlusher() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return stopping || queued; });
      if (!queued) return;
      std::vector<Pending> batch = std::move(*queued);
      queued.reset();
      flushing = true;
      changed.notify_all();
      lock.unlock();
      (void)flush(batch);  // a failure is kept in `failed`
      lock.lock();
      flushing = false;
      changed.notify_all();
    }
  }

  Status fail(const Error& e) {
    std::lock_guard lock(mutex);
    if (!failed) failed = e;
    return *failed;
  }
  Status failure() {
    std::lock_guard lock(mutex);
    return failed ? Status(*failed) : Status::success();
  }

  // Flushes and places a batch taken out of `pending`, then closes its
  // files; the mutex is not held.
  Status flush(std::vector<Pending>& batch) {
    Status result = flushBatch(batch);
    for (auto& p : batch) drop(p);
    return result;
  }

  Status flushBatch(std::vector<Pending>& batch) {
    if (Status f = failure(); !f) return f;
    if (batch.empty()) return Status::success();
    std::map<dev_t, int> devices;
    for (const auto& p : batch) devices.emplace(p.device, p.fd);
    // syncfs reports any write-back error of the file system since `fd` was
    // opened, which was before its file was written (Linux 5.8 and later).
    for (const auto& [device, fd] : devices) {
      if (::syncfs(fd) == 0) continue;
      if (errno != ENOSYS) return fail(errnoError(errno));
      for (const auto& p : batch)
        if (p.device == device && ::fsync(p.fd) != 0) return fail(withPath(p.target, errnoError(errno)));
    }
    Status result;
    std::size_t placedCount = 0;
    for (auto& p : batch) {
      Status placed = place(p, existing == Existing::Replace);
      if (!placed) {
        result = fail(withPath(p.target, placed.error()));
        break;
      }
      ++placedCount;
    }
    {
      std::lock_guard lock(mutex);
      committed += placedCount;
    }
    // The names: one more syncfs commits every new directory entry (and the
    // folders made for them) at once, where an fsync per folder would commit
    // the journal once per folder.
    for (const auto& [device, fd] : devices) {
      if (::syncfs(fd) == 0) continue;
      if (errno != ENOSYS) {
        if (result.ok()) result = fail(errnoError(errno));
        continue;
      }
      for (const auto& p : batch)
        if (p.device == device) syncFolder(p.target.parent_path());
    }
    return result;
  }
};

BatchWriter::BatchWriter(Existing existing, std::size_t maxPending)
    : state_(std::make_unique<State>()) {
  state_->existing = existing;
  state_->maxPending = maxPending ? maxPending : 1;
}

BatchWriter::~BatchWriter() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    if (state_->queued) {
      for (auto& p : *state_->queued) drop(p);
      state_->queued.reset();
    }
  }
  state_->changed.notify_all();
  if (state_->flusher.joinable()) state_->flusher.join();
  for (auto& p : state_->pending) drop(p);
}

Status BatchWriter::failure() const { return state_->failure(); }

std::size_t BatchWriter::committed() const {
  std::lock_guard lock(state_->mutex);
  return state_->committed;
}

Status BatchWriter::add(const fs::path& requested, std::span<const std::uint8_t> data) {
  {
    std::lock_guard lock(state_->mutex);
    if (state_->failed) return *state_->failed;
  }
  Pending p;
  p.target = resolveLinks(requested);
  fs::path dir = p.target.parent_path();
  if (dir.empty()) dir = ".", p.target = dir / p.target;

  auto refuse = [&](const Error& e) {
    drop(p);
    return state_->fail(withPath(requested, e));
  };
  struct stat st {};
  p.replace = ::stat(p.target.c_str(), &st) == 0;
  if (!p.replace && errno != ENOENT) return refuse(errnoError(errno));  // a link loop, say
  if (p.replace) {
    if (!S_ISREG(st.st_mode)) return refuse(Error{ErrorKind::NotAFile, {}, 0});
    if (state_->existing == Existing::Keep) return refuse(Error{ErrorKind::Declined, "the file exists"});
    if (::access(p.target.c_str(), W_OK) != 0) return refuse(errnoError(errno));
  }
  const mode_t mode = p.replace ? (st.st_mode & 07777) : (0666 & ~state_->umask);

  // Readable by the owner only until it is complete, like every other write.
  const bool namedOnly = detail::namedTemporariesOnly();
  p.fd = namedOnly ? -1 : ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (p.fd < 0 && (namedOnly || errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    p.named = dir / tempName(p.target.filename().string());
    p.fd = ::open(p.named.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (p.fd < 0) p.named.clear();
  }
  if (p.fd < 0) return refuse(errnoError(errno));
  const std::span<const std::uint8_t> parts[] = {data};
  std::uint64_t size = 0;
  if (auto written = detail::writeParts(p.fd, parts, size); !written) return refuse(written.error());
  if (::fchmod(p.fd, mode) != 0) return refuse(errnoError(errno));
  if (p.replace) {
    // Only a privileged user can hand a file to another owner; keep ours.
    [[maybe_unused]] const int owned = ::fchown(p.fd, st.st_uid, st.st_gid);
  }
  struct stat done {};
  if (::fstat(p.fd, &done) != 0) return refuse(errnoError(errno));
  if (static_cast<std::uint64_t>(done.st_size) != data.size()) return refuse(errnoError(EIO));
  p.device = done.st_dev;

  std::unique_lock lock(state_->mutex);
  if (state_->failed) {
    drop(p);
    return *state_->failed;
  }
  state_->pending.push_back(std::move(p));
  if (state_->pending.size() < state_->maxPending) return Status::success();
  // Wait while one batch is flushed and another waits; then hand this one on.
  state_->changed.wait(lock, [&] { return !state_->queued || state_->failed; });
  if (state_->failed) return *state_->failed;
  if (state_->pending.size() < state_->maxPending) return Status::success();  // another thread handed it on
  state_->queued = std::move(state_->pending);
  state_->pending.clear();
  if (!state_->flusher.joinable()) state_->flusher = std::thread([s = state_.get()] { s->runFlusher(); });
  state_->changed.notify_all();
  return Status::success();
}

Status BatchWriter::commit() {
  std::vector<Pending> rest;
  {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [&] { return !state_->queued && !state_->flushing; });
    rest.swap(state_->pending);
  }
  (void)state_->flush(rest);
  return state_->failure();
}

Status makeFolders(const fs::path& folder) {
  std::vector<fs::path> created;
  fs::path at = folder;
  std::error_code ec;
  while (!at.empty() && !fs::exists(at, ec)) {
    created.push_back(at);
    if (at == at.parent_path()) break;
    at = at.parent_path();
  }
  for (auto it = created.rbegin(); it != created.rend(); ++it) {
    if (::mkdir(it->c_str(), 0777) != 0 && errno != EEXIST) return withPath(*it, errnoError(errno));
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) return withPath(folder, errnoError(errno));
  if (!S_ISDIR(st.st_mode)) return withPath(folder, errnoError(ENOTDIR));
  return Status::success();
}

}  // namespace pt
