#pragma once
// What a file was like when a program read or wrote it: its size, its
// modification time and a checksum of its bytes. A later stamp that differs
// means that someone changed or replaced the file meanwhile.
#include <cstdint>
#include <filesystem>
#include <span>

#include "common/error.h"

namespace pt {

struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // the file system's time, in its own units
  std::uint64_t checksum = 0;  // FNV-1a over every byte
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at path as it is now.
Result<FileStamp> stampFile(const std::filesystem::path& path);

// The stamp of `bytes` just written to path: their size and checksum, with
// the file's time. Whoever changes the file after the write changes the
// stamp, even when the file is not read back before that.
Result<FileStamp> stampWritten(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace pt
