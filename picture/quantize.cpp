#include "picture/quantize.h"

#include <libimagequant.h>

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <unordered_map>

#include "common/program.h"

namespace pt {

namespace {

Error quantizeError(liq_error e) {
  return Error{ErrorKind::Codec, "the colour quantizer failed (libimagequant error " +
                                  std::to_string(static_cast<int>(e)) + ")"};
}

// Colours are compared premultiplied by their alpha, so that the colour of a
// nearly transparent pixel matters little, plus the difference of alphas; a
// small share of the straight colour difference decides between entries
// that differ only in the colour of a transparent pixel, so an exact match
// always wins.
struct Entry {
  float r, g, b, a;     // premultiplied
  float sr, sg, sb;     // straight
};

Entry premultiplied(float r, float g, float b, float a) {
  const float k = a / 255.0f;
  return {r * k, g * k, b * k, a, r, g, b};
}

std::size_t nearest(const std::array<Entry, kPaletteEntries>& entries, const Entry& c) {
  std::size_t best = 0;
  float bestDistance = std::numeric_limits<float>::max();
  for (std::size_t n = 0; n < entries.size(); ++n) {
    const Entry& e = entries[n];
    const float dr = e.r - c.r, dg = e.g - c.g, db = e.b - c.b, da = e.a - c.a;
    const float sr = e.sr - c.sr, sg = e.sg - c.sg, sb = e.sb - c.sb;
    const float d = dr * dr + dg * dg + db * db + da * da + (sr * sr + sg * sg + sb * sb) / 64;
    if (d < bestDistance) {
      bestDistance = d;
      best = n;
    }
  }
  return best;
}

// libimagequant spreads its work over OpenMP threads when it was built with
// OpenMP. For a picture of 65536 pixels, starting and joining those threads
// costs more than they save (three times slower on a busy two-core machine),
// so the quantizer runs on the calling thread alone while this guard lives.
// The OpenMP runtime is looked up where libimagequant loaded it, so that no
// particular runtime is linked in; without one the guard does nothing.
class OneThread {
 public:
  OneThread() {
    set_ = reinterpret_cast<void (*)(int)>(loadedFunction("omp_set_num_threads"));
    auto get = reinterpret_cast<int (*)()>(loadedFunction("omp_get_max_threads"));
    if (set_ && get) {
      previous_ = get();
      set_(1);
    } else {
      set_ = nullptr;
    }
  }
  ~OneThread() {
    if (set_) set_(previous_);
  }
  // Runs `f` while the runtime reports two threads (with OpenMP only).
  template <class F>
  void asIfTwo(F f) const {
    if (set_) set_(2);
    f();
    if (set_) set_(1);
  }
  OneThread(const OneThread&) = delete;
  OneThread& operator=(const OneThread&) = delete;

