#include "bitmap/bmp_header.h"

#include <algorithm>

#include "bitmap/le_bytes.h"
#include "container/file_io.h"

namespace pt {

std::optional<std::string> checkBmpHeader(const BmpHeader& h) {
  using namespace bmp;
  const std::uint32_t colours = readLe32(h, kColoursUsedAt);
  if (readLe16(h, kSignatureAt) != kSignature || readLe32(h, kPixelOffsetAt) != kPixelsAt ||
      readLe32(h, kInfoSizeAt) != kMinInfoSize || readLe16(h, kPlanesAt) != 1 ||
      readLe16(h, kBitsAt) != 8 || readLe32(h, kCompressionAt) != 0 ||
      (colours != 0 && colours != 256))
    return std::string("is not the header of an uncompressed 8-bit bitmap");
  return std::nullopt;
}

bool loadBmpHeader(const std::filesystem::path& path, BmpHeader& header, std::string& error) {
  Bytes bytes;
  std::uint64_t size = 0;
  const std::string name = path.string();
  if (auto err = readFileHead(path, bmp::kTemplateSize, bytes, size)) {
    error = err->description + ": " + name;
    return false;
  }
  if (bytes.size() < bmp::kTemplateSize) {
    error = name + " is too short: it has " + std::to_string(bytes.size()) + " bytes, " +
            std::to_string(bmp::kTemplateSize) + " are needed.";
    return false;
  }
  BmpHeader loaded{};
  std::copy_n(bytes.begin(), bmp::kTemplateSize, loaded.begin());
  if (auto why = checkBmpHeader(loaded)) {
    error = name + " " + *why + ".";
    return false;
  }
  header = loaded;
  return true;
}

}  // namespace pt
