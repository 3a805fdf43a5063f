#pragma once
// manifest.json, the list of a container's slots that export-all writes
// beside the slot files and import-all reads back:
//   {"container": NAME, "slots": [{"slot": n, "used": 0|1, "width": w,
//    "height": h, "file": "slotNN.EXT" or null}, ...]}
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/core_calls.h"
#include "common/error.h"
#include "container/pt_file.h"

namespace pt::cli {

inline constexpr const char* kManifestName = "manifest.json";

// "slot07.png"
std::string slotFileName(std::size_t slot, SlotFormat format);

// The manifest of a container exported in `format`: every used slot has a file.
std::string buildManifest(const std::string& containerName, const PtFile& file, SlotFormat format);

struct SlotFile {
  std::uint8_t slot;
  std::filesystem::path path;  // inside the folder
};

// The slot files a folder offers: those its manifest names, or without a
// manifest every slotNN.png, .bmp or .tex in it (two files for one slot
// are an error). Sorted by slot.
Result<std::vector<SlotFile>> slotFilesIn(const std::filesystem::path& folder);

}  // namespace pt::cli
