#include "container/pt_reader.h"

#include <algorithm>

#include "container/byte_cursor.h"
#include "container/file_io.h"

namespace pt {

std::string bytesToString(std::span<const std::uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

ReadResult parsePtBytes(std::span<const std::uint8_t> bytes, PtFile& out) {
  if (bytes.size() < sizeof kMagic ||
      bytesToString(bytes.first(sizeof kMagic)) != std::string(kMagic, sizeof kMagic))
    return {ReadStatus::WrongMagic, {}};
  if (bytes.size() < kFileSize)
    return {ReadStatus::TooShort,
            "The file is too short for a Paint Tool file: it has " + std::to_string(bytes.size()) +
                " bytes, a Paint Tool file has " + std::to_string(kFileSize) + "."};

  ByteCursor in(bytes.first(kFileSize));
  PtFile file;
  file.headerBlock = in.take(kHeaderSize);
  file.preFlagByte1 = in.byte();
  file.preFlagByte2 = in.byte();
  for (auto& slot : file.slots) slot.used = in.byte() != 0 ? 1 : 0;
  for (auto& slot : file.slots) {
    const bool high = in.byte() != 0;
    slot.width = high ? kHighResSide : kLowResWidth;
    slot.height = high ? kHighResSide : kLowResHeightAsRead;
    slot.dataSize = static_cast<std::int32_t>(kPixelDataSize);
  }
  file.postFlagByte1 = in.byte();
  file.postFlagByte2 = in.byte();
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    PtSlot& slot = file.slots[i];
    slot.palette = in.take(kPaletteSize);
    slot.pixels = in.take(pixelsLength(i));
    if (i == kSplitSlot) {
      file.gapBlock = in.take(kGapSize);
      slot.extra = in.take(kSplitSecondPart);
    }
    slot.trailer = in.take(kTrailerSize);
  }
  file.tailBlock = in.take(kTailSize);
  out = std::move(file);
  return {ReadStatus::Ok, {}};
}

ReadResult loadPtFile(const std::filesystem::path& path, PtFile& out) {
  Bytes bytes;
  std::uint64_t size = 0;
  if (auto err = readFileHead(path, kFileSize, bytes, size))
    return {ReadStatus::IoFailure, err->description};
  return parsePtBytes(bytes, out);
}

bool readPtFile(PtFile& ptFile, const std::filesystem::path& path, UserPrompt& prompt) {
  ReadResult result = loadPtFile(path, ptFile);
  if (!result.message.empty()) prompt.showError(kAppTitle, result.message);
  return result.ok();
}

}  // namespace pt
