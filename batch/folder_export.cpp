#include "batch/folder_export.h"

#include <algorithm>

#include "batch/manifest.h"
#include "common/batch_write.h"
#include "common/file_io.h"
#include "common/paths.h"

namespace pt {

namespace fs = std::filesystem;

FolderExport::~FolderExport() {
  for (auto& t : targets_) t.staged.reset();
  if (placed_ > 0 || created_.empty()) return;
  // The folders made for nothing, innermost first, as long as they are empty.
  std::error_code ec;
  for (fs::path at = innermost_; fs::remove(at, ec) && at != created_;) at = at.parent_path();
}

std::size_t FolderExport::add(const fs::path& folder) {
  targets_.push_back(Target{folder, {}, false, std::nullopt, std::nullopt});
  return targets_.size() - 1;
}

const fs::path& FolderExport::staged(std::size_t index) const { return targets_[index].staged->path(); }

// What an existing folder holds: an earlier export may go (with --force),
// anything else stops the export.
std::vector<std::string> FolderExport::check(const Target& t) const {
  std::error_code ec;
  std::vector<std::string> names, refusals, foreign;
  for (fs::directory_iterator it(t.real, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
    names.push_back(utf8(it->path().filename()));
  if (ec) return {utf8(t.folder) + ": " + ec.message()};
  std::sort(names.begin(), names.end());
  for (const auto& name : names) {
    if (name.rfind(kTempPrefix, 0) == 0) continue;  // goes with the folder
    if (name != kManifestName && !slotOfFileName(name)) {
      foreign.push_back(name);
      continue;
    }
    const fs::path path = t.folder / pathFromUtf8(name);
    if (!fs::is_regular_file(fs::symlink_status(t.real / pathFromUtf8(name), ec)))
      refusals.push_back(utf8(path) + ": not a regular file");
    else if (!replace_)
      refusals.push_back(utf8(path) + ": exists (give --force to replace it)");
  }
  if (!foreign.empty()) {
    std::string list = foreign[0];
    for (std::size_t i = 1; i < std::min<std::size_t>(foreign.size(), 3); ++i) list += ", " + foreign[i];
    if (foreign.size() > 3) list += " and " + std::to_string(foreign.size() - 3) + " more";
    refusals.push_back(utf8(t.folder) + ": holds " + list +
                       ", not an export's files; a container's folder is replaced whole, so it may "
                       "hold nothing else");
  }
  return refusals;
}

Result<std::vector<std::string>> FolderExport::prepare() {
  std::vector<std::string> refusals;
  std::vector<Target*> order;
  for (auto& t : targets_) {
    std::error_code ec;
    const fs::path parent = fs::absolute(t.folder, ec).parent_path();
    fs::path missing;
    for (fs::path at = parent; !at.empty() && !fs::exists(at, ec) && at != at.parent_path(); at = at.parent_path())
      missing = at;
    if (auto made = makeFolders(parent); !made) return made.error();
    if (created_.empty() && !missing.empty()) {
      created_ = missing;
      innermost_ = parent;
    }
    t.real = fs::weakly_canonical(fs::absolute(t.folder, ec), ec);
    if (ec) return Error{ErrorKind::Io, utf8(t.folder) + ": " + ec.message(), ec.value()};
    if (!t.real.has_filename() || t.real == t.real.root_path())
      refusals.push_back(utf8(t.folder) + ": not a folder that can be replaced");
    else
      order.push_back(&t);
  }
  // One fixed order, so that two exports of the same folders cannot wait
  // for each other; two containers must not meet in one folder.
  std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->real < b->real; });
  for (std::size_t i = 1; i < order.size(); ++i)
    if (order[i]->real == order[i - 1]->real)
      refusals.push_back(utf8(order[i - 1]->folder) + " and " + utf8(order[i]->folder) + " are one folder");
  for (Target* t : order) {
    std::error_code ec;
    const FileType type = fileTypeAt(t->real);
    if (!fs::exists(fs::symlink_status(t->real, ec))) continue;  // made in one step at the end, or by no one
    if (type != FileType::Folder) {  // a file, a dangling link
      refusals.push_back(utf8(t->folder) + ": not a folder");
      continue;
    }
    auto lock = FolderLock::exclusive(t->real);
    if (!lock) return lock.error();
    t->exists = true;
    t->lock = std::move(*lock);
    for (auto& r : check(*t)) refusals.push_back(std::move(r));
  }
  if (!refusals.empty()) return refusals;
  for (auto& t : targets_) {
    auto staged = StagingFolder::beside(t.real);
    if (!staged) return staged.error();
    t.staged = std::move(*staged);
  }
  return refusals;
}

Error FolderExport::named(Error error) const {
  for (const auto& t : targets_) {
    if (!t.staged) continue;
    const std::string staged = utf8(t.staged->path()), folder = utf8(t.folder);
    for (std::size_t at; (at = error.detail.find(staged)) != std::string::npos;)
      error.detail.replace(at, staged.size(), folder);
  }
  return error;
}

Status FolderExport::place() {
  for (auto& t : targets_) {
    // An export made the folder since it was checked: that one stays.
    if (!t.exists && fileTypeAt(t.real) != FileType::Missing)
      return Error{ErrorKind::Busy, utf8(t.folder) + ": made by another program meanwhile"};
    if (Status replaced = t.staged->replace(t.real); !replaced) return replaced;
    ++placed_;
  }
  return Status::success();
}

}  // namespace pt
