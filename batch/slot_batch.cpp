#include "batch/slot_batch.h"

#include <cstdio>

#include "batch/folder_export.h"
#include "common/batch_write.h"
#include "common/file_io.h"
#include "common/paths.h"

namespace pt {

namespace fs = std::filesystem;

std::string slotFileName(std::size_t slot, SlotFileFormat format) {
  char name[16];
  std::snprintf(name, sizeof name, "slot%02zu", slot);
  return name + std::string(extensionOf(format));
}

Status buildExportFiles(const PtFile& file, const std::string& containerName, SlotFileFormat format,
                        const BmpHeader* header, const TakeFile& take) {
  std::vector<ManifestFile> written;
  for (std::uint8_t i = 0; i < kSlotCount; ++i) {
    if (file.slots[i].used != 1) continue;
    auto bytes = slotFileBytes(file, i, format, header, false);
    if (!bytes)
      return Error{bytes.error().kind, "slot " + std::to_string(i) + ": " + describe(bytes.error())};
    written.push_back({i, slotFileName(i, format), bytes->size(), fnv1a64(*bytes)});
    if (auto taken = take(written.back().name, *bytes); !taken) return taken;
  }
  const std::string manifest = buildManifest(containerName, file, written);
  return take(kManifestName,
              std::span(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()));
}

Result<std::vector<PlannedFile>> planExport(const PtFile& file, const std::string& containerName,
                                            const fs::path& folder, SlotFileFormat format,
                                            const BmpHeader* header) {
  std::vector<PlannedFile> files;
  const Status built = buildExportFiles(file, containerName, format, header,
                                        [&](const std::string& name, std::span<const std::uint8_t> bytes) {
                                          files.push_back({folder / pathFromUtf8(name), Bytes(bytes.begin(), bytes.end())});
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
  FolderExport exported(true);
  exported.add(folder);
  auto refusals = exported.prepare();
  if (!refusals) return refusals.error();
  if (!refusals->empty()) {
    std::string all = refusals->front();
    for (std::size_t i = 1; i < refusals->size(); ++i) all += "; " + (*refusals)[i];
    return Error{ErrorKind::Declined, all};
  }
  BatchWriter writer(BatchWriter::Existing::Keep);
  for (const auto& f : files)
    if (auto added = writer.add(exported.staged(0) / f.path.filename(), f.bytes); !added)
      return exported.named(added.error());
  if (Status committed = writer.commit(); !committed) return exported.named(committed.error());
  return exported.place();
}

namespace {
// "3 of the 18 files to write exist already in DIR:\nslot00.png, ... and 1 more\nOverwrite them?"
std::string replaceQuestion(const std::vector<fs::path>& existing, std::size_t planned, const fs::path& folder) {
  constexpr std::size_t kNamed = 5;
  std::string names;
  for (std::size_t i = 0; i < existing.size() && i < kNamed; ++i)
    names += (i ? ", " : "") + utf8(existing[i].filename());
  if (existing.size() > kNamed) names += " and " + std::to_string(existing.size() - kNamed) + " more";
  return std::to_string(existing.size()) + " of the " + std::to_string(planned) + " files to write exist already in " +
         utf8(folder) + ":\n" + names + "\nOverwrite them?";
}
}  // namespace

Result<std::size_t> exportSlotFolder(const PtFile& file, const std::string& containerName, const fs::path& folder,
                                     SlotFileFormat format, const BmpHeader* header, UserPrompt& prompt) {
  const auto plan = planExport(file, containerName, folder, format, header);
  if (!plan) return plan.error();
  const auto existing = existingTargets(*plan);
  if (!existing.empty() && !prompt.askYesNo("Export all slots", replaceQuestion(existing, plan->size(), folder)))
    return Error{ErrorKind::Declined, "the existing files were kept"};
  if (Status written = writePlannedFiles(folder, *plan); !written) return written.error();
  return plan->size() - 1;
}

}  // namespace pt
