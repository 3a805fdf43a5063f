#include "container/pt_writer.h"

#include <vector>

#include "common/file_io.h"
#include "container/pt_parts.h"

namespace pt {

namespace {

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
  parts.reserve(kLayoutPartCount);
  for (const LayoutPart& part : layoutParts()) {
    if (const Bytes* array = partArray(file, part)) parts.emplace_back(*array);
    else parts.emplace_back(flags.data() + (part.offset - kPreFlagByte1Offset), part.size);
  }
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
