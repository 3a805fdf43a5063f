#include "common/batch_write.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "common/file_io.h"
#include "common/paths.h"
#include "common/temp_files.h"

namespace pt {

namespace fs = std::filesystem;

namespace {

Error withPath(const fs::path& path, const Error& e) {
  return Error{e.kind, utf8(path) + ": " + describe(e), e.code};
}

}  // namespace

struct BatchWriter::State {
  Existing existing;
  std::size_t maxPending;
  std::mutex mutex;  // guards everything below
  std::vector<TempFile> pending;
  std::optional<Error> failed;
  std::size_t committed = 0;
  // A full batch goes to the flusher thread, so that every writer thread
  // keeps encoding and writing while the disk takes the batch. One batch is
  // flushed at a time and one more may wait, which bounds the open files.
  std::condition_variable changed;
  std::optional<std::vector<TempFile>> queued;
  bool flushing = false;
  bool stopping = false;
  std::thread flusher;

  void runFlusher() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return stopping || queued; });
      if (!queued) return;
      std::vector<TempFile> batch = std::move(*queued);
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
  // files (removing those not placed); the mutex is not held.
  Status flush(std::vector<TempFile>& batch) {
    Status result = flushBatch(batch);
    batch.clear();
    return result;
  }

  Status flushBatch(std::vector<TempFile>& batch) {
    if (Status f = failure(); !f) return f;
    if (batch.empty()) return Status::success();
    if (Status flushed = TempFile::flushAll(batch); !flushed) return fail(flushed.error());
    Status result;
    std::size_t placedCount = 0;
    const Placement placement = existing == Existing::Replace ? Placement::Replace : Placement::NoReplace;
    for (auto& file : batch) {
      Status placed = file.place(placement);
      if (!placed) {
        result = fail(withPath(file.target(), placed.error()));
        break;
      }
      ++placedCount;
    }
    {
      std::lock_guard lock(mutex);
      committed += placedCount;
    }
    TempFile::flushNames(std::span<TempFile>(batch.data(), placedCount));
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
    state_->queued.reset();
  }
  state_->changed.notify_all();
  if (state_->flusher.joinable()) state_->flusher.join();
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
  const fs::path target = resolveLinks(requested);
  auto refuse = [&](const Error& e) { return state_->fail(withPath(requested, e)); };
  const FileType type = fileTypeAt(target);
  if (type == FileType::Folder) return refuse(errnoError(EISDIR));
  if (type == FileType::Other) return refuse(Error{ErrorKind::NotAFile, {}, 0});
  const bool replacing = type == FileType::Regular;
  if (replacing && state_->existing == Existing::Keep) return refuse(Error{ErrorKind::Declined, "the file exists"});
  auto file = TempFile::create(target, replacing);
  if (!file) return refuse(file.error());
  const std::span<const std::uint8_t> parts[] = {data};
  if (auto written = file->write(parts); !written) return refuse(written.error());

  std::unique_lock lock(state_->mutex);
  if (state_->failed) return *state_->failed;
  state_->pending.push_back(std::move(*file));
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
  std::vector<TempFile> rest;
  {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [&] { return !state_->queued && !state_->flushing; });
    rest.swap(state_->pending);
  }
  (void)state_->flush(rest);
  return state_->failure();
}

Status makeFolders(const fs::path& folder) {
  std::error_code ec;
  // The outermost folder missing now: a failure removes what was made below it.
  fs::path outermost;
  for (fs::path at = folder; at.has_relative_path() && fileTypeAt(at) == FileType::Missing; at = at.parent_path())
    outermost = at;
  fs::create_directories(folder, ec);
  if (ec && ec != std::errc::file_exists) {
    // Name the part of the path that could not be made.
    fs::path at = folder;
    std::error_code missing;
    while (at.has_parent_path() && at != at.parent_path() && !fs::exists(at.parent_path(), missing))
      at = at.parent_path();
    const Error failed = withPath(at, errnoError(ec.value()));
    // Innermost first, each only while empty.
    for (fs::path made = folder; !outermost.empty(); made = made.parent_path()) {
      fs::remove(made, ec);
      if (made == outermost) break;
    }
    return failed;
  }
  if (fileTypeAt(folder) != FileType::Folder) return withPath(folder, errnoError(ENOTDIR));
  return Status::success();
}

}  // namespace pt
