#include "bitmap/bmp_header.h"

#include <algorithm>

#include "bitmap/le_bytes.h"
#include "common/file_io.h"

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

Result<BmpHeader> loadBmpHeader(const std::filesystem::path& path) {
  const std::string name = path.string();
  auto bytes = readFileHead(path, bmp::kTemplateSize);
  if (!bytes) {
    Error error = bytes.error();
    error.detail = describe(error) + ": " + name;
    return error;
  }
  if (bytes->size() < bmp::kTemplateSize)
    return Error{ErrorKind::Invalid,
                 name + " is too short: it has " + std::to_string(bytes->size()) + " bytes, " +
                     std::to_string(bmp::kTemplateSize) + " are needed.", 0};
  BmpHeader loaded{};
  std::copy_n(bytes->begin(), bmp::kTemplateSize, loaded.begin());
  if (auto why = checkBmpHeader(loaded)) return Error{ErrorKind::Invalid, name + " " + *why + ".", 0};
  return loaded;
}

}  // namespace pt
