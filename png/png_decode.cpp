#include "png/png_decode.h"

#include <spng.h>

#include <algorithm>
#include <memory>
#include <string>

#include "png/png_chunks.h"

namespace pt {

namespace {

struct CtxDeleter {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// No chunk this program reads comes near these; they bound what a hostile
// file can make the decoder hold in ancillary chunks.
constexpr std::size_t kChunkLimit = 1 << 20;
constexpr std::size_t kChunkCacheLimit = 4 << 20;
constexpr std::uint32_t kSideLimit = 1 << 16;
constexpr const char* kSizeRule = "only 256x256 and 128x128 can be imported";

Error invalid(int code) {
  return Error{ErrorKind::Invalid,
               std::string("the PNG file is damaged or cut short (") + spng_strerror(code) + ")"};
}

// Spreads packed indices of 1, 2 or 4 bits to one byte each, row by row.
Bytes unpackIndices(const Bytes& packed, std::uint32_t width, std::uint32_t height, int depth) {
  const std::size_t rowBytes = (std::size_t{width} * depth + 7) / 8;
  const int mask = (1 << depth) - 1;
  Bytes out(std::size_t{width} * height);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = &packed[y * rowBytes];
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::size_t bit = std::size_t{x} * depth;
      const int shift = 8 - depth - static_cast<int>(bit % 8);
      out[std::size_t{y} * width + x] = static_cast<std::uint8_t>((row[bit / 8] >> shift) & mask);
    }
  }
  return out;
}

}  // namespace

Result<DecodedPng> decodePng(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < sizeof kSignature ||
      !std::equal(std::begin(kSignature), std::end(kSignature), bytes.begin()))
    return Error{ErrorKind::Invalid, "not a PNG file: the PNG signature is missing"};
  // Every chunk's length and checksum are checked here, before the decoder,
  // which would drop a damaged ancillary chunk (tRNS) without a word.
  if (Status chunks = checkPngChunks(bytes); !chunks) return chunks.error();

  std::unique_ptr<spng_ctx, CtxDeleter> ctx(spng_ctx_new(0));
  if (!ctx) return Error{ErrorKind::Codec, "PNG decoder: out of memory"};
  spng_ctx* c = ctx.get();
  spng_set_chunk_limits(c, kChunkLimit, kChunkCacheLimit);
  spng_set_image_limits(c, kSideLimit, kSideLimit);
  spng_set_crc_action(c, SPNG_CRC_USE, SPNG_CRC_USE);  // checked above
  if (int rc = spng_set_png_buffer(c, bytes.data(), bytes.size())) return invalid(rc);

  spng_ihdr ihdr{};
  if (int rc = spng_get_ihdr(c, &ihdr)) {
    if (rc == SPNG_EUSER_WIDTH || rc == SPNG_EUSER_HEIGHT) return Error{ErrorKind::Unsupported,
                   std::string("the picture is larger than 65536 pixels on a side; ") + kSizeRule};
    return invalid(rc);
  }
  const bool supportedSize = (ihdr.width == 256 && ihdr.height == 256) ||
                             (ihdr.width == 128 && ihdr.height == 128);
  if (!supportedSize)
    return Error{ErrorKind::Unsupported, "the picture is " + std::to_string(ihdr.width) + "x" +
                                             std::to_string(ihdr.height) +
                                             "; " + kSizeRule};

  DecodedPng out;
  out.width = ihdr.width;
  out.height = ihdr.height;
  out.indexed = ihdr.color_type == SPNG_COLOR_TYPE_INDEXED;
  const std::size_t pixels = std::size_t{ihdr.width} * ihdr.height;
  if (out.indexed) {
    spng_plte plte{};
    if (int rc = spng_get_plte(c, &plte)) return invalid(rc);
    out.paletteEntries = std::min<std::size_t>(plte.n_entries, 256);
    for (std::size_t n = 0; n < out.paletteEntries; ++n)
      out.paletteRgb.insert(out.paletteRgb.end(),
                            {plte.entries[n].red, plte.entries[n].green, plte.entries[n].blue});
    spng_trns trns{};
    const int trnsRc = spng_get_trns(c, &trns);
    out.hasAlpha = trnsRc == 0;
    if (trnsRc == 0)
      out.paletteAlpha.assign(trns.type3_alpha,
                              trns.type3_alpha + std::min<std::size_t>(trns.n_type3_entries,
                                                                       out.paletteEntries));
    else if (trnsRc != SPNG_ECHUNKAVAIL)
      return invalid(trnsRc);

    std::size_t length = 0;
    if (int rc = spng_decoded_image_size(c, SPNG_FMT_PNG, &length)) return invalid(rc);
    const std::size_t expected = (std::size_t{ihdr.width} * ihdr.bit_depth + 7) / 8 * ihdr.height;
    if (length != expected || ihdr.bit_depth > 8)
      return Error{ErrorKind::Invalid, "the PNG file's indexed picture has an unexpected size"};
    Bytes packed(length);
    if (int rc = spng_decode_image(c, packed.data(), packed.size(), SPNG_FMT_PNG, 0))
      return invalid(rc);
    out.indices = ihdr.bit_depth == 8 ? std::move(packed)
                                      : unpackIndices(packed, ihdr.width, ihdr.height, ihdr.bit_depth);
  } else {
    spng_trns trns{};
    out.hasAlpha = ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA ||
                   ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA || spng_get_trns(c, &trns) == 0;
    std::size_t length = 0;
    if (int rc = spng_decoded_image_size(c, SPNG_FMT_RGBA8, &length)) return invalid(rc);
    if (length != pixels * 4)
      return Error{ErrorKind::Invalid, "the PNG file's picture has an unexpected size"};
    out.rgba.resize(length);
    if (int rc = spng_decode_image(c, out.rgba.data(), out.rgba.size(), SPNG_FMT_RGBA8,
                                   SPNG_DECODE_TRNS))
      return invalid(rc);
  }
  return out;
}

}  // namespace pt
