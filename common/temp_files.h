#pragma once
// The temporary-file engine under every write of the program: the single
// safe write (safeWriteFile) and the batch writer (BatchWriter) both make a
// file's new content here and then let it take its target's name.
//
// A TempFile is made in its target's folder, readable and writable by its
// owner only, and where the system allows it has no name while it is
// written, so that nothing is left if the process dies:
//   Linux    an unnamed file (O_TMPFILE), named just before it is placed;
//   Windows  a hidden file opened unshared and marked delete-pending, which
//            the system removes when the process ends, until it is placed.
// Elsewhere (or with VARNHOLT_NAMED_TEMPORARIES set) it is named at once
// "<prefix><name>.<pid>.<n>.tmp". A named temporary is removed on SIGINT,
// SIGTERM and SIGHUP, and one that a dead process left (killed, or the system
// crashed) is removed by the sweep of a later write into the same folder.
//
// Once written, the file gets the permission bits (and, where the user may,
// the owner) of the file it replaces, or 0666 less the umask for a new one;
// on Windows the replacement keeps the earlier file's attributes. Dropping a
// TempFile that was not placed removes it.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "common/error.h"

namespace pt {

// How a finished temporary file takes its target's name.
enum class Placement {
  Replace,    // an existing file at the target is replaced in one step
  NoReplace,  // a file that appeared at the target meanwhile is an error (EEXIST)
};

class TempFile {
 public:
  TempFile();
  TempFile(TempFile&&) noexcept;
  TempFile& operator=(TempFile&&) noexcept;
  ~TempFile();  // removes the file unless it was placed

  // A new, empty temporary file beside `target` (a final path, links already
  // resolved). `replacing`: a regular file stands at the target now; it must
  // be writable by the user, and its permission bits are kept.
  static Result<TempFile> create(const std::filesystem::path& target, bool replacing);

  // Writes the whole content from the file's start (several parts in as few
  // system calls as the system allows), checks the size that landed and gives
  // the file its final permission bits.
  Status write(std::span<const std::span<const std::uint8_t>> parts);
  // Puts the data on disk (fsync, FlushFileBuffers).
  Status flush();
  // Gives the file the target's name in one step. On failure the temporary
  // file is removed and the target untouched.
  Status place(Placement placement);
  // Flushes the folder entry of a placed file (a no-op where placing is
  // already durable).
  void flushName();

  const std::filesystem::path& target() const;

  // Flushes the data of many written files at once: one syncfs per file
  // system on Linux (which also reports write-back errors since the files
  // were opened), else one flush per file.
  static Status flushAll(std::span<TempFile> files);
  // The same for the names of many placed files.
  static void flushNames(std::span<TempFile> files);

  // What every system keeps of a temporary file (temp_files.cpp); the
  // system's own kind adds its handle (temp_files_posix.cpp,
  // temp_files_win32.cpp).
  struct State {
    explicit State(const std::filesystem::path& target);
    virtual ~State() = default;
    std::filesystem::path target;  // "./name" for a bare name, so that it has a folder
    std::filesystem::path named;   // the temporary file's path while it has one
    bool placed = false;
  };

 private:
  std::unique_ptr<State> s_;
};

// Removes the temporary files and folders (see makeStagingFolder) that
// writes of processes no longer running left in the folder. Every write
// sweeps its folder; exposed for tests and for the batch commands.
void sweepStaleTemporaries(const std::filesystem::path& folder);

// Prefix of every temporary name, for tests that check nothing is left
// behind. Names are "<prefix><name>.<pid>.<n>.tmp".
inline constexpr const char* kTempPrefix = ".varnholt-";

namespace detail {
// "<prefix><name>.<pid>.<n><suffix>", the name cut to stay within the name
// limit; one counter for the whole process, so two writers never pick the
// same name.
std::filesystem::path tempName(const std::filesystem::path& targetName, const char* suffix = ".tmp");
// The process id in such a name, or 0 when it is not one of ours.
std::uint64_t tempOwner(const std::filesystem::path& name);
// True when VARNHOLT_NAMED_TEMPORARIES asks for named temporary files.
bool namedTemporariesOnly();
// The temporary names this process uses right now: the sweep leaves them
// alone even though their process id (ours) is alive, and removes the other
// names with our id, left by an earlier process of the same id (Wine and
// Windows hand ids out again soon).
void enterLive(const std::filesystem::path& name);
void leaveLive(const std::filesystem::path& name);
bool isLive(const std::filesystem::path& name);
// Whether the process with this id still runs (true when unsure).
bool processAlive(std::uint64_t pid);
// The id of this process.
std::uint64_t processId();
// Flushes a folder's entries to disk (POSIX; nothing to do on Windows).
void flushFolder(const std::filesystem::path& folder);
}  // namespace detail

}  // namespace pt
