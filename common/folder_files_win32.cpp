// Windows: the staging folder without a signal guard (Ctrl+C ends a console
// program at once; the sweep of a later run removes what it left), and reads
// that refuse a link or any other reparse point by its status first.
#include "common/folder_files.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "common/file_io.h"
#include "common/folders.h"
#include "common/paths.h"

namespace pt {

namespace fs = std::filesystem;

struct detail::StagingEntry {
  fs::path staged;
  bool live = true;
};

Result<StagingFolder> StagingFolder::beside(const fs::path& target) {
  auto staged = makeStagingFolder(target);
  if (!staged) return Error{staged.error().kind, utf8(target) + ": " + describe(staged.error()), staged.error().code};
  return StagingFolder(new detail::StagingEntry{*staged});
}

StagingFolder::StagingFolder(StagingFolder&& other) noexcept : entry_(std::exchange(other.entry_, nullptr)) {}

StagingFolder& StagingFolder::operator=(StagingFolder&& other) noexcept {
  if (this != &other) {
    this->~StagingFolder();
    entry_ = std::exchange(other.entry_, nullptr);
  }
  return *this;
}

StagingFolder::~StagingFolder() {
  if (!entry_) return;
  if (entry_->live) (void)removeFolderTree(entry_->staged);
  delete entry_;
  entry_ = nullptr;
}

const fs::path& StagingFolder::path() const { return entry_->staged; }

Status StagingFolder::replace(const fs::path& target) {
  Status replaced = replaceFolder(entry_->staged, target);
  if (!replaced) return Error{replaced.error().kind, utf8(target) + ": " + describe(replaced.error()), replaced.error().code};
  entry_->live = false;
  return replaced;
}

Result<FileHead> readFileInFolder(const fs::path& folder, const std::string& name, std::size_t maxBytes) {
  const fs::path path = folder / pathFromUtf8(name);
  const auto shown = [&](const std::string& why) { return utf8(path) + ": " + why; };
  if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\:") != std::string::npos)
    return Error{ErrorKind::NotAFile, shown("not a file name in the folder")};
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(path, ec);
  if (!fs::exists(status)) return Error{ErrorKind::NotFound, shown(describe(errnoError(ENOENT))), ENOENT};
  if (fs::is_symlink(status)) return Error{ErrorKind::NotAFile, shown("a symbolic link, not a file in the folder")};
  if (!fs::is_regular_file(status)) return Error{ErrorKind::NotAFile, shown("not a regular file")};
  FileReader reader;
  if (Status opened = reader.open(path); !opened) return Error{opened.error().kind, shown(describe(opened.error())), opened.error().code};
  FileHead head;
  head.size = reader.size();
  head.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(head.size, maxBytes)));
  auto got = reader.readAt(0, head.bytes);
  if (!got) return Error{got.error().kind, shown(describe(got.error())), got.error().code};
  head.bytes.resize(*got);
  return head;
}

}  // namespace pt
