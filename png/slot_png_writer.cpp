#include "png/slot_png_writer.h"

#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

namespace pt {

namespace {

struct CtxDeleter {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

Error encodeError(int code) {
  return Error{ErrorKind::Codec, std::string("PNG encoder: ") + spng_strerror(code)};
}

}  // namespace

Result<Bytes> encodeSlotPng(const PtSlot& slot, std::uint8_t index, bool alphaView) {
  const bool low = isLowRes(slot.height);
  const std::uint32_t side = low ? kLowResWidth : kHighResSide;
  const std::size_t pictureBytes = std::size_t{side} * side;

  // The picture is the start of the pixel data; slot 10's continues in `extra`.
  Bytes picture(slot.pixels.begin(),
                slot.pixels.begin() + static_cast<std::ptrdiff_t>(
                                          std::min(pictureBytes, slot.pixels.size())));
  if (picture.size() < pictureBytes)
    picture.insert(picture.end(), slot.extra.begin(),
                   slot.extra.begin() + static_cast<std::ptrdiff_t>(std::min(
                                            pictureBytes - picture.size(), slot.extra.size())));
  if (picture.size() != pictureBytes || slot.palette.size() != kPaletteSize || index >= kSlotCount)
    return Error{ErrorKind::Incomplete, "the slot's data is incomplete"};

  std::unique_ptr<spng_ctx, CtxDeleter> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) return Error{ErrorKind::Codec, "PNG encoder: out of memory"};
  spng_ctx* c = ctx.get();

  spng_ihdr ihdr{};
  ihdr.width = ihdr.height = side;
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_INDEXED;
  spng_plte plte{};
  spng_trns trns{};
  plte.n_entries = trns.n_type3_entries = kPaletteEntries;
  for (std::size_t n = 0; n < kPaletteEntries; ++n) {
    const std::uint8_t* e = &slot.palette[4 * n];
    auto& p = plte.entries[n];
    p.red = alphaView ? e[0] : e[1];
    p.green = alphaView ? e[0] : e[2];
    p.blue = alphaView ? e[0] : e[3];
    trns.type3_alpha[n] = e[0];
  }
  // Level 1 without filtering: a 64 KiB picture of indices compresses
  // nearly as well as at higher levels and in a fraction of the time.
  int rc = spng_set_option(c, SPNG_ENCODE_TO_BUFFER, 1);
  if (!rc) rc = spng_set_option(c, SPNG_IMG_COMPRESSION_LEVEL, 1);
  if (!rc) rc = spng_set_option(c, SPNG_FILTER_CHOICE, SPNG_DISABLE_FILTERING);
  if (!rc) rc = spng_set_ihdr(c, &ihdr);
  if (!rc) rc = spng_set_plte(c, &plte);
  if (!rc) rc = spng_set_trns(c, &trns);
  if (!rc) rc = spng_encode_image(c, picture.data(), picture.size(), SPNG_FMT_PNG,
                                  SPNG_ENCODE_FINALIZE);
  if (rc) return encodeError(rc);
  std::size_t length = 0;
  void* buffer = spng_get_png_buffer(c, &length, &rc);
  if (!buffer) return encodeError(rc ? rc : SPNG_EINTERNAL);
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  Bytes out(bytes, bytes + length);
  std::free(buffer);
  return out;
}

}  // namespace pt
