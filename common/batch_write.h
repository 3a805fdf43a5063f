#pragma once
// Writing many whole files at once with the guarantee of safeWriteFile (each
// target holds its complete new bytes or its earlier file, never a mixture,
// and survives a crash of the system once the writer says so) while paying
// for one flush per batch instead of two per file.
//
// Each file is first written, unflushed and readable by its owner only, to
// an unnamed temporary file in its target's folder (O_TMPFILE; a named one
// as safeWriteFile names them where the file system has none, or when
// VARNHOLT_NAMED_TEMPORARIES is set), then given its final permission bits. When a batch is full or commit() is called, one syncfs() per
// file system puts all their data and inodes on disk in one journal commit
// and reports any write-back error since the files were opened (Linux 5.8
// and later; an fsync per file where syncfs is missing); then each file is
// linked or renamed into place, and a second syncfs() commits all the new
// names at once. A crash before a file's rename leaves its earlier file and
// no trace of the new one (an unnamed file vanishes); after it, the complete
// new file, since its data was durable before its name existed.
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
// commit of the files written into them flushes them with the files.
Status makeFolders(const std::filesystem::path& folder);

}  // namespace pt
