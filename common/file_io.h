#pragma once
// File access that reports the operating system's own error text: one
// interface, built from file_io_posix.cpp or file_io_win32.cpp.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "common/bytes.h"
#include "common/error.h"
#include "common/temp_files.h"

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
  std::intptr_t fd_ = -1;  // a descriptor, or a Windows handle
  std::uint64_t size_ = 0;
};

// Reads at most maxBytes from the start of the file.
Result<Bytes> readFileHead(const std::filesystem::path& path, std::size_t maxBytes);

// True when something other than a folder exists at the path, whether or not
// it can be read. A symbolic link counts by what it points to when that
// exists; a dangling link and a link loop exist too (a write there would not
// make a new file).
bool fileExists(const std::filesystem::path& path);

// The file a chain of symbolic links ends at (the path itself if it is none).
std::filesystem::path resolveLinks(std::filesystem::path path);

// Whether a replaced file must survive a crash of the system.
enum class Durability {
  Flushed,  // on disk before it replaces the earlier file (the user's files)
  Scratch,  // replaced as a whole but not flushed: a file the program
            // rewrites before every use, such as the preview
};

// Writes data to a new file beside the target, flushes it to disk (unless it
// is a scratch file) and renames it over the target. On failure the earlier
// file is untouched and no temporary file is left.
//
// Flushed: a symbolic link is followed and the file it points to is replaced;
// an existing target keeps its permission bits, a new one gets 0666 less the
// umask. A target that exists but is not a regular file (FIFO, device,
// socket, link loop) is refused with ErrorKind::NotAFile.
// Scratch: whatever stands at the path itself (a link included) is replaced;
// a link is never written through.
//
// The new content is made by the temporary-file engine (temp_files.h):
// private to the owner until complete, without a name while it is written
// where the system allows, and never left behind by a failure, a signal or
// a kill. Another program holding the target open (Windows) is waited for
// briefly, then refused as ErrorKind::Busy.
Status safeWriteFile(const std::filesystem::path& target,
                     std::span<const std::uint8_t> data,
                     Durability durability = Durability::Flushed);

// The same for a file made of several parts, written in order in as few
// system calls as the kernel allows (no joined copy is made).
Status safeWriteFile(const std::filesystem::path& target,
                     std::span<const std::span<const std::uint8_t>> parts,
                     Durability durability = Durability::Flushed);

// What stands at a path, links followed (a link loop is Other).
enum class FileType { Missing, Regular, Folder, Other };
FileType fileTypeAt(const std::filesystem::path& path);

// Which file a path names, links followed: two paths name one file when
// their identities are equal. POSIX: device and inode; Windows: the volume's
// serial number and the file index (st_ino is 0 there).
struct FileId {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  auto operator<=>(const FileId&) const = default;
};
std::optional<FileId> fileIdentity(const std::filesystem::path& path);

}  // namespace pt
