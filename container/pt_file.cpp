#include "container/pt_file.h"

namespace pt {

bool slotArraysComplete(const PtSlot& slot, std::size_t index) {
  return slot.palette.size() == kPaletteSize && slot.trailer.size() == kTrailerSize &&
         slot.pixels.size() == pixelsLength(index) && slot.extra.size() == extraLength(index);
}

bool isComplete(const PtFile& file) {
  if (file.headerBlock.size() != kHeaderSize || file.gapBlock.size() != kGapSize ||
      file.tailBlock.size() != kTailSize)
    return false;
  for (std::size_t i = 0; i < kSlotCount; ++i)
    if (!slotArraysComplete(file.slots[i], i)) return false;
  return true;
}

Bytes fullPixelData(const PtSlot& slot) {
  Bytes data = slot.pixels;
  data.insert(data.end(), slot.extra.begin(), slot.extra.end());
  return data;
}

SlotRow slotRow(const PtFile& file, std::size_t slot) {
  const PtSlot& s = file.slots[slot];
  return SlotRow{static_cast<int>(slot), s.used, s.width,
                 s.height == kLowResHeightAsRead ? 128 : s.height};
}

bool setSlotResolution(PtSlot& slot, bool lowRes) {
  const std::int16_t height = lowRes ? kLowResHeightAsRead : kHighResSide;
  const std::int16_t width = lowRes ? kLowResWidth : kHighResSide;
  const bool changed = slot.height != height || slot.width != width;
  slot.height = height;
  slot.width = width;
  return changed;
}

}  // namespace pt
