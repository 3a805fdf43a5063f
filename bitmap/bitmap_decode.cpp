#include "bitmap/bitmap_decode.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bitmap/bmp_layout.h"
#include "common/byte_reader.h"

namespace pt {

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kBitfields = 3;

Error refused(std::string why) { return Error{ErrorKind::Invalid, std::move(why)}; }
Error unsupported(std::string why) { return Error{ErrorKind::Unsupported, std::move(why)}; }

// The header fields the decoder goes by.
struct Header {
  std::uint32_t width = 0;   // 128 or 256
  std::uint32_t height = 0;  // magnitude: 128, 256 or 512
  bool bottomUp = false;
  std::uint16_t bits = 0;    // 8, 24 or 32
  std::uint32_t compression = 0;
  std::uint32_t coloursUsed = 0;
  std::uint64_t paletteAt = 0;  // right after the information header
  std::uint64_t pixelsAt = 0;
  std::uint32_t infoSize = 0;
};

Result<Header> readHeader(const ByteReader& in) {
  using namespace bmp;
  Header h;
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
  if (*bits != 8 && *bits != 24 && *bits != 32)
    return unsupported(std::to_string(*bits) + " bits per pixel; 8-, 24- and 32-bit bitmaps can be imported");
  const auto colours = in.le32(kColoursUsedAt);
  if (!colours) return colours.error();
  if (*bits == 8 && *colours > 256)
    return unsupported(std::to_string(*colours) + " colours used; an 8-bit bitmap has at most 256");
  const auto infoSize = in.le32(kInfoSizeAt);
  if (!infoSize) return infoSize.error();
  if (*infoSize < kMinInfoSize)
    return unsupported("information header of " + std::to_string(*infoSize) + " bytes; at least 40 are needed");
  const auto compression = in.le32(kCompressionAt);
  if (!compression) return compression.error();
  const bool known = *compression == kRgb || (*bits == 8 && *compression == kRle8) ||
                     (*bits == 32 && *compression == kBitfields);
  if (!known)
    return unsupported("compression method " + std::to_string(*compression) + " of a " + std::to_string(*bits) +
                       "-bit bitmap; save it uncompressed (or RLE8)");
  const auto pixelsAt = in.le32(kPixelOffsetAt);
  if (!pixelsAt) return pixelsAt.error();
  h.width = static_cast<std::uint32_t>(width);
  h.height = static_cast<std::uint32_t>(magnitude);
  h.bottomUp = height > 0;
  h.bits = *bits;
  h.compression = *compression;
  h.coloursUsed = *colours;
  h.infoSize = *infoSize;
  h.paletteAt = kFileHeaderSize + std::uint64_t{*infoSize};
  h.pixelsAt = *pixelsAt;
  if (h.pixelsAt < h.paletteAt || h.pixelsAt > in.size())
    return refused("the pixel data offset " + std::to_string(*pixelsAt) +
                   " lies outside the file or inside its header");
  return h;
}

// Where file row k lands among the picture's rows.
std::uint32_t landing(const Header& h, RowOrder rows, std::uint32_t k) {
  return h.bottomUp && rows == RowOrder::Declared ? h.height - 1 - k : k;
}

// RLE8 (two-byte runs; escapes 0 0 end of row, 0 1 end of picture, 0 2 dx dy
// delta, 0 n n literal bytes padded to an even count) into width x height
// indices, 0 where nothing is drawn. Data that ends without its end mark
// ends the picture.
Result<Bytes> decodeRle8(std::span<const std::uint8_t> data, const Header& h, RowOrder rows) {
  Bytes out(std::size_t{h.width} * h.height, 0);
  std::size_t at = 0;
  std::uint32_t x = 0, k = 0;
  const auto where = [&] { return " at byte " + std::to_string(at) + " of the RLE8 data (row " + std::to_string(k) + ")"; };
  while (at + 2 <= data.size()) {
    const std::uint8_t n = data[at];
    const std::uint8_t v = data[at + 1];
    if (n > 0) {
      if (k >= h.height || x + n > h.width) return refused("an RLE8 run leaves the picture" + where());
      std::fill_n(&out[std::size_t{landing(h, rows, k)} * h.width + x], n, v);
      x += n;
      at += 2;
    } else if (v == 0) {
      x = 0;
      ++k;
      at += 2;
    } else if (v == 1) {
      break;
    } else if (v == 2) {
      if (at + 4 > data.size()) return refused("an RLE8 delta is cut short" + where());
      x += data[at + 2];
      k += data[at + 3];
      if (x > h.width || k > h.height) return refused("an RLE8 delta leaves the picture" + where());
      at += 4;
    } else {
      const std::size_t padded = v + (v & 1u);
      if (k >= h.height || x + v > h.width) return refused("an RLE8 copy leaves the picture" + where());
      if (at + 2 + padded > data.size()) return refused("an RLE8 copy is cut short" + where());
      std::copy_n(&data[at + 2], v, &out[std::size_t{landing(h, rows, k)} * h.width + x]);
      x += v;
      at += 2 + padded;
    }
  }
  return out;
}

// A channel mask of a 32-bit bitmap: which of the four bytes holds it, or
// -1 for none; masks other than one whole byte are not taken.
Result<int> maskByte(std::uint32_t mask) {
  if (mask == 0) return -1;
  for (int b = 0; b < 4; ++b)
    if (mask == 0xFFu << (8 * b)) return b;
  return unsupported("a 32-bit bitmap with the channel mask 0x" + [&] {
    char s[9];
    std::snprintf(s, sizeof s, "%08X", mask);
    return std::string(s);
  }() + "; only whole-byte masks are taken");
}

// Red, green, blue and alpha byte of a 32-bit pixel.
Result<std::array<int, 4>> channelBytes(const ByteReader& in, const Header& h) {
  if (h.compression != kBitfields) return std::array<int, 4>{2, 1, 0, 3};
  // Masks sit in a longer information header, or right after a 40-byte one.
  const std::uint64_t at = bmp::kFileHeaderSize + bmp::kMinInfoSize;
  std::array<int, 4> out{-1, -1, -1, -1};
  const std::size_t count = h.infoSize >= 56 ? 4 : 3;
  for (std::size_t c = 0; c < count; ++c) {
    const auto mask = in.le32(at + 4 * c);
    if (!mask) return mask.error();
    const auto byte = maskByte(*mask);
    if (!byte) return byte.error();
    out[c] = *byte;
  }
  if (out[0] < 0 || out[1] < 0 || out[2] < 0) return unsupported("a 32-bit bitmap without a colour mask");
  return out;
}

}  // namespace

