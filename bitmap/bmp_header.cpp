#include "bitmap/bmp_header.h"

#include <algorithm>

#include "common/byte_reader.h"
#include "common/data_files.h"
#include "common/file_io.h"
#include "common/paths.h"

namespace pt {

Status checkBmpHeader(const BmpHeader& h) {
  using namespace bmp;
  const Error notUsable{ErrorKind::Invalid, "is not the header of an uncompressed 8-bit bitmap"};
  const ByteReader in(h, notUsable.detail);
  const auto is = [](const auto& field, std::uint32_t want) { return field && *field == want; };
  const auto colours = in.le32(kColoursUsedAt);
  if (!is(in.le16(kSignatureAt), kSignature) || !is(in.le32(kPixelOffsetAt), kPixelsAt) ||
      !is(in.le32(kInfoSizeAt), kMinInfoSize) || !is(in.le16(kPlanesAt), 1) ||
      !is(in.le16(kBitsAt), 8) || !is(in.le32(kCompressionAt), 0) ||
      !(is(colours, 0) || is(colours, 256)))
    return notUsable;
  return Status::success();
}

Result<BmpHeader> loadBmpHeader(const std::filesystem::path& path) {
  const std::string name = utf8(path);
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
  if (auto usable = checkBmpHeader(loaded); !usable)
    return Error{ErrorKind::Invalid, name + " " + usable.error().detail + ".", 0};
  return loaded;
}

Result<BmpHeader> loadBmpHeaderOf(const std::filesystem::path& programFolder) {
  auto loaded = loadBmpHeader(findDataFile(programFolder, kBmpHeaderFileName));
  if (loaded) return *loaded;
  return Error{loaded.error().kind, describe(loaded.error()) + "\nBitmap work needs " +
                                        std::string(kBmpHeaderFileName) + " beside the program."};
}

}  // namespace pt
