#include "png/png_chunks.h"

#include <array>
#include <string>

namespace pt {

namespace {

constexpr std::size_t kSignatureSize = 8;
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;  // 2^31 - 1, the format's own bound
constexpr std::uint8_t kIndexedColourType = 3;

// The CRC-32 of the PNG format (ISO 3309), table-driven.
std::array<std::uint32_t, 256> crcTable() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[n] = c;
  }
  return t;
}

std::uint32_t crc32(std::span<const std::uint8_t> bytes) {
  static const std::array<std::uint32_t, 256> table = crcTable();
  std::uint32_t c = 0xFFFFFFFFu;
  for (const std::uint8_t b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::uint32_t be32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

Error damaged(const std::string& why) { return Error{ErrorKind::Invalid, "the PNG file is damaged: " + why}; }

}  // namespace

Status checkPngChunks(std::span<const std::uint8_t> bytes) {
  std::size_t at = kSignatureSize;
  std::uint8_t colourType = 0;
  std::int64_t plteEntries = -1;
  while (true) {
    if (bytes.size() < at + 8)
      return Error{ErrorKind::Invalid, "the PNG file is cut short: its end chunk (IEND) is missing"};
    const std::uint32_t length = be32(&bytes[at]);
    const std::string type(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                           bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
    const std::string where = "chunk " + type + " at offset " + std::to_string(at);
    if (length > kMaxChunkLength)
      return damaged(where + " has the bad length " + std::to_string(length) + " (the most is 2147483647)");
    if (std::uint64_t{length} + 4 > bytes.size() - at - 8)
      return damaged(where + " has the bad length " + std::to_string(length) + ": only " +
                     std::to_string(bytes.size() - at - 8) + " bytes follow (cut short?)");
    const auto data = bytes.subspan(at + 8, length);
    if (crc32(bytes.subspan(at + 4, length + 4)) != be32(&bytes[at + 8 + length]))
      return damaged(where + " fails its checksum (CRC)");
    if (type == "IHDR" && length >= 10) colourType = data[9];
    if (type == "PLTE") plteEntries = length / 3;
    if (type == "tRNS" && colourType == kIndexedColourType) {
      if (plteEntries < 0) return damaged("its tRNS chunk comes before its PLTE chunk");
      if (length > plteEntries)
        return damaged("its tRNS chunk has " + std::to_string(length) + " entries, its PLTE only " +
                       std::to_string(plteEntries));
    }
    if (type == "IEND") return {};
    at += std::size_t{length} + 12;
  }
}

}  // namespace pt
