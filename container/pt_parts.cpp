#include "container/pt_parts.h"

namespace pt {

namespace {

constexpr std::array<LayoutPart, kLayoutPartCount> walk() {
  std::array<LayoutPart, kLayoutPartCount> parts{};
  std::size_t n = 0;
  std::size_t at = 0;
  const auto add = [&](Part part, std::size_t slot, std::size_t size) {
    parts[n++] = LayoutPart{part, slot, at, size};
    at += size;
  };
  add(Part::Header, 0, kHeaderSize);
  add(Part::PreFlag1, 0, 1);
  add(Part::PreFlag2, 0, 1);
  add(Part::UsedFlags, 0, kSlotCount);
  add(Part::ResFlags, 0, kSlotCount);
  add(Part::PostFlag1, 0, 1);
  add(Part::PostFlag2, 0, 1);
  for (std::size_t i = 0; i < kSlotCount; ++i) {
    add(Part::Palette, i, kPaletteSize);
    add(Part::Pixels, i, pixelsLength(i));
    if (i == kSplitSlot) {
      add(Part::Gap, i, kGapSize);
      add(Part::Extra, i, kSplitSecondPart);
    }
    add(Part::Trailer, i, kTrailerSize);
  }
  add(Part::Tail, 0, kTailSize);
  return parts;
}

constexpr std::array<LayoutPart, kLayoutPartCount> kParts = walk();
static_assert(kParts.back().offset + kParts.back().size == kFileSize);
static_assert(kParts[7].offset == kFirstSlotOffset && kParts[7].part == Part::Palette);

template <class File>
auto* arrayOf(File& file, const LayoutPart& part) {
  switch (part.part) {
    case Part::Header: return &file.headerBlock;
    case Part::Palette: return &file.slots[part.slot].palette;
    case Part::Pixels: return &file.slots[part.slot].pixels;
    case Part::Gap: return &file.gapBlock;
    case Part::Extra: return &file.slots[part.slot].extra;
    case Part::Trailer: return &file.slots[part.slot].trailer;
    case Part::Tail: return &file.tailBlock;
    default: break;
  }
  return static_cast<decltype(&file.headerBlock)>(nullptr);
}

}  // namespace

const std::array<LayoutPart, kLayoutPartCount>& layoutParts() { return kParts; }

Bytes* partArray(PtFile& file, const LayoutPart& part) { return arrayOf(file, part); }
const Bytes* partArray(const PtFile& file, const LayoutPart& part) { return arrayOf(file, part); }

}  // namespace pt
