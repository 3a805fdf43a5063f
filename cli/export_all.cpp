// ptool export-all: the arguments to exportContainersToFolders
// (batch/export_all.h), and what it answers printed.
#include <iostream>

#include "batch/export_all.h"
#include "cli/command_support.h"
#include "cli/ptool_commands.h"
#include "common/paths.h"

namespace pt::cli {

namespace fs = std::filesystem;

int cmdExportAll(const std::vector<std::string>& ins, const std::string& dir,
                 const std::string& formatName, bool force) {
  const SlotFileFormat format = slotFileFormatNamed(formatName).value_or(SlotFileFormat::Png);
  std::vector<fs::path> paths;
  for (const auto& in : ins) paths.push_back(pathFromUtf8(in));
  const auto folders = exportFolders(paths, pathFromUtf8(dir));
  if (!folders) return usageError(folders.error().detail);
  std::vector<ContainerExport> containers;
  for (std::size_t i = 0; i < paths.size(); ++i) containers.push_back({paths[i], (*folders)[i]});

  const ExportAllResult done = exportContainersToFolders(containers, format, nullptr, force);
  for (const auto& failed : done.failed) {
    std::cerr << "Slots of " << ins[failed.index] << " not extracted\n";
    printReason(failed.error);
  }
  for (std::size_t i = 0; i < done.placed; ++i)
    std::cout << "Slots of " << ins[i] << " extracted into " << utf8((*folders)[i]) << '\n';
  if (done.ok()) return kOk;
  if (done.placed == 0) std::cerr << "Nothing extracted\n";
  else
    std::cerr << "Not every container was extracted: " << done.placed << " of " << ins.size()
              << " folders are in place\n";
  for (const auto& unreadable : done.unreadable) {
    std::cerr << "Open failed of " << ins[unreadable.index] << '\n';
    printReason(unreadable.error);
  }
  for (const auto& refusal : done.refusals) std::cerr << refusal << '\n';
  if (!done.stopped) printReason(done.stopped.error());
  return kFailed;
}

}  // namespace pt::cli
