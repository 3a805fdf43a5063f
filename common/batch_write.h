#pragma once
// Writing many whole files at once with the guarantee of safeWriteFile (each
// target holds its complete new bytes or its earlier file, never a mixture,
// and survives a crash of the system once the writer says so) while paying
// for one flush per batch instead of two per file.
//
// Each file is written, unflushed, to a temporary file of the engine in
// temp_files.h (private, unnamed where the system allows), then given its
// final permission bits. When a batch is full or commit() is called, the
// data of all its files goes to disk at once (one syncfs() per file system on
// Linux, which also reports any write-back error since the files were
// opened); then each file takes its name, and the names are flushed at once.
// A crash before a file's rename leaves its earlier file and no trace of the
// new one; after it, the complete new file, since its data was durable
// before its name existed.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

#include "common/error.h"

namespace pt {

class BatchWriter {
 public:
  enum class Existing {
    Replace,  // an existing regular file is replaced (keeping its permission bits)
    Keep,     // an existing file is an error (ErrorKind::Declined) and stays
  };

  // `maxPending` bounds the temporary files open at once.
  explicit BatchWriter(Existing existing, std::size_t maxPending = 256);
  ~BatchWriter();  // drops every file not yet committed
  BatchWriter(const BatchWriter&) = delete;
  BatchWriter& operator=(const BatchWriter&) = delete;

  // Writes `data` for `target` (a symbolic link is followed). Safe to call
  // from several threads. After the first error every later call returns
  // that error and nothing more is put in place.
  Status add(const std::filesystem::path& target, std::span<const std::uint8_t> data);

  // Puts every file added so far in place, durably. Returns the first error.
  Status commit();

  // Files put in place so far.
  std::size_t committed() const;

  // The first error so far, without waiting for anything.
  Status failure() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Creates the folder and its missing parents. They are not flushed here: the
// commit of the files written into them flushes them with the files. On a
// failure the folders it made are removed again.
Status makeFolders(const std::filesystem::path& folder);

}  // namespace pt
