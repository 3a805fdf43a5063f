#include "png/rgb_png.h"

#include <spng.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace pt {

Result<Bytes> encodeRgbPng(std::span<const std::uint8_t> rgb, std::uint32_t width, std::uint32_t height) {
  struct Free {
    void operator()(spng_ctx* c) const { spng_ctx_free(c); }
  };
  std::unique_ptr<spng_ctx, Free> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) return Error{ErrorKind::Codec, "PNG encoder: out of memory"};
  spng_ihdr ihdr{};
  ihdr.width = width;
  ihdr.height = height;
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  int rc = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
  if (!rc) rc = spng_set_ihdr(ctx.get(), &ihdr);
  if (!rc) rc = spng_encode_image(ctx.get(), rgb.data(), rgb.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  std::size_t length = 0;
  void* buffer = rc ? nullptr : spng_get_png_buffer(ctx.get(), &length, &rc);
  if (!buffer) return Error{ErrorKind::Codec, std::string("PNG encoder: ") + spng_strerror(rc ? rc : SPNG_EINTERNAL)};
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  Bytes out(bytes, bytes + length);
  std::free(buffer);
  return out;
}

}  // namespace pt
