#include "batch/slot_batch.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include <nlohmann/json.hpp>

#include "common/batch_write.h"
#include "common/file_io.h"

namespace pt {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

Error bad(const fs::path& manifest, const std::string& why) {
  return Error{ErrorKind::Invalid, manifest.string() + ": " + why};
}

// A manifest names files in its own folder only.
bool plainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

Result<std::vector<SlotFile>> fromManifest(const fs::path& folder, const fs::path& manifest) {
  auto text = readFileHead(manifest, 1 << 20);
  if (!text) return Error{text.error().kind, manifest.string() + ": " + describe(text.error())};
  const Json j = Json::parse(text->begin(), text->end(), nullptr, false);
  if (j.is_discarded()) return bad(manifest, "not valid JSON");
  if (!j.is_object() || !j.contains("slots") || !j["slots"].is_array())
    return bad(manifest, "no \"slots\" array");
  std::vector<SlotFile> files;
  std::vector<bool> seen(kSlotCount, false);
  for (const auto& entry : j["slots"]) {
    if (!entry.is_object() || !entry.contains("slot") || !entry["slot"].is_number_unsigned() ||
        entry["slot"].get<std::uint64_t>() >= kSlotCount)
      return bad(manifest, "a slot entry without a slot number from 0 to 19");
    const auto slot = entry["slot"].get<std::uint8_t>();
    if (seen[slot]) return bad(manifest, "slot " + std::to_string(slot) + " is listed twice");
    seen[slot] = true;
    if (!entry.contains("file") || entry["file"].is_null()) continue;
    if (!entry["file"].is_string() || !plainName(entry["file"].get<std::string>()))
      return bad(manifest, "slot " + std::to_string(slot) +
                               ": \"file\" must be null or a file name in the folder");
    files.push_back({slot, folder / entry["file"].get<std::string>()});
  }
  return files;
}

Result<std::vector<SlotFile>> fromNames(const fs::path& folder) {
  std::map<std::uint8_t, std::vector<fs::path>> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    const auto digit = [&](std::size_t i) { return name[i] >= '0' && name[i] <= '9'; };
    // slotNN.EXT, NN two digits
    if (name.size() != 10 || name.compare(0, 4, "slot") != 0 || !digit(4) || !digit(5) ||
        name[6] != '.' || !slotFileFormatOf(name))
      continue;
    const unsigned n = (name[4] - '0') * 10u + (name[5] - '0');
    if (n >= kSlotCount) continue;
    found[static_cast<std::uint8_t>(n)].push_back(entry.path());
  }
  if (ec) return Error{ErrorKind::Io, folder.string() + ": " + ec.message(), ec.value()};
  std::vector<SlotFile> files;
  std::string twice;
  for (auto& [slot, paths] : found) {
    if (paths.size() > 1) {
      std::sort(paths.begin(), paths.end());
      twice += (twice.empty() ? "" : "; ") + std::string("slot ") + std::to_string(slot) + ": " +
               paths[0].filename().string() + " and " + paths[1].filename().string();
    }
    files.push_back({slot, paths[0]});
  }
  if (!twice.empty())
    return Error{ErrorKind::Invalid, folder.string() + ": two files for one slot (" + twice + ")"};
  return files;
}

}  // namespace

std::string slotFileName(std::size_t slot, SlotFileFormat format) {
  char name[16];
  std::snprintf(name, sizeof name, "slot%02zu", slot);
  return name + std::string(extensionOf(format));
}

std::string buildManifest(const std::string& containerName, const PtFile& file, SlotFileFormat format) {
  Json slots = Json::array();
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const SlotRow r = slotRow(file, i);
    slots.push_back({{"slot", r.slot},
                     {"used", r.used},
                     {"width", r.width},
                     {"height", r.height},
                     {"file", r.used == 1 ? Json(slotFileName(i, format)) : Json(nullptr)}});
  }
  return Json{{"container", containerName}, {"slots", slots}}.dump(2) + "\n";
}

