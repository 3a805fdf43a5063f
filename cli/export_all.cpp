// ptool export-all: every used slot of many containers, encoded on every
// core and written through the batch writer, which flushes once per few
// hundred files.
#include <malloc.h>

#include <algorithm>
#include <iostream>
#include <set>

#include "cli/command_support.h"
#include "cli/core_calls.h"
#include "cli/parallel.h"
#include "cli/ptool_commands.h"
#include "common/batch_write.h"
#include "common/file_io.h"
#include "container/pt_layout.h"
#include "batch/slot_batch.h"

namespace pt::cli {

namespace fs = std::filesystem;

namespace {

struct Job {
  fs::path container;
  fs::path folder;
  std::vector<std::string> names;  // the files this container gets, manifest included
  std::optional<Error> failed;
};

// The names of a container's files, from its used flags alone: the first
// pass over many containers need not read their pictures. Anything but a
// container of full length with the magic is read in full for its reason.
Result<std::vector<std::string>> targetNames(const fs::path& container, SlotFileFormat format) {
  FileReader reader;
  Bytes magic(sizeof kMagic), used(kSlotCount);
  const bool whole = reader.open(container).ok() && reader.size() >= kFileSize &&
                     reader.readAt(0, magic).ok() && std::equal(magic.begin(), magic.end(), kMagic) &&
                     reader.readAt(kUsedFlagsOffset, used).ok();
  if (!whole) {
    auto file = readContainer(container);
    if (!file) return file.error();
    for (std::size_t i = 0; i < kSlotCount; ++i) used[i] = file->slots[i].used;
  }
  std::vector<std::string> names;
  for (std::size_t i = 0; i < kSlotCount; ++i)
    if (used[i] != 0) names.push_back(slotFileName(i, format));  // the reader's rule: non-zero is used
  names.push_back(kManifestName);
  return names;
}

// Writes one container's files into the batch.
Status exportContainer(const Job& job, SlotFileFormat format, const BmpHeader* header, BatchWriter& writer) {
  auto file = readContainer(job.container);
  if (!file) return file.error();
  return buildExportFiles(*file, job.container.filename().string(), format, header,
                          [&](const std::string& name, std::span<const std::uint8_t> bytes) {
                            return writer.add(job.folder / name, bytes);
                          });
}

}  // namespace

int cmdExportAll(const std::vector<std::string>& ins, const std::string& dir,
                 const std::string& formatName, bool force) {
  const SlotFileFormat format = formatName == "bmp"   ? SlotFileFormat::Bmp
                                : formatName == "tex" ? SlotFileFormat::Tex
                                                      : SlotFileFormat::Png;
  std::vector<Job> jobs(ins.size());
  std::set<std::string> stems;
  for (std::size_t i = 0; i < ins.size(); ++i) {
    jobs[i].container = ins[i];
    const std::string stem = fs::path(ins[i]).stem().string();
    jobs[i].folder = ins.size() == 1 ? fs::path(dir) : fs::path(dir) / stem;
    if (ins.size() > 1 && !stems.insert(stem).second)
      return usageError("two containers are named " + stem + "; their folders would meet");
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
  // Every container is read and every target checked before anything is written.
  parallelFor(jobs.size(), [&](std::size_t i) {
    auto names = targetNames(jobs[i].container, format);
    if (names) jobs[i].names = std::move(*names);
    else jobs[i].failed = names.error();
  });
  std::vector<std::string> refusals;
  for (const auto& job : jobs) {
    if (job.failed) {
      refusals.push_back("Open failed of " + job.container.string() + "\n" + describe(*job.failed));
      continue;
    }
    for (const auto& name : job.names) {
      const fs::path target = job.folder / name;
      const FileType type = fileTypeAt(target);
      if (type == FileType::Missing) continue;
      if (type != FileType::Regular) refusals.push_back(target.string() + ": not a regular file");
      else if (!force) refusals.push_back(target.string() + ": exists (give --force to replace it)");
    }
  }
  if (!refusals.empty()) {
    std::cerr << "Nothing extracted\n";
    for (const auto& r : refusals) std::cerr << r << '\n';
    return kFailed;
  }

  for (const auto& job : jobs)
    if (auto made = makeFolders(job.folder); !made) {
      std::cerr << "Nothing extracted\n";
      printReason(made.error());
      return kFailed;
    }
  BatchWriter writer(force ? BatchWriter::Existing::Replace : BatchWriter::Existing::Keep);
  parallelFor(jobs.size(), [&](std::size_t i) {
    if (auto done = exportContainer(jobs[i], format, &*header, writer); !done) jobs[i].failed = done.error();
  });
  // A container that failed on its own (not by the writer's failure, which
  // every later container meets too) takes the unflushed files with it.
  const Status writing = writer.failure();
  bool ownFailure = false;
  for (const auto& job : jobs)
    if (job.failed && (writing || job.failed->detail != writing.error().detail)) {
      std::cerr << "Slots of " << job.container.string() << " not extracted\n";
      printReason(*job.failed);
      ownFailure = true;
    }
  const Status committed = ownFailure || !writing ? writing : writer.commit();
  if (!ownFailure && committed) {
    for (const auto& job : jobs)
      std::cout << "Slots of " << job.container.string() << " extracted into " << job.folder.string() << '\n';
    return kOk;
  }
  if (writer.committed() == 0) std::cerr << "Nothing extracted\n";
  else std::cerr << "Not every file was written: " << writer.committed() << " are in place\n";
  if (!committed) printReason(committed.error());
  return kFailed;
}

}  // namespace pt::cli