 private:
  void (*set_)(int) = nullptr;
  int previous_ = 1;
};

}  // namespace

Result<Quantized> quantizeRgba(std::span<const std::uint8_t> rgba, std::uint32_t width,
                               std::uint32_t height, bool dither) {
  if (rgba.size() != std::size_t{width} * height * 4)
    return Error{ErrorKind::Invalid, "the picture's length does not match its size"};
  const OneThread oneThread;
  struct Attr {
    liq_attr* p = liq_attr_create();
    ~Attr() { if (p) liq_attr_destroy(p); }
  } attr;
  if (!attr.p) return quantizeError(LIQ_OUT_OF_MEMORY);
  liq_set_max_colors(attr.p, static_cast<int>(kPaletteEntries));
  // Speed 7 of 10 keeps a 256 x 256 picture well under a tenth of a second;
  // on soft gradients with alpha its error is that of the slower settings,
  // while 8 and above skip the refinement and lose visibly. At speed 7
  // libimagequant turns on its dither map (dithering that spares edges and
  // flat areas) only when it may use several threads: without it the error
  // of a dithered picture is 8 to 18% above pngquant's, with it within 2%.
  oneThread.asIfTwo([&] { liq_set_speed(attr.p, 7); });
  struct Image {
    liq_image* p;
    ~Image() { if (p) liq_image_destroy(p); }
  } image{liq_image_create_rgba(attr.p, rgba.data(), static_cast<int>(width),
                                static_cast<int>(height), 0)};
  if (!image.p) return quantizeError(LIQ_OUT_OF_MEMORY);
  struct Res {
    liq_result* p = nullptr;
    ~Res() { if (p) liq_result_destroy(p); }
  } res;
  if (liq_error e = liq_image_quantize(image.p, attr.p, &res.p); e != LIQ_OK) return quantizeError(e);
  liq_set_dithering_level(res.p, dither ? 1.0f : 0.0f);

  Quantized out;
  out.indices.resize(std::size_t{width} * height);
  if (liq_error e = liq_write_remapped_image(res.p, image.p, out.indices.data(), out.indices.size());
      e != LIQ_OK)
    return quantizeError(e);
  const liq_palette* pal = liq_get_palette(res.p);
  out.colours = std::min<std::size_t>(pal->count, kPaletteEntries);
  out.palette.assign(kPaletteSize, 0);
  for (std::size_t n = 0; n < out.colours; ++n) {
    const liq_color& c = pal->entries[n];
    out.palette[4 * n] = c.a;
    out.palette[4 * n + 1] = c.r;
    out.palette[4 * n + 2] = c.g;
    out.palette[4 * n + 3] = c.b;
  }
  return out;
}

Quantized remapToPalette(std::span<const std::uint8_t> rgba, std::uint32_t width,
                         std::uint32_t height, std::span<const std::uint8_t> palette, bool dither,
                         std::span<const std::int16_t> fixed) {
  std::array<Entry, kPaletteEntries> entries{};
  for (std::size_t n = 0; n < kPaletteEntries; ++n)
    entries[n] = premultiplied(palette[4 * n + 1], palette[4 * n + 2], palette[4 * n + 3],
                               palette[4 * n]);
  Quantized out;
  out.palette.assign(palette.begin(), palette.end());
  out.colours = kPaletteEntries;
  out.indices.resize(std::size_t{width} * height);

  if (!dither) {
    // Pictures repeat colours a lot: each distinct colour is looked up once.
    std::unordered_map<std::uint32_t, std::uint8_t> seen;
    for (std::size_t i = 0; i < out.indices.size(); ++i) {
      if (!fixed.empty() && fixed[i] >= 0) {
        out.indices[i] = static_cast<std::uint8_t>(fixed[i]);
        continue;
      }
      const std::uint8_t* p = &rgba[4 * i];
      const std::uint32_t key = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
      auto [it, fresh] = seen.try_emplace(key, 0);
      if (fresh)
        it->second = static_cast<std::uint8_t>(nearest(entries, premultiplied(p[0], p[1], p[2], p[3])));
      out.indices[i] = it->second;
    }
    return out;
  }

  // Floyd-Steinberg on straight (not premultiplied) red, green, blue, alpha.
  std::vector<std::array<float, 4>> thisRow(width + 2), nextRow(width + 2);
  for (std::uint32_t y = 0; y < height; ++y) {
    std::swap(thisRow, nextRow);
    std::fill(nextRow.begin(), nextRow.end(), std::array<float, 4>{});
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::size_t i = std::size_t{y} * width + x;
      if (!fixed.empty() && fixed[i] >= 0) {
        out.indices[i] = static_cast<std::uint8_t>(fixed[i]);
        continue;
      }
      const std::uint8_t* p = &rgba[4 * i];
      if (p[3] == 0) {  // a transparent pixel's colour is no one's error
        out.indices[i] = static_cast<std::uint8_t>(nearest(entries, premultiplied(p[0], p[1], p[2], 0)));
        continue;
      }
      std::array<float, 4> want{};
      for (int k = 0; k < 4; ++k)
        want[k] = std::clamp(rgba[4 * i + k] + thisRow[x + 1][k], 0.0f, 255.0f);
      const std::size_t n = nearest(entries, premultiplied(want[0], want[1], want[2], want[3]));
      out.indices[i] = static_cast<std::uint8_t>(n);
      const std::array<float, 4> got{float(palette[4 * n + 1]), float(palette[4 * n + 2]),
                                     float(palette[4 * n + 3]), float(palette[4 * n])};
      for (int k = 0; k < 4; ++k) {
        const float err = want[k] - got[k];
        thisRow[x + 2][k] += err * 7 / 16;
        nextRow[x][k] += err * 3 / 16;
        nextRow[x + 1][k] += err * 5 / 16;
        nextRow[x + 2][k] += err * 1 / 16;
      }
    }
  }
  return out;
}

}  // namespace pt
