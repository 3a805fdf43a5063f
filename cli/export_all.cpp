// ptool export-all: every used slot of many containers, encoded on every
// core and written through the batch writer, which flushes once per few
// hundred files, into a staged folder per container; each container's
// folder is then replaced whole (batch/folder_export.h).
#include <malloc.h>

#include <algorithm>
#include <iostream>
#include <set>

#include "batch/folder_export.h"
#include "batch/parallel.h"
#include "batch/slot_batch.h"
#include "cli/command_support.h"
#include "cli/core_calls.h"
#include "cli/ptool_commands.h"
#include "common/batch_write.h"
#include "common/file_io.h"
#include "common/paths.h"
#include "container/pt_layout.h"
#include "container/pt_reader.h"

namespace pt::cli {

namespace fs = std::filesystem;

namespace {

struct Job {
  fs::path container;
  fs::path folder;
  std::size_t target = 0;  // its folder in the FolderExport
  std::optional<Error> failed;
  bool writerFailed = false;  // the writer's failure, which every later container meets too
};

// Whether a container can be read, from its flags alone (readUsedFlags): the
// first pass over many containers need not read their pictures.
Status readable(const fs::path& container) {
  auto used = readUsedFlags(container);
  if (!used) return used.error();
  return Status::success();
}

// A folder named after a container must lie in DIR.
bool stemNamesAFolder(const std::string& stem) {
  return !stem.empty() && stem != "." && stem != ".." && stem.find_first_of("/\\") == std::string::npos;
}

}  // namespace

int cmdExportAll(const std::vector<std::string>& ins, const std::string& dir,
                 const std::string& formatName, bool force) {
  const SlotFileFormat format = slotFileFormatNamed(formatName).value_or(SlotFileFormat::Png);
  std::vector<Job> jobs(ins.size());
  std::set<std::string> stems;
  for (std::size_t i = 0; i < ins.size(); ++i) {
    jobs[i].container = pathFromUtf8(ins[i]);
    const std::string stem = utf8(jobs[i].container.stem());
    jobs[i].folder = ins.size() == 1 ? pathFromUtf8(dir) : pathFromUtf8(dir) / jobs[i].container.stem();
    if (ins.size() == 1) continue;
    if (!stemNamesAFolder(stem))
      return usageError("the folder of " + ins[i] + " would be named '" + stem + "', which is not a name in " + dir);
    if (!stems.insert(stem).second) return usageError("two containers are named " + stem + "; their folders would meet");
  }
  Result<BmpHeader> header = BmpHeader{};
  if (format == SlotFileFormat::Bmp && !(header = headerBesideProgram())) {
    std::cerr << "Nothing extracted\n";
    printReason(header.error());
    return kFailed;
  }

#ifdef __GLIBC__
  // Hundreds of containers pass through memory one after another: keep the
  // freed memory for the next instead of returning it and faulting it in again.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
  // Every container is read and every folder checked before anything is written.
  parallelFor(jobs.size(), [&](std::size_t i) {
    if (Status ok = readable(jobs[i].container); !ok) jobs[i].failed = ok.error();
  });
  std::vector<std::string> refusals;
  for (const auto& job : jobs)
    if (job.failed) refusals.push_back("Open failed of " + utf8(job.container) + "\n" + describe(*job.failed));
  FolderExport folders(force);
  for (auto& job : jobs) job.target = folders.add(job.folder);
  if (refusals.empty()) {
    auto prepared = folders.prepare();
    if (!prepared) {
      std::cerr << "Nothing extracted\n";
      printReason(prepared.error());
      return kFailed;
    }
    refusals = std::move(*prepared);
  }
  if (!refusals.empty()) {
    std::cerr << "Nothing extracted\n";
    for (const auto& r : refusals) std::cerr << r << '\n';
    return kFailed;
  }

  BatchWriter writer(BatchWriter::Existing::Keep);
  parallelFor(jobs.size(), [&](std::size_t i) {
    auto file = readContainer(jobs[i].container);
    const fs::path staged = folders.staged(jobs[i].target);
    const Status done =
        file ? buildExportFiles(*file, utf8(jobs[i].container.filename()), format, &*header,
                                [&](const std::string& name, std::span<const std::uint8_t> bytes) {
                                  Status added = writer.add(staged / pathFromUtf8(name), bytes);
                                  jobs[i].writerFailed = !added;
                                  return added;
                                })
             : Status(file.error());
    if (!done) jobs[i].failed = done.error();
  });
  // A container that failed on its own, not by the writer's failure (which
  // every later container meets too), is named with its reason.
  const Status writing = writer.failure();
  bool ownFailure = false;
  for (const auto& job : jobs)
    if (job.failed && !job.writerFailed) {
      std::cerr << "Slots of " << utf8(job.container) << " not extracted\n";
      printReason(folders.named(*job.failed));
      ownFailure = true;
    }
  Status done = ownFailure || !writing ? writing : writer.commit();
  if (!ownFailure && done) done = folders.place();
  for (const auto& job : jobs)
    if (job.target < folders.placed())
      std::cout << "Slots of " << utf8(job.container) << " extracted into " << utf8(job.folder) << '\n';
  if (!ownFailure && done) return kOk;
  if (folders.placed() == 0) std::cerr << "Nothing extracted\n";
  else
    std::cerr << "Not every container was extracted: " << folders.placed() << " of " << jobs.size()
              << " folders are in place\n";
  if (!done) printReason(folders.named(done.error()));
  return kFailed;
}

}  // namespace pt::cli
