#include "container/pt_reader.h"

#include <algorithm>
#include <array>
#include <vector>

#include "common/file_io.h"
#include "container/pt_parts.h"

namespace pt {

std::string bytesToString(std::span<const std::uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

namespace {

const char* const kNoMagic = "not a Paint Tool file: it does not start with \"CON \"";

// Gives every array of `file` the size the layout fixes and lists, in file
// order, where each part of the container's bytes goes; the flag bytes go
// to `flags`.
std::vector<std::span<std::uint8_t>> layoutSpans(PtFile& file, FlagBlock& flags) {
  std::vector<std::span<std::uint8_t>> spans;
  spans.reserve(kLayoutPartCount);
  for (const LayoutPart& part : layoutParts()) {
    if (Bytes* array = partArray(file, part)) {
      array->resize(part.size);
      spans.emplace_back(*array);
    } else {
      spans.emplace_back(flags.data() + (part.offset - kPreFlagByte1Offset), part.size);
    }
  }
  return spans;
}

void decodeFlags(PtFile& file, const FlagBlock& flags) {
  const std::uint8_t* in = flags.data();
  file.preFlagByte1 = *in++;
  file.preFlagByte2 = *in++;
  for (auto& slot : file.slots) slot.used = *in++ != 0 ? 1 : 0;
  for (auto& slot : file.slots) {
    const bool high = *in++ != 0;
    slot.width = high ? kHighResSide : kLowResWidth;
    slot.height = high ? kHighResSide : kLowResHeightAsRead;
    slot.dataSize = static_cast<std::int32_t>(kPixelDataSize);
  }
  file.postFlagByte1 = *in++;
  file.postFlagByte2 = *in;
}

bool hasMagic(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= sizeof kMagic &&
         bytesToString(bytes.first(sizeof kMagic)) == std::string(kMagic, sizeof kMagic);
}

}  // namespace

Status checkContainerBytes(std::span<const std::uint8_t> bytes) {
  if (!hasMagic(bytes)) return Error{ErrorKind::NotAContainer, kNoMagic};
  if (bytes.size() < kFileSize)
    return Error{ErrorKind::Invalid, "The file is too short for a Paint Tool file: it has " +
                                         std::to_string(bytes.size()) +
                                         " bytes, a Paint Tool file has " +
                                         std::to_string(kFileSize) + "."};
  return Status::success();
}

Result<PtFile> parsePtFile(std::span<const std::uint8_t> bytes) {
  if (auto fits = checkContainerBytes(bytes); !fits) return fits.error();
  PtFile file;
  FlagBlock flags{};
  std::size_t at = 0;
  for (const auto& part : layoutSpans(file, flags)) {
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), part.size(), part.begin());
    at += part.size();
  }
  decodeFlags(file, flags);
  return file;
}

Result<PtFile> loadPtFile(const std::filesystem::path& path) {
  FileReader reader;
  if (auto opened = reader.open(path); !opened) return opened.error();
  if (reader.size() >= kFileSize) {
    // The usual case: one pass over the file straight into the arrays.
    PtFile file;
    FlagBlock flags{};
    const auto spans = layoutSpans(file, flags);
    auto got = reader.readAt(0, spans);
    if (!got) return got.error();
    if (*got == kFileSize) {
      if (!hasMagic(file.headerBlock)) return Error{ErrorKind::NotAContainer, kNoMagic};
      decodeFlags(file, flags);
      return file;
    }
    // The file became shorter since it was opened: judge what it holds now.
  }
  Bytes bytes(std::min<std::uint64_t>(reader.size(), kFileSize));
  auto got = reader.readAt(0, bytes);
  if (!got) return got.error();
  bytes.resize(*got);
  return parsePtFile(bytes);
}

Result<UsedFlags> readUsedFlags(const std::filesystem::path& path) {
  FileReader reader;
  Bytes magic(sizeof kMagic);
  UsedFlags used{};
  if (reader.open(path).ok() && reader.size() >= kFileSize && reader.readAt(0, magic).ok() && hasMagic(magic) &&
      reader.readAt(kUsedFlagsOffset, used).ok())
    return used;
  auto file = loadPtFile(path);
  if (!file) return file.error();
  for (std::size_t i = 0; i < kSlotCount; ++i) used[i] = file->slots[i].used;
  return used;
}

Status readPtFile(PtFile& ptFile, const std::filesystem::path& path, UserPrompt& prompt) {
  auto loaded = loadPtFile(path);
  if (!loaded) {
    if (loaded.error().kind != ErrorKind::NotAContainer) prompt.showError(kAppTitle, describe(loaded.error()));
    return loaded.error();
  }
  ptFile = std::move(*loaded);
  return Status::success();
}

}  // namespace pt
