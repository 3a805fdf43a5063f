#include "bitmap/bitmap_import.h"

#include <algorithm>
#include <cstdlib>

#include "bitmap/bmp_layout.h"
#include "bitmap/le_bytes.h"
#include "exchange/check_file.h"

namespace pt {

namespace {

constexpr std::uint8_t kUnreachedPixel = 15;

struct Header {
  std::span<const std::uint8_t> bytes;
  bool has(std::size_t at, std::size_t n) const { return at + n <= bytes.size(); }
};

// Reads [offset, offset + out.size()) and reports how much the file had.
Status readPart(ByteSource& source, std::uint64_t offset, Bytes& out) {
  auto got = source.readAt(offset, out);
  if (!got) return got.error();
  out.resize(*got);
  return Status::success();
}

}  // namespace

Outcome importBitmapFrom(ByteSource& source, PtSlot& slot, std::uint8_t index) {
  using namespace bmp;
  const std::uint64_t fileSize = source.size();
  Bytes head(kTemplateSize);
  if (auto read = readPart(source, 0, head); !read) return Outcome::refused(describe(read.error()));
  const Header h{head};
  const auto endsEarly = [] { return Outcome::refused("the file ends inside the bitmap header"); };

  if (!h.has(kSignatureAt, 2)) return endsEarly();
  if (readLe16(head, kSignatureAt) != kSignature)
    return Outcome::refused("not a bitmap: the file does not start with \"BM\"");
  if (!h.has(kWidthAt, 4)) return endsEarly();
  const auto width = static_cast<std::int32_t>(readLe32(head, kWidthAt));
  if (width != 128 && width != 256)
    return Outcome::refused("width " + std::to_string(width) + " is neither 128 nor 256");
  if (!h.has(kHeightAt, 4)) return endsEarly();
  const auto height = static_cast<std::int32_t>(readLe32(head, kHeightAt));
  const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(height));
  if (magnitude != 128 && magnitude != 256 && magnitude != 512)
    return Outcome::refused("height " + std::to_string(height) + " is not 128, 256 or 512");
  if (!h.has(kBitsAt, 2)) return endsEarly();
  const std::uint16_t bits = readLe16(head, kBitsAt);
  if (bits != 8)
    return Outcome::refused(std::to_string(bits) + " bits per pixel; only 8-bit bitmaps can be imported");
  if (!h.has(kColoursUsedAt, 4)) return endsEarly();
  const std::uint32_t colours = readLe32(head, kColoursUsedAt);
  if (colours != 0 && colours != 256)
    return Outcome::refused(std::to_string(colours) + " colours used; 256 are needed");

  // Files from image editors: longer information headers move the palette,
  // and the pixel data lies where offset 10 says.
  const std::uint64_t infoSize = readLe32(head, kInfoSizeAt);
  if (infoSize < kMinInfoSize)
    return Outcome::refused("information header of " + std::to_string(infoSize) +
                            " bytes; at least 40 are needed");
  const std::uint32_t compression = readLe32(head, kCompressionAt);
  if (compression != 0)
    return Outcome::refused("compressed bitmap (method " + std::to_string(compression) +
                            "); save it without compression");
  const std::uint64_t paletteAt = kFileHeaderSize + infoSize;
  if (paletteAt > fileSize) return Outcome::refused("the palette lies outside the file");
  const std::uint64_t pixelsAt = readLe32(head, kPixelOffsetAt);
  if (pixelsAt < paletteAt || pixelsAt > fileSize)
    return Outcome::refused("the pixel data offset " + std::to_string(pixelsAt) +
                            " lies outside the file or inside its header");

  Bytes filePalette(kPaletteSize);
  if (auto read = readPart(source, paletteAt, filePalette); !read)
    return Outcome::refused(describe(read.error()));
  Bytes filePixels(kPixelDataSize);
  if (auto read = readPart(source, pixelsAt, filePixels); !read)
    return Outcome::refused(describe(read.error()));

  // Entries are blue, green, red, alpha in the file and alpha, red, green,
  // blue in the slot.
  Bytes palette = slot.palette;
  palette.resize(kPaletteSize);
  for (std::size_t i = 0; i < filePalette.size(); ++i)
    palette[(i & ~std::size_t{3}) + 3 - (i & 3)] = filePalette[i];

  // The file's pixel data becomes the slot's first part in place: cut to the
  // part's length, or padded with the unreached value where the file ends.
  const std::size_t firstPart = pixelsLength(index);
  Bytes pixels = std::move(filePixels);
  Bytes extra = slot.extra;
  if (index == kSplitSlot) {
    extra.resize(kSplitSecondPart);
    if (pixels.size() > firstPart)
      std::copy(pixels.begin() + static_cast<std::ptrdiff_t>(firstPart), pixels.end(),
                extra.begin());
  }
  pixels.resize(firstPart, kUnreachedPixel);

  const bool low = magnitude != 256;
  slot.width = low ? kLowResWidth : kHighResSide;
  slot.height = low ? kLowResHeightImported : kHighResSide;
  slot.palette = std::move(palette);
  slot.pixels = std::move(pixels);
  slot.extra = std::move(extra);
  return Outcome::success();
}

Outcome importBitmapFile(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                         UserPrompt& prompt) {
  if (!checkFile(path, 1, prompt)) return Outcome::refused("not confirmed");
  FileSource source;
  if (auto opened = source.open(path); !opened) return Outcome::refused(describe(opened.error()));
  return importBitmapFrom(source, file.slots[slot], slot);
}

bool importBitmap(PtFile& file, std::uint8_t slot, const std::filesystem::path& path,
                  UserPrompt& prompt) {
  return importBitmapFile(file, slot, path, prompt).ok;
}

}  // namespace pt
