#include "batch/export_all.h"

#include <optional>
#include <set>

#include "batch/folder_export.h"
#include "batch/parallel.h"
#include "batch/slot_batch.h"
#include "common/batch_write.h"
#include "common/paths.h"
#include "common/program.h"
#include "container/pt_reader.h"

namespace pt {

namespace fs = std::filesystem;

Result<std::vector<fs::path>> exportFolders(const std::vector<fs::path>& containers, const fs::path& dir) {
  if (containers.size() == 1) return std::vector<fs::path>{dir};
  std::vector<fs::path> folders;
  std::set<std::string> stems;
  for (const auto& container : containers) {
    const std::string stem = utf8(container.stem());
    if (stem.empty() || stem == "." || stem == ".." || stem.find_first_of("/\\") != std::string::npos)
      return Error{ErrorKind::Invalid, "the folder of " + utf8(container) + " would be named '" + stem +
                                           "', which is not a name in " + utf8(dir)};
    if (!stems.insert(stem).second)
      return Error{ErrorKind::Invalid, "two containers are named " + stem + "; their folders would meet"};
    folders.push_back(dir / container.stem());
  }
  return folders;
}

ExportAllResult exportContainersToFolders(const std::vector<ContainerExport>& containers, SlotFileFormat format,
                                          const BmpHeader* header, bool replace) {
  ExportAllResult result;
  const auto templ = slotFileHeader(format, header);
  if (!templ) {
    result.stopped = templ.error();
    return result;
  }
  const BmpHeader* bitmapHeader = templ->has_value() ? &**templ : nullptr;
  if (containers.size() > 1) keepFreedMemory();

  // The first pass reads the used flags alone (readUsedFlags): it need not
  // read the pictures of many containers.
  std::vector<std::optional<Error>> failed(containers.size());
  parallelFor(containers.size(), [&](std::size_t i) {
    if (containers[i].file) return;
    if (auto used = readUsedFlags(containers[i].container); !used) failed[i] = used.error();
  });
  for (std::size_t i = 0; i < containers.size(); ++i)
    if (failed[i]) result.unreadable.push_back({i, *failed[i]});
  FolderExport folders(replace);
  std::vector<std::size_t> target(containers.size());
  for (std::size_t i = 0; i < containers.size(); ++i) target[i] = folders.add(containers[i].folder);
  if (!result.unreadable.empty()) return result;
  auto prepared = folders.prepare();
  if (!prepared) {
    result.stopped = prepared.error();
    return result;
  }
  result.refusals = std::move(*prepared);
  if (!result.refusals.empty()) return result;

  BatchWriter writer(BatchWriter::Existing::Keep);
  // The writer's failure, which every later container meets too, is not a
  // container's own.
  std::vector<char> writerFailed(containers.size(), 0);
  parallelFor(containers.size(), [&](std::size_t i) {
    const ContainerExport& c = containers[i];
    std::optional<PtFile> read;
    if (!c.file) {
      auto loaded = loadPtFile(c.container);
      if (!loaded) {
        failed[i] = loaded.error();
        return;
      }
      read = std::move(*loaded);
    }
    const fs::path staged = folders.staged(target[i]);
    const Status built = buildExportFiles(c.file ? *c.file : *read, utf8(c.container.filename()), format,
                                          bitmapHeader,
                                          [&](const std::string& name, std::span<const std::uint8_t> bytes) {
                                            Status added = writer.add(staged / pathFromUtf8(name), bytes);
                                            writerFailed[i] = !added;
                                            return added;
                                          });
    if (!built) failed[i] = built.error();
  });
  for (std::size_t i = 0; i < containers.size(); ++i)
    if (failed[i] && !writerFailed[i]) result.failed.push_back({i, folders.named(*failed[i])});
  Status done = writer.failure();
  if (result.failed.empty() && done) done = writer.commit();
  if (result.failed.empty() && done) done = folders.place();
  result.placed = folders.placed();
  if (!done) result.stopped = folders.named(done.error());
  return result;
}

}  // namespace pt
