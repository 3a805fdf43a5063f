#include "container/slot_clip.h"

#include <algorithm>
#include <cstring>

namespace pt {

namespace {

void putLe16(Bytes& out, std::int16_t value) {
  const auto v = static_cast<std::uint16_t>(value);
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

std::int16_t le16(const std::uint8_t* at) {
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0] | at[1] << 8));
}

bool knownSize(std::int16_t width, std::int16_t height) {
  if (width == kHighResSide) return height == kHighResSide;
  return width == kLowResWidth && isLowRes(height);
}

Error invalid(const std::string& why) { return Error{ErrorKind::Invalid, "not a copied slot: " + why}; }

}  // namespace

Bytes encodeSlotClip(const PtSlot& slot) {
  if (slot.palette.size() != kPaletteSize || slot.pixels.size() + slot.extra.size() != kPixelDataSize)
    return {};
  Bytes out(std::begin(kSlotClipMagic), std::end(kSlotClipMagic));
  out.reserve(kSlotClipSize);
  out.push_back(kSlotClipVersion);
  out.push_back(slot.used);
  putLe16(out, slot.width);
  putLe16(out, slot.height);
  out.insert(out.end(), slot.palette.begin(), slot.palette.end());
  out.insert(out.end(), slot.pixels.begin(), slot.pixels.end());
  out.insert(out.end(), slot.extra.begin(), slot.extra.end());
  return out;
}

Status pasteSlotClip(std::span<const std::uint8_t> clip, PtSlot& slot, std::size_t index) {
  if (clip.size() < kSlotClipHeaderSize || std::memcmp(clip.data(), kSlotClipMagic, 4) != 0)
    return invalid("it does not start with \"PTSL\"");
  if (clip[4] != kSlotClipVersion) return invalid("version " + std::to_string(clip[4]) + " is unknown");
  if (clip.size() != kSlotClipSize)
    return invalid(std::to_string(clip.size()) + " bytes where a slot has " + std::to_string(kSlotClipSize));
  const std::uint8_t used = clip[5];
  const std::int16_t width = le16(&clip[6]);
  const std::int16_t height = le16(&clip[8]);
  if (used > 1) return invalid("used flag " + std::to_string(used));
  if (!knownSize(width, height))
    return invalid("picture size " + std::to_string(width) + " x " + std::to_string(height));
  if (!slotArraysComplete(slot, index))
    return Error{ErrorKind::Incomplete, "the slot pasted into is incomplete"};
  const std::uint8_t* palette = clip.data() + kSlotClipHeaderSize;
  const std::uint8_t* pixels = palette + kPaletteSize;
  std::copy_n(palette, kPaletteSize, slot.palette.begin());
  std::copy_n(pixels, slot.pixels.size(), slot.pixels.begin());
  std::copy_n(pixels + slot.pixels.size(), slot.extra.size(), slot.extra.begin());
  slot.used = used;
  slot.width = width;
  slot.height = height;
  return Status::success();
}

}  // namespace pt
