#include "container/pt_writer.h"

#include "common/file_io.h"

namespace pt {

namespace {
void append(Bytes& out, const Bytes& block) { out.insert(out.end(), block.begin(), block.end()); }
}  // namespace

Bytes serializePtFile(const PtFile& file) {
  Bytes out;
  out.reserve(kFileSize);
  append(out, file.headerBlock);
  out.push_back(file.preFlagByte1);
  out.push_back(file.preFlagByte2);
  for (const auto& slot : file.slots) out.push_back(slot.used == 1 ? 1 : 0);
  for (const auto& slot : file.slots) out.push_back(isLowRes(slot.height) ? 0 : 1);
  out.push_back(file.postFlagByte1);
  out.push_back(file.postFlagByte2);
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const PtSlot& slot = file.slots[i];
    append(out, slot.palette);
    append(out, slot.pixels);
    if (i == kSplitSlot) {
      append(out, file.gapBlock);
      append(out, slot.extra);
    }
    append(out, slot.trailer);
  }
  append(out, file.tailBlock);
  return out;
}

WriteStatus savePtFile(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt) {
  if (!isComplete(file)) return WriteStatus::Incomplete;
  if (fileExists(path) && !prompt.askYesNo(kOverwriteTitle, kOverwriteQuestion))
    return WriteStatus::Declined;
  const Bytes bytes = serializePtFile(file);
  if (auto written = safeWriteFile(path, bytes); !written) {
    prompt.showError(kAppTitle, describe(written.error()));
    return WriteStatus::IoFailure;
  }
  return WriteStatus::Ok;
}

bool writePtFile(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt) {
  return savePtFile(file, path, prompt) == WriteStatus::Ok;
}

}  // namespace pt
