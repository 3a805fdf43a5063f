// ptool import-all: the slot files of a folder into one container, all or
// nothing.
#include <iostream>

#include "cli/command_support.h"
#include "cli/core_calls.h"
#include "cli/ptool_commands.h"
#include "batch/slot_batch.h"

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

  const FolderImport result = importSlotFiles(opened->file, *files, options);
  if (!result.refusals.empty()) {
    std::cerr << "Nothing written to " << out << '\n';
    for (const auto& r : result.refusals) std::cerr << r << '\n';
    return kFailed;
  }
  for (const auto& [f, notes] : result.loaded) {
    std::cout << "Slot " << int(f.slot) << " loaded with " << f.path.string() << '\n';
    printImportNotes(notes, options);
  }
  return saveAndReport(opened->file, out, force);
}

}  // namespace pt::cli
