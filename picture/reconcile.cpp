#include <algorithm>
#include <array>
#include <unordered_map>

#include "picture/picture.h"
#include "picture/quantize.h"

namespace pt {

namespace {

// A colour packed as red | green << 8 | blue << 16 | alpha << 24.
using Colour = std::uint32_t;
constexpr Colour kRgbMask = 0x00FFFFFF;

constexpr std::uint8_t alphaOf(Colour c) { return static_cast<std::uint8_t>(c >> 24); }
constexpr Colour pack(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  return Colour{r} | Colour{g} << 8 | Colour{b} << 16 | Colour{a} << 24;
}

// How a pixel of the file is compared with the slot's entry at its place.
enum class Compare {
  Exact,       // the whole colour; fully transparent pixels by alpha alone
  ColourOnly,  // the file has no alpha: red, green and blue
  OnOff,       // the file's alpha was brought to 0 and 255: a transparent pixel
               // matches any entry that is not opaque, an opaque one by colour
};

bool matches(Compare how, Colour file, Colour slot) {
  switch (how) {
    case Compare::Exact:
      return file == slot || (alphaOf(file) == 0 && alphaOf(slot) == 0);
    case Compare::ColourOnly:
      return ((file ^ slot) & kRgbMask) == 0;
    case Compare::OnOff:
      return ((file ^ slot) & kRgbMask) == 0 || (alphaOf(file) == 0 && alphaOf(slot) < 255);
  }
  return false;
}

std::array<Colour, kPaletteEntries> slotColours(const Bytes& palette) {
  std::array<Colour, kPaletteEntries> out{};
  for (std::size_t n = 0; n < kPaletteEntries; ++n)
    out[n] = pack(palette[4 * n + 1], palette[4 * n + 2], palette[4 * n + 3], palette[4 * n]);
  return out;
}

// The file's colour at every pixel.
std::vector<Colour> fileColours(const Picture& p) {
  const std::size_t count = std::size_t{p.side} * p.side;
  std::vector<Colour> out(count);
  if (!p.indexed) {
    for (std::size_t i = 0; i < count; ++i)
      out[i] = pack(p.rgba[4 * i], p.rgba[4 * i + 1], p.rgba[4 * i + 2], p.rgba[4 * i + 3]);
    return out;
  }
  const std::size_t entries = p.palette.size() / 4;
  std::array<Colour, kPaletteEntries> lookup;
  lookup.fill(pack(0, 0, 0, 255));
  for (std::size_t n = 0; n < entries; ++n)
    lookup[n] = pack(p.palette[4 * n], p.palette[4 * n + 1], p.palette[4 * n + 2], p.palette[4 * n + 3]);
  for (std::size_t i = 0; i < count; ++i) out[i] = lookup[p.indices[i]];
  return out;
}

std::string entryList(const std::vector<std::size_t>& entries) {
  std::string s;
  for (std::size_t k = 0; k < entries.size() && k < 8; ++k) s += (k ? ", " : "") + std::to_string(entries[k]);
  if (entries.size() > 8) s += ", ...";
  return s;
}

std::string plural(std::size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The slot's picture at the places of this one, or nothing when its size differs.
std::span<const std::uint8_t> slotPlaces(const Bytes& slotData, const PtSlot& slot, std::uint32_t side) {
  const std::uint32_t slotSide = isLowRes(slot.height) ? 128 : 256;
  if (slotSide != side) return {};
  return std::span<const std::uint8_t>(slotData).first(std::size_t{side} * side);
}

struct AlphaDecision {
  Compare compare = Compare::Exact;
  std::string note;
};

bool onOffOnly(const std::vector<Colour>& file) {
  return std::all_of(file.begin(), file.end(), [](Colour c) { return alphaOf(c) == 0 || alphaOf(c) == 255; });
}

// Soft alpha where the slot's picture shows it (or anywhere in its palette
// when the sizes differ).
bool slotHasSoftAlpha(const std::array<Colour, kPaletteEntries>& sp, std::span<const std::uint8_t> places) {
  std::array<bool, kPaletteEntries> shown{};
  if (places.empty()) shown.fill(true);
  for (const std::uint8_t n : places) shown[n] = true;
  for (std::size_t n = 0; n < kPaletteEntries; ++n)
    if (shown[n] && alphaOf(sp[n]) != 0 && alphaOf(sp[n]) != 255) return true;
  return false;
}

bool coloursAreTheSlots(const std::vector<Colour>& file, const std::array<Colour, kPaletteEntries>& sp) {
  std::vector<Colour> rgb;
  for (const Colour c : sp) rgb.push_back(c & kRgbMask);
  std::sort(rgb.begin(), rgb.end());
  for (const Colour c : file)
    if (alphaOf(c) != 0 && !std::binary_search(rgb.begin(), rgb.end(), c & kRgbMask)) return false;
  return true;
}

AlphaDecision decideAlpha(const Picture& p, const std::vector<Colour>& file,
                          const std::array<Colour, kPaletteEntries>& sp, std::span<const std::uint8_t> places,
                          AlphaChoice choice) {
  const bool dropped = p.alpha == FileAlpha::Dropped;
  switch (choice) {
    case AlphaChoice::File:
      return {dropped ? Compare::ColourOnly : Compare::Exact,
              dropped ? "Alpha: from the file, as asked, although " + p.alphaWhy + ": colours are opaque." : ""};
    case AlphaChoice::Slot:
      return {dropped ? Compare::ColourOnly : Compare::OnOff,
              std::string("Alpha: from the slot, by colour and place, as asked; colours new to the slot ") +
                  (dropped ? "are opaque." : "keep the file's.")};
    case AlphaChoice::Auto:
      break;
  }
  if (dropped)
    return {Compare::ColourOnly, "Alpha: from the slot, by colour and place (" + p.alphaWhy +
                                     ": an image editor dropped it); colours new to the slot are opaque."};
  if (onOffOnly(file) && slotHasSoftAlpha(sp, places) && coloursAreTheSlots(file, sp))
    return {Compare::OnOff,
            "Alpha: from the slot, by colour and place (the file's alpha is only on or off where the "
            "slot's was soft, and its colours are the slot's: an image editor collapsed it)."};
  return {};
}

}  // namespace

Result<Reconciled> reconcilePicture(const Picture& p, const PtSlot& slot, std::uint8_t index,
                                    const ImportOptions& options) {
  if (index >= kSlotCount || !slotArraysComplete(slot, index))
    return Error{ErrorKind::Incomplete, "the slot's data is incomplete"};
  const std::size_t count = std::size_t{p.side} * p.side;
  const std::vector<Colour> file = fileColours(p);
  const auto sp = slotColours(slot.palette);
  const Bytes slotData = fullPixelData(slot);
  const std::span<const std::uint8_t> places = slotPlaces(slotData, slot, p.side);
  const AlphaDecision alpha = decideAlpha(p, file, sp, places, options.alpha);
  const bool alphaFromSlot = alpha.compare != Compare::Exact;

  Reconciled out;
  if (!alpha.note.empty()) out.notes.push_back(alpha.note);
  // The common case, an unchanged picture: every pixel keeps its index.
  const bool unchanged = !places.empty() && options.palette != PaletteChoice::New && [&] {
    for (std::size_t i = 0; i < count; ++i)
      if (!matches(alpha.compare, file[i], sp[places[i]])) return false;
    return true;
  }();
  if (unchanged) {
    out.palette = slot.palette;
    out.indices.assign(places.begin(), places.end());
    return out;
  }
  // Exact entries: the first of equal colours; any transparent entry stands
  // for a transparent pixel; by colour alone the first entry of the colour
  // brings its alpha.
  std::unordered_map<Colour, std::uint8_t> exact, byRgb;
  int transparentEntry = -1;
  for (std::size_t n = kPaletteEntries; n-- > 0;) {
    exact[sp[n]] = static_cast<std::uint8_t>(n);
    byRgb[sp[n] & kRgbMask] = static_cast<std::uint8_t>(n);
    if (alphaOf(sp[n]) == 0) transparentEntry = static_cast<int>(n);
  }

  // Each pixel: the slot's index at its place, an entry of its colour, or
  // undecided (-1) with the colour it wants.
  std::vector<std::int16_t> decided(count, -1);
  std::vector<Colour> wanted(file);
  std::size_t undecided = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const Colour f = file[i];
    if (!places.empty() && matches(alpha.compare, f, sp[places[i]])) {
      decided[i] = places[i];
      wanted[i] = sp[places[i]];
      continue;
    }
    Colour w = f;
    if (alphaFromSlot) {
      if (auto it = byRgb.find(f & kRgbMask); it != byRgb.end() && (alpha.compare == Compare::ColourOnly || alphaOf(f) != 0)) {
        decided[i] = it->second;
        wanted[i] = sp[it->second];
        continue;
      }
      if (alpha.compare == Compare::ColourOnly) w = f | 0xFF000000u;
    }
    if (alphaOf(w) == 0 && transparentEntry >= 0) {
      decided[i] = static_cast<std::int16_t>(transparentEntry);
      wanted[i] = sp[transparentEntry];
      continue;
    }
    if (auto it = exact.find(w); it != exact.end()) {
      decided[i] = it->second;
      wanted[i] = w;
      continue;
    }
    wanted[i] = w;
    ++undecided;
  }

