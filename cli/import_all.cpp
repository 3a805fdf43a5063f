// ptool import-all: the slot files of a folder into one container, all or
// nothing.
#include <iostream>

#include "batch/slot_folder.h"
#include "cli/command_support.h"
#include "cli/core_calls.h"
#include "cli/ptool_commands.h"
#include "common/paths.h"

namespace pt::cli {

int cmdImportAll(const std::string& in, const std::string& dir, const std::string& out,
                 const ImportOptions& options, bool force) {
  // The folder is locked first, then the containers, in every command.
  const auto folder = SlotFolder::open(pathFromUtf8(dir));
  if (!folder) {
    std::cerr << "No slot loaded\n";
    printReason(folder.error());
    return kFailed;
  }
  auto opened = openContainer(in, &out);
  if (!opened) return kFailed;

  const FolderImport result = folder->importInto(opened->file, options);
  if (!result.refusals.empty()) {
    std::cerr << "Nothing written to " << out << '\n';
    for (const auto& r : result.refusals) printReason(r);
    return kFailed;
  }
  for (const auto& [f, notes] : result.loaded) {
    std::cout << "Slot " << int(f.slot) << " loaded with " << utf8(f.path) << '\n';
    printImportNotes(notes, options);
  }
  return saveAndReport(opened->file, out, force);
}

}  // namespace pt::cli
