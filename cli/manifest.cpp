#include "cli/manifest.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include <nlohmann/json.hpp>

#include "common/file_io.h"

namespace pt::cli {

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
      return bad(manifest, "slot " + std::to_string(slot) + ": \"file\" must be null or a file name in the folder");
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
        name[6] != '.' || !formatOf(name))
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

std::string slotFileName(std::size_t slot, SlotFormat format) {
  char name[16];
  std::snprintf(name, sizeof name, "slot%02zu", slot);
  return name + std::string(extensionOf(format));
}

std::string buildManifest(const std::string& containerName, const PtFile& file, SlotFormat format) {
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

Result<std::vector<SlotFile>> slotFilesIn(const fs::path& folder) {
  std::error_code ec;
  if (!fs::is_directory(folder, ec))
    return Error{ErrorKind::NotFound, folder.string() + ": not a folder"};
  const fs::path manifest = folder / kManifestName;
  auto files = fileExists(manifest) ? fromManifest(folder, manifest) : fromNames(folder);
  if (files) std::sort(files->begin(), files->end(), [](auto& a, auto& b) { return a.slot < b.slot; });
  return files;
}

}  // namespace pt::cli
