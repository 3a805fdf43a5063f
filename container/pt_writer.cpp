#include "container/pt_writer.h"

#include <array>
#include <vector>

#include "common/file_io.h"

namespace pt {

namespace {

constexpr std::size_t kFlagBlockSize = kFirstSlotOffset - kPreFlagByte1Offset;
using FlagBlock = std::array<std::uint8_t, kFlagBlockSize>;

// The container's bytes in file order: its arrays as they are, the flag
// bytes encoded into `flags`.
std::vector<std::span<const std::uint8_t>> fileParts(const PtFile& file, FlagBlock& flags) {
  std::uint8_t* out = flags.data();
  *out++ = file.preFlagByte1;
  *out++ = file.preFlagByte2;
  for (const auto& slot : file.slots) *out++ = slot.used == 1 ? 1 : 0;
  for (const auto& slot : file.slots) *out++ = isLowRes(slot.height) ? 0 : 1;
  *out++ = file.postFlagByte1;
  *out = file.postFlagByte2;

  std::vector<std::span<const std::uint8_t>> parts;
  parts.reserve(4 + 3 * kSlotCount + 2);
  parts.emplace_back(file.headerBlock);
  parts.emplace_back(flags);
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const PtSlot& slot = file.slots[i];
    parts.emplace_back(slot.palette);
    parts.emplace_back(slot.pixels);
    if (i == kSplitSlot) {
      parts.emplace_back(file.gapBlock);
      parts.emplace_back(slot.extra);
    }
    parts.emplace_back(slot.trailer);
  }
  parts.emplace_back(file.tailBlock);
  return parts;
}

}  // namespace

Bytes serializePtFile(const PtFile& file) {
  FlagBlock flags{};
  Bytes out;
  out.reserve(kFileSize);
  for (const auto& part : fileParts(file, flags)) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Status savePtFile(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt) {
  if (!isComplete(file))
    return Error{ErrorKind::Incomplete, "no container has been read completely, so none is saved"};
  if (fileExists(path) && !prompt.askYesNo(kOverwriteTitle, kOverwriteQuestion))
    return Error{ErrorKind::Declined, "the existing file was kept"};
  FlagBlock flags{};
  return safeWriteFile(path, fileParts(file, flags));
}

Status writePtFile(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt) {
  const Status saved = savePtFile(file, path, prompt);
  const ErrorKind kind = saved.error().kind;
  if (!saved && kind != ErrorKind::Incomplete && kind != ErrorKind::Declined)
    prompt.showError(kAppTitle, describe(saved.error()));
  return saved;
}

}  // namespace pt
