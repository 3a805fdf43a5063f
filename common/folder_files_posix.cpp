#include "common/folder_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/interrupt_posix.h"
#include "common/paths.h"

namespace pt {

namespace fs = std::filesystem;

namespace {

Error withPath(const fs::path& path, const Error& e) {
  return Error{e.kind, utf8(path) + ": " + describe(e), e.code};
}

// --- staging folders removed on a signal ------------------------------------

// struct linux_dirent64: inode (8 bytes), offset (8), record length (2),
// type (1), then the name.
constexpr long kReclenAt = 16, kNameAt = 19;

// Removes a folder of files with calls that are safe in a signal handler;
// several rounds, as another thread may still be adding files.
void removeFlatFolder(const char* path) {
  for (int round = 0; round < 16; ++round) {
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    alignas(8) char buf[4096];
    long n;
    while ((n = ::syscall(SYS_getdents64, fd, buf, sizeof buf)) > 0) {
      for (long at = 0; at < n;) {
        unsigned short reclen;
        std::memcpy(&reclen, buf + at + kReclenAt, sizeof reclen);
        const char* name = buf + at + kNameAt;
        at += reclen;
        const bool dots = name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
        if (!dots) ::unlinkat(fd, name, 0);
      }
    }
    ::close(fd);
    if (::rmdir(path) == 0 || (errno != ENOTEMPTY && errno != EEXIST)) return;
  }
}

// Each live staging folder is first moved to a name no one else uses, so
// that its removal cannot race with its rename into place; after an
// exchange the staging name holds the earlier folder, which goes as well.
void removeStagingFolders() {
  detail::stagingStopping = true;
  for (auto* e = detail::stagingFolders(); e; e = e->next)
    if (e->live.load() && ::rename(e->staged.c_str(), e->dying.c_str()) == 0) removeFlatFolder(e->dying.c_str());
}

bool plainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

void detail::guardStagingFolders() { cleanUpOnInterrupt(removeStagingFolders); }

Result<FileHead> readFileInFolder(const fs::path& folder, const std::string& name, std::size_t maxBytes) {
  const fs::path path = folder / pathFromUtf8(name);
  if (!plainName(name)) return Error{ErrorKind::NotAFile, utf8(path) + ": not a file name in the folder"};
  // Non-blocking, so that a named pipe cannot hang the open; never through a link.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ELOOP)
      return Error{ErrorKind::NotAFile, utf8(path) + ": a symbolic link, not a file in the folder", errno};
    return withPath(path, errnoError(errno));
  }
  FileHead head;
  struct stat st {};
  int e = ::fstat(fd, &st) == 0 ? 0 : errno;
  if (e == 0 && !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Error{ErrorKind::NotAFile, utf8(path) + ": not a regular file", 0};
  }
  if (e == 0) {
    head.size = static_cast<std::uint64_t>(st.st_size);
    head.bytes.resize(std::min<std::uint64_t>(head.size, maxBytes));
    std::size_t got = 0;
    while (got < head.bytes.size()) {
      const ssize_t n = ::pread(fd, head.bytes.data() + got, head.bytes.size() - got, static_cast<off_t>(got));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) e = errno;
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    head.bytes.resize(got);
  }
  ::close(fd);
  if (e != 0) return withPath(path, errnoError(e));
  return head;
}

}  // namespace pt
