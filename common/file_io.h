#pragma once
// Thin POSIX file access that reports the operating system's own error text.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "common/bytes.h"
#include "common/error.h"

namespace pt {

// A file opened for reading at explicit offsets; closed when destroyed.
class FileReader {
 public:
  FileReader() = default;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  ~FileReader();

  Status open(const std::filesystem::path& path);
  std::uint64_t size() const { return size_; }
  // Reads up to out.size() bytes at offset; fewer only at the end of the file.
  Result<std::size_t> readAt(std::uint64_t offset, std::span<std::uint8_t> out);
  // The same for consecutive bytes that go to several buffers, filled in
  // order, in as few system calls as the kernel allows.
  Result<std::size_t> readAt(std::uint64_t offset, std::span<const std::span<std::uint8_t>> parts);

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// Reads at most maxBytes from the start of the file.
Result<Bytes> readFileHead(const std::filesystem::path& path, std::size_t maxBytes);

// True when something other than a folder exists at the path, whether or not
// it can be read (a symbolic link counts by what it points to).
bool fileExists(const std::filesystem::path& path);

// Whether a replaced file must survive a crash of the system.
enum class Durability {
  Flushed,  // on disk before it replaces the earlier file (the user's files)
  Scratch,  // replaced as a whole but not flushed: a file the program
            // rewrites before every use, such as the preview
};

// Writes data to a temporary file beside the target, flushes it to disk
// (unless it is a scratch file) and renames it over the target. On failure the
// earlier file is untouched and the temporary file is removed. A symbolic link
// is followed: the file it points to is replaced. An existing target keeps its
// permission bits.
Status safeWriteFile(const std::filesystem::path& target,
                     std::span<const std::uint8_t> data,
                     Durability durability = Durability::Flushed);

// Prefix of the temporary files safeWriteFile makes, for tests that check
// nothing is left behind.
inline constexpr const char* kTempPrefix = ".varnholt-";

}  // namespace pt
