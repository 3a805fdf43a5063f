#pragma once
// In-memory image of an open container.
#include <array>
#include <cstdint>
#include <vector>

#include "common/bytes.h"
#include "container/pt_layout.h"

namespace pt {

struct PtSlot {
  std::uint8_t used = 0;      // 1 = holds a texture
  Bytes palette;              // 1024 bytes, entries alpha, red, green, blue
  Bytes pixels;               // 65536 bytes; slot 10: the first 25436
  std::int16_t width = 0;     // 256 or 128
  std::int16_t height = 0;    // 256; low resolution 512 (as read) or 128 (bitmap import)
  std::int32_t dataSize = 0;  // 65536 once read
  Bytes trailer;              // 12 bytes, carried unchanged
  Bytes extra;                // slot 10 only: the remaining 40100 pixel bytes
};

struct PtFile {
  Bytes headerBlock;  // 53248 bytes, magic included
  std::uint8_t preFlagByte1 = 0;
  std::uint8_t preFlagByte2 = 0;
  std::array<PtSlot, kSlotCount> slots;
  std::uint8_t postFlagByte1 = 0;
  std::uint8_t postFlagByte2 = 0;
  Bytes gapBlock;   // 16384 bytes
  Bytes tailBlock;  // 7908 bytes
};

// A slot is low resolution exactly when its height is 512 or 128.
constexpr bool isLowRes(std::int16_t height) {
  return height == kLowResHeightAsRead || height == kLowResHeightImported;
}

// True when every array has the size the layout fixes: the state after a
// successful read, which every operation must keep.
bool isComplete(const PtFile& file);
bool slotArraysComplete(const PtSlot& slot, std::size_t index);

// Full pixel data of a slot (slot 10: `pixels` followed by `extra`).
Bytes fullPixelData(const PtSlot& slot);

// What the slot list and `ptool info` show for a slot.
struct SlotRow {
  int slot;
  int used;
  int width;
  int height;  // a height of 512 is shown as 128
};
SlotRow slotRow(const PtFile& file, std::size_t slot);

// The resolution switch: stores 128 x 512 or 256 x 256, nothing else.
// True when that changed the slot.
bool setSlotResolution(PtSlot& slot, bool lowRes);

}  // namespace pt
