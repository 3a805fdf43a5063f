#include "batch/slot_folder.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "common/file_io.h"
#include "common/folder_files.h"
#include "exchange/slot_files.h"

namespace pt {

namespace fs = std::filesystem;

namespace {

Result<std::vector<ManifestEntry>> fromNames(const fs::path& folder) {
  std::map<std::uint8_t, std::vector<std::string>> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const std::string name = utf8(it->path().filename());
    if (const auto slot = slotOfFileName(name)) found[*slot].push_back(name);
  }
  if (ec) return Error{ErrorKind::Io, utf8(folder) + ": " + ec.message(), ec.value()};
  std::vector<ManifestEntry> files;
  std::string twice;
  for (auto& [slot, list] : found) {
    std::sort(list.begin(), list.end());
    if (list.size() > 1)
      twice += (twice.empty() ? "" : "; ") + std::string("slot ") + std::to_string(slot) + ": " + list[0] +
               " and " + list[1];
    files.push_back({slot, list[0], std::nullopt, std::nullopt});
  }
  if (!twice.empty())
    return Error{ErrorKind::Invalid, utf8(folder) + ": two files for one slot (" + twice + ")"};
  return files;
}

}  // namespace

Result<SlotFolder> SlotFolder::open(const fs::path& folder) {
  // Checked first: the lock would make a missing folder.
  if (fileTypeAt(folder) != FileType::Folder) return Error{ErrorKind::NotFound, utf8(folder) + ": not a folder"};
  auto lock = FolderLock::exclusive(folder);
  if (!lock) return lock.error();
  Result<std::vector<ManifestEntry>> files = std::vector<ManifestEntry>{};
  auto manifest = readFileInFolder(folder, kManifestName, kManifestMaxBytes + 1);
  const std::string manifestPath = utf8(folder / kManifestName);
  if (!manifest && manifest.error().kind == ErrorKind::NotFound) {
    files = fromNames(folder);
  } else if (!manifest) {
    return manifest.error();
  } else if (manifest->size > kManifestMaxBytes) {
    return Error{ErrorKind::Unsupported, manifestPath + ": too large for a manifest (" + std::to_string(manifest->size) +
                                             " bytes; at most " + std::to_string(kManifestMaxBytes) + " are read)"};
  } else if (files = parseManifest(manifest->bytes); !files) {
    return Error{ErrorKind::Invalid, manifestPath + ": " + describe(files.error())};
  }
  if (!files) return files.error();
  if (files->empty()) return Error{ErrorKind::NotFound, "nothing to import from " + utf8(folder)};
  std::stable_sort(files->begin(), files->end(), [](auto& a, auto& b) { return a.slot < b.slot; });
  return SlotFolder(folder, std::move(*lock), std::move(*files));
}

FolderImport SlotFolder::importInto(PtFile& file, const ImportOptions& options) const {
  FolderImport result;
  // Into a copy, so that a refusal anywhere leaves the container untouched.
  PtFile copy = file;
  for (const auto& f : files_) {
    char slot[16];
    std::snprintf(slot, sizeof slot, "slot %02u: ", unsigned(f.slot));
    const fs::path path = folder_ / pathFromUtf8(f.file);
    const auto refuse = [&](ErrorKind kind, const std::string& why, int code = 0) {
      result.refusals.push_back(Error{kind, slot + why, code});
    };
    const auto format = slotFileFormatOf(pathFromUtf8(f.file));
    if (!format) {
      refuse(ErrorKind::Unsupported, utf8(path) + ": not a .tex, .bmp or .png file");
      continue;
    }
    auto head = readFileInFolder(folder_, f.file, kSlotFileMaxBytes + 1);
    if (!head) {
      refuse(head.error().kind, describe(head.error()), head.error().code);
    } else if (head->size > kSlotFileMaxBytes) {
      refuse(ErrorKind::Unsupported,
             utf8(path) + ": the file has " + std::to_string(head->size) + " bytes, far more than a slot's file");
    } else if (!matchesManifest(f, head->bytes)) {
      refuse(ErrorKind::Invalid, f.file + " does not match the manifest: the folder mixes two exports");
    } else if (auto notes = importSlotBytes(copy, f.slot, head->bytes, *format, options); !notes) {
      refuse(notes.error().kind, utf8(path) + ": " + describe(notes.error()), notes.error().code);
    } else {
      result.loaded.push_back({{f.slot, path}, *notes});
    }
  }
  if (!result.refusals.empty()) {
    result.loaded.clear();
    return result;
  }
  file = std::move(copy);
  return result;
}

FolderImport importSlotFolder(PtFile& file, const fs::path& folder, const ImportOptions& options) {
  auto opened = SlotFolder::open(folder);
  if (!opened) return FolderImport{{}, {opened.error()}};
  return opened->importInto(file, options);
}

}  // namespace pt
