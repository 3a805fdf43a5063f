#include "exchange/slot_files.h"

#include "bitmap/slot_bitmap_writer.h"
#include "common/file_io.h"
#include "exchange/check_file.h"
#include "exchange/raw_tex.h"

namespace pt {

Status showingIoError(Status written, UserPrompt& prompt) {
  const ErrorKind kind = written.error().kind;
  if (!written && kind != ErrorKind::NotUsed && kind != ErrorKind::Declined)
    prompt.showError(kAppTitle, describe(written.error()));
  return written;
}

Status exportSlotFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                      std::span<const std::uint8_t> content, UserPrompt& prompt) {
  if (file.slots[slot].used != 1)
    return Error{ErrorKind::NotUsed, "slot " + std::to_string(slot) + " holds no texture (not used)"};
  if (!checkFile(path, 0, prompt)) return Error{ErrorKind::Declined, "the existing file was kept"};
  return safeWriteFile(path, content);
}

bool exportRawTex(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt) {
  return showingIoError(exportSlotFile(file, slot, path, buildRawTex(file.slots[slot]), prompt), prompt).ok();
}

bool exportBitmap(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  const BmpHeader& header, UserPrompt& prompt) {
  const Bytes content = buildSlotBitmap(file, slot, header, false);
  return showingIoError(exportSlotFile(file, slot, path, content, prompt), prompt).ok();
}

bool importRawTex(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& /*prompt: a file that is only read needs no question*/) {
  return importRawTexFile(path, file.slots[slot]).ok();
}

}  // namespace pt
