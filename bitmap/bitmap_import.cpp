#include "bitmap/bitmap_import.h"

#include <algorithm>
#include <cstdlib>

#include "bitmap/bmp_layout.h"
#include "common/byte_reader.h"
#include "common/file_io.h"

namespace pt {

namespace {

constexpr std::uint8_t kUnreachedPixel = 15;
// Far more than any 8-bit bitmap of a slot needs (about 130 KB), so that a
// huge file is refused before it is read into memory.
constexpr std::uint64_t kMaxBitmapFileSize = 64ull << 20;

Error refused(std::string why) { return Error{ErrorKind::Invalid, std::move(why)}; }
Error unsupported(std::string why) { return Error{ErrorKind::Unsupported, std::move(why)}; }

}  // namespace

Result<ImportNotes> importBitmapBytes(std::span<const std::uint8_t> bytes, PtSlot& slot,
                                      std::uint8_t index, const ImportOptions& options) {
  using namespace bmp;
  const ByteReader in(bytes, "the file ends inside the bitmap header");

  const auto signature = in.le16(kSignatureAt);
  if (!signature) return signature.error();
  if (*signature != kSignature) return refused("not a bitmap: the file does not start with \"BM\"");
  const auto widthField = in.le32(kWidthAt);
  if (!widthField) return widthField.error();
  const auto width = static_cast<std::int32_t>(*widthField);
  if (width != 128 && width != 256)
    return unsupported("width " + std::to_string(width) + " is neither 128 nor 256");
  const auto heightField = in.le32(kHeightAt);
  if (!heightField) return heightField.error();
  const auto height = static_cast<std::int32_t>(*heightField);
  const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(height));
  if (magnitude != 128 && magnitude != 256 && magnitude != 512)
    return unsupported("height " + std::to_string(height) + " is not 128, 256 or 512");
  const auto bits = in.le16(kBitsAt);
  if (!bits) return bits.error();
  if (*bits != 8)
    return unsupported(std::to_string(*bits) + " bits per pixel; only 8-bit bitmaps can be imported");
  const auto colours = in.le32(kColoursUsedAt);
  if (!colours) return colours.error();
  if (*colours != 0 && *colours != 256)
    return unsupported(std::to_string(*colours) + " colours used; 256 are needed");

  // Files from image editors: longer information headers move the palette,
  // and the pixel data lies where offset 10 says.
  const auto infoSize = in.le32(kInfoSizeAt);
  if (!infoSize) return infoSize.error();
  if (*infoSize < kMinInfoSize)
    return unsupported("information header of " + std::to_string(*infoSize) +
                       " bytes; at least 40 are needed");
  const auto compression = in.le32(kCompressionAt);
  if (!compression) return compression.error();
  if (*compression != 0)
    return unsupported("compressed bitmap (method " + std::to_string(*compression) +
                       "); save it without compression");
  const auto pixelsAt = in.le32(kPixelOffsetAt);
  if (!pixelsAt) return pixelsAt.error();
  const std::uint64_t paletteAt = kFileHeaderSize + std::uint64_t{*infoSize};
  if (*pixelsAt < paletteAt || *pixelsAt > bytes.size())
    return refused("the pixel data offset " + std::to_string(*pixelsAt) +
                   " lies outside the file or inside its header");

  // The picture's rows must all be there; a low-resolution picture needs
  // only its 128 x 128 bytes.
  const std::uint64_t needed = std::min<std::uint64_t>(
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(magnitude), kPixelDataSize);
  const std::uint64_t present = bytes.size() - *pixelsAt;
  if (present < needed)
    return refused("the file ends after " + std::to_string(present) +
                   " bytes of pixel data; the picture needs " + std::to_string(needed));
  const ByteReader file(bytes, "the palette lies outside the file");
  const auto filePalette = file.bytes(paletteAt, kPaletteSize);
  if (!filePalette) return filePalette.error();
  const auto filePixels =
      file.bytes(*pixelsAt, std::min<std::uint64_t>(present, kPixelDataSize));
  if (!filePixels) return filePixels.error();

  ImportNotes notes;
  notes.bottomUp = height > 0;
  // Entries are blue, green, red, alpha in the file and alpha, red, green,
  // blue in the slot.
  Bytes palette = slot.palette;
  palette.resize(kPaletteSize);
  bool fileAlphaAllZero = true, slotAlphaAllZero = true;
  for (std::size_t n = 0; n < kPaletteEntries; ++n) {
    const std::uint8_t* in4 = filePalette->data() + 4 * n;
    fileAlphaAllZero = fileAlphaAllZero && in4[3] == 0;
    slotAlphaAllZero = slotAlphaAllZero && palette[4 * n] == 0;
    if (!options.keepAlpha) palette[4 * n] = in4[3];
    palette[4 * n + 1] = in4[2];
    palette[4 * n + 2] = in4[1];
    palette[4 * n + 3] = in4[0];
  }
  notes.alphaDropped = fileAlphaAllZero && !slotAlphaAllZero;

  // The file's pixel data in slot order: the first part, then for slot 10
  // the second part; entries the file does not reach hold 15 in the first
  // part and keep their contents in the second.
  const std::size_t firstPart = pixelsLength(index);
  Bytes pixels(firstPart, kUnreachedPixel);
  const std::size_t intoFirst = std::min(firstPart, filePixels->size());
  std::copy_n(filePixels->begin(), intoFirst, pixels.begin());
  Bytes extra = slot.extra;
  if (index == kSplitSlot) {
    extra.resize(kSplitSecondPart);
    std::copy(filePixels->begin() + static_cast<std::ptrdiff_t>(intoFirst), filePixels->end(),
              extra.begin());
  }

  const bool low = magnitude != 256;
  slot.width = low ? kLowResWidth : kHighResSide;
  slot.height = low ? kLowResHeightImported : kHighResSide;
  slot.palette = std::move(palette);
  slot.pixels = std::move(pixels);
  slot.extra = std::move(extra);
  return notes;
}

Result<ImportNotes> importBitmapFile(const std::filesystem::path& path, PtSlot& slot,
                                     std::uint8_t index, const ImportOptions& options) {
  FileReader reader;
  if (auto opened = reader.open(path); !opened) return opened.error();
  if (reader.size() > kMaxBitmapFileSize)
    return unsupported("the file has " + std::to_string(reader.size()) +
                       " bytes, far more than a slot's bitmap");
  Bytes bytes(reader.size());
  auto got = reader.readAt(0, bytes);
  if (!got) return got.error();
  bytes.resize(*got);
  return importBitmapBytes(bytes, slot, index, options);
}

bool importBitmap(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& /*prompt: a file that is only read needs no question*/) {
  return importBitmapFile(path, file.slots[slot], slot, ImportOptions{}).ok();
}

}  // namespace pt
