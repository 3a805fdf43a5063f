#include "exchange/slot_files.h"

#include "bitmap/slot_bitmap_writer.h"
#include "common/file_io.h"
#include "exchange/check_file.h"

namespace pt {

namespace {

Outcome notUsed(std::uint8_t slot) {
  return Outcome::refused("slot " + std::to_string(slot) + " holds no texture (not used)");
}

Outcome writeChecked(const std::filesystem::path& path, const Bytes& bytes, UserPrompt& prompt) {
  if (!checkFile(path, 0, prompt)) return Outcome::refused("the existing file was kept");
  if (auto written = safeWriteFile(path, bytes); !written) {
    prompt.showError(kAppTitle, describe(written.error()));
    return Outcome::refused(describe(written.error()));
  }
  return Outcome::success();
}

}  // namespace

Bytes buildRawTex(const PtSlot& slot) {
  Bytes out = slot.palette;
  out.insert(out.end(), slot.pixels.begin(), slot.pixels.end());
  out.insert(out.end(), slot.extra.begin(), slot.extra.end());
  return out;
}

Outcome exportRawTexFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                         UserPrompt& prompt) {
  if (file.slots[slot].used != 1) return notUsed(slot);
  return writeChecked(path, buildRawTex(file.slots[slot]), prompt);
}

Outcome exportBitmapFile(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                         const BmpHeader& header, UserPrompt& prompt, bool alphaView) {
  if (file.slots[slot].used != 1) return notUsed(slot);
  return writeChecked(path, buildSlotBitmap(file, slot, header, alphaView), prompt);
}

Outcome importRawTexFrom(ByteSource& source, PtSlot& slot, std::uint8_t index) {
  const std::size_t firstPart = pixelsLength(index);
  Bytes data(kPaletteSize + firstPart + extraLength(index));
  auto read = source.readAt(0, data);
  if (!read) return Outcome::refused(describe(read.error()));
  const std::size_t got = *read;
  if (got < data.size())
    return Outcome::refused("the file is too short for a raw texture: it has " +
                            std::to_string(got) + " bytes, " + std::to_string(data.size()) +
                            " are needed");
  const auto pixelsBegin = data.begin() + kPaletteSize;
  slot.palette.assign(data.begin(), pixelsBegin);
  slot.pixels.assign(pixelsBegin, pixelsBegin + static_cast<std::ptrdiff_t>(firstPart));
  slot.extra.assign(pixelsBegin + static_cast<std::ptrdiff_t>(firstPart), data.end());
  slot.used = 1;
  return Outcome::success();
}

Outcome importRawTexFile(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                         UserPrompt& prompt) {
  if (!checkFile(path, 1, prompt)) return Outcome::refused("not confirmed");
  FileSource source;
  if (auto opened = source.open(path); !opened) return Outcome::refused(describe(opened.error()));
  return importRawTexFrom(source, file.slots[slot], slot);
}

bool exportRawTex(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt) {
  return exportRawTexFile(file, slot, path, prompt).ok;
}
bool exportBitmap(const PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  const BmpHeader& header, UserPrompt& prompt) {
  return exportBitmapFile(file, slot, path, header, prompt).ok;
}
bool importRawTex(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt) {
  return importRawTexFile(file, slot, path, prompt).ok;
}

}  // namespace pt