  out.palette = slot.palette;
  out.indices.resize(count);
  const auto rgbaOf = [&] {
    Bytes rgba(4 * count);
    for (std::size_t i = 0; i < count; ++i)
      for (int k = 0; k < 4; ++k) rgba[4 * i + k] = static_cast<std::uint8_t>(wanted[i] >> (8 * k));
    return rgba;
  };
  const auto quantize = [&](const std::string& why) -> Status {
    Result<Quantized> q = quantizeRgba(rgbaOf(), p.side, p.side, options.dither);
    if (!q) return q.error();
    // Entries the quantizer did not need keep the slot's.
    std::copy_n(q->palette.begin(), 4 * q->colours, out.palette.begin());
    out.indices = std::move(q->indices);
    out.quantized = true;
    out.notes.push_back("Palette: " + why + "; the picture was quantized into a new palette of " +
                        plural(q->colours, "colour", "colours") + (options.dither ? ", dithered." : ", without dithering."));
    return {};
  };

  if (options.palette == PaletteChoice::New && p.indexed) {
    // The file's own palette, entry for entry, over the slot's; with the
    // slot's alpha, each entry takes that of the slot's entry its pixels
    // matched.
    const std::size_t entries = p.palette.size() / 4;
    for (std::size_t n = 0; n < entries; ++n) {
      out.palette[4 * n] = p.alpha == FileAlpha::Dropped ? 255 : p.palette[4 * n + 3];
      std::copy_n(&p.palette[4 * n], 3, &out.palette[4 * n + 1]);
    }
    if (alphaFromSlot)
      for (std::size_t i = 0; i < count; ++i)
        if (decided[i] >= 0 && p.indices[i] < entries) out.palette[4 * p.indices[i]] = alphaOf(wanted[i]);
    out.indices = p.indices;
    return out;
  }
  if (options.palette == PaletteChoice::New) {
    if (Status s = quantize("a new palette was asked for"); !s) return s.error();
    return out;
  }
  for (std::size_t i = 0; i < count; ++i)
    if (decided[i] >= 0) out.indices[i] = static_cast<std::uint8_t>(decided[i]);
  if (undecided == 0) return out;