Result<DecodedBitmap> decodeBitmap(std::span<const std::uint8_t> bytes, RowOrder rows) {
  const ByteReader in(bytes, "the file ends inside the bitmap header");
  const auto header = readHeader(in);
  if (!header) return header.error();
  const Header& h = *header;
  const std::uint32_t side = h.height == 256 ? 256 : 128;
  const std::size_t square = std::size_t{side} * side;
  const std::size_t stride = (std::size_t{h.width} * h.bits + 31) / 32 * 4;
  const std::span<const std::uint8_t> data = bytes.subspan(static_cast<std::size_t>(h.pixelsAt));

  DecodedBitmap out;
  out.bottomUp = h.bottomUp;
  Picture& p = out.picture;
  p.side = side;
  if (h.bits == 8) {
    const std::size_t entries = h.coloursUsed ? h.coloursUsed : 256;
    const ByteReader file(bytes, "the palette lies outside the file");
    const auto palette = file.bytes(h.paletteAt, 4 * entries);
    if (!palette) return palette.error();
    // Entries are blue, green, red, alpha in the file.
    bool alphaAllZero = true;
    for (std::size_t n = 0; n < entries; ++n) {
      const std::uint8_t* e = palette->data() + 4 * n;
      p.palette.insert(p.palette.end(), {e[2], e[1], e[0], e[3]});
      alphaAllZero = alphaAllZero && e[3] == 0;
    }
    if (alphaAllZero) {
      p.alpha = FileAlpha::Dropped;
      p.alphaWhy = "the bitmap's palette alpha is all 0";
    }
    p.indexed = true;
    Bytes stream;
    if (h.compression == kRle8) {
      auto decoded = decodeRle8(data, h, rows);
      if (!decoded) return decoded.error();
      stream = std::move(*decoded);
    } else {
      // The picture's rows must all be there (a low-resolution picture needs
      // only its 128 x 128 bytes when its rows are top-down); bytes past the
      // picture follow it up to the slot's 65536.
      const std::size_t picture = std::size_t{h.width} * h.height;
      const bool turn = h.bottomUp && rows == RowOrder::Declared;
      const std::size_t needed = turn ? picture : std::min(picture, kPixelDataSize);
      if (data.size() < needed)
        return refused("the file ends after " + std::to_string(data.size()) +
                       " bytes of pixel data; the picture needs " + std::to_string(needed));
      stream.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), kPixelDataSize)));
      if (turn) {
        stream.resize(picture);
        for (std::uint32_t k = 0; k < h.height; ++k)
          std::copy_n(&data[std::size_t{k} * h.width], h.width, &stream[std::size_t{landing(h, rows, k)} * h.width]);
        if (data.size() > picture && picture < kPixelDataSize)
          stream.insert(stream.end(), data.begin() + static_cast<std::ptrdiff_t>(picture),
                        data.begin() + static_cast<std::ptrdiff_t>(std::min(data.size(), kPixelDataSize)));
      }
    }
    stream.resize(std::min(stream.size(), kPixelDataSize));
    if (stream.size() < square) stream.resize(square, 0);
    p.indices.assign(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(square));
    out.after.assign(stream.begin() + static_cast<std::ptrdiff_t>(square), stream.end());
    return out;
  }

  if (data.size() / stride < h.height)
    return refused("the file ends after " + std::to_string(data.size()) + " bytes of pixel data; the picture needs " +
                   std::to_string(stride * h.height));
  std::array<int, 4> channel{2, 1, 0, -1};
  if (h.bits == 32) {
    const auto c = channelBytes(in, h);
    if (!c) return c.error();
    channel = *c;
  }
  const std::size_t step = h.bits / 8;
  const std::size_t total = std::size_t{h.width} * h.height;
  Bytes rgba(4 * total);
  bool alphaAllZero = true;
  for (std::uint32_t k = 0; k < h.height; ++k) {
    const std::uint8_t* row = &data[k * stride];
    std::uint8_t* to = &rgba[4 * std::size_t{landing(h, rows, k)} * h.width];
    for (std::uint32_t x = 0; x < h.width; ++x)
      for (int c = 0; c < 4; ++c) {
        to[4 * x + c] = channel[c] < 0 ? 255 : row[x * step + channel[c]];
        alphaAllZero = alphaAllZero && (c != 3 || to[4 * x + c] == 0);
      }
  }
  if (channel[3] < 0 || alphaAllZero) {
    p.alpha = FileAlpha::Dropped;
    p.alphaWhy = channel[3] < 0 ? "the " + std::to_string(h.bits) + "-bit bitmap has no alpha"
                                : "the 32-bit bitmap's alpha bytes are all 0";
    for (std::size_t i = 0; i < total; ++i) rgba[4 * i + 3] = 255;
  }
  rgba.resize(std::min(rgba.size(), 4 * square));
  p.rgba = std::move(rgba);
  p.rgba.resize(4 * square, 0);
  return out;
}

}  // namespace pt
