#include "batch/slot_batch.h"

#include <cstdio>

#include "batch/export_all.h"
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
  std::vector<fs::path> planned, existing;
  for (std::uint8_t i = 0; i < kSlotCount; ++i)
    if (file.slots[i].used == 1) planned.push_back(folder / slotFileName(i, format));
  planned.push_back(folder / kManifestName);
  for (const auto& path : planned)
    if (fileExists(path)) existing.push_back(path);
  if (!existing.empty() && !prompt.askYesNo("Export all slots", replaceQuestion(existing, planned.size(), folder)))
    return Error{ErrorKind::Declined, "the existing files were kept"};
  const ExportAllResult done =
      exportContainersToFolders({{pathFromUtf8(containerName), folder, &file}}, format, header, true);
  if (!done.refusals.empty()) {
    std::string all = done.refusals.front();
    for (std::size_t i = 1; i < done.refusals.size(); ++i) all += "; " + done.refusals[i];
    return Error{ErrorKind::Declined, all};
  }
  if (!done.failed.empty()) return done.failed.front().error;
  if (!done.stopped) return done.stopped.error();
  return planned.size() - 1;
}

}  // namespace pt