  if (options.palette == PaletteChoice::Keep) {
    Quantized q = remapToPalette(rgbaOf(), p.side, p.side, slot.palette, options.dither, decided);
    out.indices = std::move(q.indices);
    out.notes.push_back("Palette: kept; " + plural(undecided, "pixel", "pixels") +
                        " of colours it does not hold took the nearest entry" +
                        (options.dither ? ", dithered." : "."));
    return out;
  }

  // Auto: new colours into entries that no pixel uses any more.
  std::array<bool, kPaletteEntries> inUse{};
  for (std::size_t i = 0; i < count; ++i)
    if (decided[i] >= 0) inUse[static_cast<std::size_t>(decided[i])] = true;
  std::vector<std::size_t> freeEntries;
  for (std::size_t n = 0; n < kPaletteEntries; ++n)
    if (!inUse[n]) freeEntries.push_back(n);
  // A new colour of an indexed file takes the entry of its own index when
  // that is free (so a picture with nothing in common with the slot brings
  // its palette in its own order), the others the free entries left, lowest
  // first.
  std::unordered_map<Colour, std::uint8_t> added;
  std::vector<std::size_t> takenEntries;
  std::array<bool, kPaletteEntries> taken{};
  const auto take = [&](Colour c, std::size_t n) {
    added.emplace(c, static_cast<std::uint8_t>(n));
    taken[n] = true;
    takenEntries.push_back(n);
  };
  if (p.indexed)
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t own = p.indices[i];
      if (decided[i] < 0 && !inUse[own] && !taken[own] && !added.count(wanted[i])) take(wanted[i], own);
    }
  std::size_t nextFree = 0;
  bool tooMany = false;
  for (std::size_t i = 0; i < count && !tooMany; ++i) {
    if (decided[i] >= 0 || added.count(wanted[i])) continue;
    while (nextFree < freeEntries.size() && taken[freeEntries[nextFree]]) ++nextFree;
    tooMany = nextFree == freeEntries.size();
    if (!tooMany) take(wanted[i], freeEntries[nextFree]);
  }
  if (tooMany) {
    if (Status s = quantize("the picture has more new colours than the " + plural(freeEntries.size(), "entry", "entries") +
                            " no pixel uses");
        !s)
      return s.error();
    return out;
  }
  for (const auto& [colour, n] : added) {
    out.palette[4 * n] = alphaOf(colour);
    for (int k = 0; k < 3; ++k) out.palette[4 * n + 1 + k] = static_cast<std::uint8_t>(colour >> (8 * k));
  }
  for (std::size_t i = 0; i < count; ++i)
    if (decided[i] < 0) out.indices[i] = added.at(wanted[i]);
  std::sort(takenEntries.begin(), takenEntries.end());
  out.notes.push_back("Palette: " + plural(added.size(), "new colour", "new colours") + " went into " +
                      (added.size() == 1 ? "entry " : "entries ") + entryList(takenEntries) +
                      ", which no pixel used any more; the other entries stayed as they were.");
  return out;
}

void storePicture(PtSlot& slot, std::uint8_t index, std::uint32_t side, const Reconciled& picture,
                  std::span<const std::uint8_t> after) {
  Bytes data = fullPixelData(slot);
  std::copy(picture.indices.begin(), picture.indices.end(), data.begin());
  const std::size_t room = data.size() - picture.indices.size();
  std::copy_n(after.begin(), std::min(after.size(), room),
              data.begin() + static_cast<std::ptrdiff_t>(picture.indices.size()));
  const std::size_t first = pixelsLength(index);
  slot.pixels.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(first));
  if (index == kSplitSlot) slot.extra.assign(data.begin() + static_cast<std::ptrdiff_t>(first), data.end());
  const bool low = side == 128;
  slot.width = low ? kLowResWidth : kHighResSide;
  slot.height = low ? kLowResHeightImported : kHighResSide;
  slot.palette = picture.palette;
}

}  // namespace pt
