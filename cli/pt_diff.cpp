// ptool diff: compares two containers' raw bytes region by region of the
// layout, in file order, so that flag bytes other than 0 and 1 and the
// blocks no slot owns count too. Bytes after the layout's end are ignored,
// as the reader ignores them.
#include <iostream>
#include <string>

#include "cli/command_support.h"
#include "common/paths.h"
#include "cli/ptool_commands.h"
#include "common/file_io.h"
#include "container/pt_layout.h"

namespace pt::cli {

namespace {

Result<Bytes> readContainerBytes(const std::string& path) {
  auto bytes = readFileHead(pathFromUtf8(path), kFileSize);
  if (!bytes) return bytes.error();
  if (bytes->size() < sizeof kMagic || !std::equal(kMagic, kMagic + sizeof kMagic, bytes->begin()))
    return Error{ErrorKind::Invalid, "not a Paint Tool file: it does not start with \"CON \""};
  if (bytes->size() < kFileSize)
    return Error{ErrorKind::Invalid, "the file is too short for a Paint Tool file: it has " +
                                         std::to_string(bytes->size()) + " bytes, a Paint Tool file has " +
                                         std::to_string(kFileSize) + "."};
  return bytes;
}

std::size_t differing(const Bytes& a, const Bytes& b, std::size_t at, std::size_t size) {
  std::size_t n = 0;
  for (std::size_t i = at; i < at + size; ++i) n += a[i] != b[i];
  return n;
}

const char* resolution(std::uint8_t flag) { return flag ? "256x256" : "128x128"; }

}  // namespace

int cmdDiff(const std::string& pathA, const std::string& pathB) {
  const auto a = readContainerBytes(pathA);
  const auto b = readContainerBytes(pathB);
  for (const auto& [path, read] : {std::pair{&pathA, &a}, std::pair{&pathB, &b}})
    if (!read->ok()) {
      std::cerr << "ptool: " << *path << ": " << describe(read->error()) << '\n';
      return kUsage;
    }
  std::vector<std::string> lines;
  const auto region = [&](std::size_t at, std::size_t size, const std::string& line) {
    if (differing(*a, *b, at, size)) lines.push_back(line);
  };
  const auto counted = [&](std::size_t at, std::size_t size, std::size_t at2, std::size_t size2,
                           const std::string& what, const char* verb) {
    const std::size_t n = differing(*a, *b, at, size) + differing(*a, *b, at2, size2);
    if (n) lines.push_back(what + " " + verb + " (" + std::to_string(n) + " bytes)");
  };

  region(kHeaderOffset, kHeaderSize, "header block differs");
  region(kPreFlagByte1Offset, 1, "pre-flag byte 1 differs");
  region(kPreFlagByte2Offset, 1, "pre-flag byte 2 differs");
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const std::uint8_t x = (*a)[kUsedFlagsOffset + i], y = (*b)[kUsedFlagsOffset + i];
    if (x != y)
      lines.push_back("slot " + std::to_string(i) + ": used " + std::to_string(x) + " → " + std::to_string(y));
  }
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const std::uint8_t x = (*a)[kResFlagsOffset + i], y = (*b)[kResFlagsOffset + i];
    if (x == y) continue;
    const std::string slot = "slot " + std::to_string(i) + ": resolution ";
    if ((x != 0) != (y != 0))
      lines.push_back(slot + resolution(x) + " → " + resolution(y));
    else  // both high resolution, told by different non-zero bytes
      lines.push_back(slot + "flag " + std::to_string(x) + " → " + std::to_string(y));
  }
  region(kPostFlagByte1Offset, 1, "post-flag byte 1 differs");
  region(kPostFlagByte2Offset, 1, "post-flag byte 2 differs");
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    const std::string slot = "slot " + std::to_string(i) + ":";
    const std::size_t at = slotOffset(i);
    counted(at, kPaletteSize, 0, 0, slot + " palette", "differs");
    const std::size_t pixels = at + kPaletteSize;
    const std::size_t extraAt = i == kSplitSlot ? kSplitSecondPartOffset : 0;
    counted(pixels, pixelsLength(i), extraAt, extraLength(i), slot + " pixels", "differ");
    if (i == kSplitSlot) region(kGapOffset, kGapSize, "gap block differs");
    const std::size_t trailer = (i == kSplitSlot ? kSplitSecondPartOffset + kSplitSecondPart
                                                 : pixels + kPixelDataSize);
    region(trailer, kTrailerSize, slot + " trailer differs");
  }
  region(kTailOffset, kTailSize, "tail block differs");
  for (const auto& line : lines) std::cout << line << '\n';
  return lines.empty() ? kOk : kFailed;
}

}  // namespace pt::cli