Status buildExportFiles(const PtFile& file, const std::string& containerName, SlotFileFormat format,
                        const BmpHeader* header, const TakeFile& take) {
  for (std::uint8_t i = 0; i < kSlotCount; ++i) {
    if (file.slots[i].used != 1) continue;
    auto bytes = slotFileBytes(file, i, format, header, false);
    if (!bytes)
      return Error{bytes.error().kind, "slot " + std::to_string(i) + ": " + describe(bytes.error())};
    if (auto taken = take(slotFileName(i, format), *bytes); !taken) return taken;
  }
  const std::string manifest = buildManifest(containerName, file, format);
  return take(kManifestName,
              std::span(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()));
}

Result<std::vector<PlannedFile>> planExport(const PtFile& file, const std::string& containerName,
                                            const fs::path& folder, SlotFileFormat format,
                                            const BmpHeader* header) {
  std::vector<PlannedFile> files;
  const Status built = buildExportFiles(file, containerName, format, header,
                                        [&](const std::string& name, std::span<const std::uint8_t> bytes) {
                                          files.push_back({folder / name, Bytes(bytes.begin(), bytes.end())});
                                          return Status::success();
                                        });
  if (!built) return built.error();
  return files;
}

std::vector<fs::path> existingTargets(const std::vector<PlannedFile>& files) {
  std::vector<fs::path> found;
  for (const auto& f : files)
    if (fileExists(f.path)) found.push_back(f.path);
  return found;
}

Status writePlannedFiles(const fs::path& folder, const std::vector<PlannedFile>& files) {
  for (const auto& f : files) {
    const FileType type = fileTypeAt(f.path);
    if (type != FileType::Missing && type != FileType::Regular)
      return Error{ErrorKind::NotAFile, f.path.string() + ": not a regular file"};
  }
  if (auto made = makeFolders(folder); !made) return made;
  BatchWriter writer(BatchWriter::Existing::Replace);
  for (const auto& f : files)
    if (auto added = writer.add(f.path, f.bytes); !added) return added;
  return writer.commit();
}

Result<std::vector<SlotFile>> slotFilesIn(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return Error{ErrorKind::NotFound, folder.string() + ": not a folder"};
  const fs::path manifest = folder / kManifestName;
  auto files = fileExists(manifest) ? fromManifest(folder, manifest) : fromNames(folder);
  if (files) std::sort(files->begin(), files->end(), [](auto& a, auto& b) { return a.slot < b.slot; });
  return files;
}

FolderImport importSlotFolder(PtFile& file, const fs::path& folder, const ImportOptions& options) {
  const auto files = slotFilesIn(folder);
  if (!files) return FolderImport{{}, {describe(files.error())}};
  return importSlotFiles(file, *files, options);
}

FolderImport importSlotFiles(PtFile& file, const std::vector<SlotFile>& files, const ImportOptions& options) {
  FolderImport result;
  // Into a copy, so that a refusal anywhere leaves the container untouched.
  PtFile copy = file;
  for (const auto& f : files) {
    char slot[8];
    std::snprintf(slot, sizeof slot, "%02u", unsigned(f.slot));
    const auto format = slotFileFormatOf(f.path);
    if (!format) {
      result.refusals.push_back("slot " + std::string(slot) + ": " + f.path.string() +
                                ": not a .tex, .bmp or .png file");
      continue;
    }
    auto notes = importSlotFile(copy, f.slot, f.path, *format, options);
    if (notes) result.loaded.push_back({f, *notes});
    else
      result.refusals.push_back("slot " + std::string(slot) + ": " + f.path.string() + ": " +
                                describe(notes.error()));
  }
  if (!result.refusals.empty()) {
    result.loaded.clear();
    return result;
  }
  file = std::move(copy);
  return result;
}

}  // namespace pt
