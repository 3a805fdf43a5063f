// ptool import-all: the slot files of a folder into one container, all or
// nothing.
#include <cstdio>
#include <iostream>

#include "cli/command_support.h"
#include "cli/core_calls.h"
#include "cli/manifest.h"
#include "cli/ptool_commands.h"

namespace pt::cli {

int cmdImportAll(const std::string& in, const std::string& dir, const std::string& out,
                 const ImportOptions& options, bool force) {
  const auto files = slotFilesIn(dir);
  if (!files) {
    std::cerr << "No slot loaded\n";
    printReason(files.error());
    return kFailed;
  }
  auto opened = openContainer(in, &out);
  if (!opened) return kFailed;

  std::vector<std::string> refusals;
  std::vector<std::pair<SlotFile, ImportNotes>> loaded;
  for (const auto& f : *files) {
    char slot[8];
    std::snprintf(slot, sizeof slot, "%02u", unsigned(f.slot));
    const auto format = formatOf(f.path);
    if (!format) {
      refusals.push_back("slot " + std::string(slot) + ": " + f.path.string() + ": not a .tex, .bmp or .png file");
      continue;
    }
    auto notes = importSlotFile(opened->file, f.slot, f.path, *format, options);
    if (notes) loaded.emplace_back(f, *notes);
    else refusals.push_back("slot " + std::string(slot) + ": " + f.path.string() + ": " + describe(notes.error()));
  }
  if (!refusals.empty()) {
    std::cerr << "Nothing written to " << out << '\n';
    for (const auto& r : refusals) std::cerr << r << '\n';
    return kFailed;
  }
  for (const auto& [f, notes] : loaded) {
    std::cout << "Slot " << int(f.slot) << " loaded with " << f.path.string() << '\n';
    printImportNotes(notes, options, formatOf(f.path) == SlotFormat::Tex);
  }
  return saveAndReport(opened->file, out, force);
}

}  // namespace pt::cli
