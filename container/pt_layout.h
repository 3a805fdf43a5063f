#pragma once
// Byte layout of a ".pt" texture container. Every position in the file is
// fixed; nothing in the file says where anything lies, so these numbers are
// the whole format. All other code uses these names.
#include <cstddef>
#include <cstdint>

namespace pt {

inline constexpr std::size_t kFileSize = 1409024;
inline constexpr std::size_t kSlotCount = 20;
inline constexpr char kMagic[4] = {'C', 'O', 'N', ' '};

inline constexpr std::size_t kHeaderOffset = 0;
inline constexpr std::size_t kHeaderSize = 53248;
inline constexpr std::size_t kPreFlagByte1Offset = kHeaderOffset + kHeaderSize;  // 53248
inline constexpr std::size_t kPreFlagByte2Offset = kPreFlagByte1Offset + 1;
inline constexpr std::size_t kUsedFlagsOffset = kPreFlagByte2Offset + 1;          // 53250
inline constexpr std::size_t kResFlagsOffset = kUsedFlagsOffset + kSlotCount;     // 53270
inline constexpr std::size_t kPostFlagByte1Offset = kResFlagsOffset + kSlotCount; // 53290
inline constexpr std::size_t kPostFlagByte2Offset = kPostFlagByte1Offset + 1;
inline constexpr std::size_t kFirstSlotOffset = kPostFlagByte2Offset + 1;         // 53292

inline constexpr std::size_t kPaletteSize = 1024;     // 256 entries: alpha, red, green, blue
inline constexpr std::size_t kPaletteEntries = 256;
inline constexpr std::size_t kPixelDataSize = 65536;  // every slot, both resolutions
inline constexpr std::size_t kTrailerSize = 12;
inline constexpr std::size_t kNormalSlotSize = kPaletteSize + kPixelDataSize + kTrailerSize;  // 66572

// Slot 10's pixel data is interrupted by a block that belongs to no slot.
inline constexpr std::size_t kSplitSlot = 10;
inline constexpr std::size_t kSplitFirstPart = 25436;
inline constexpr std::size_t kGapSize = 16384;
inline constexpr std::size_t kSplitSecondPart = 40100;
inline constexpr std::size_t kSplitSlotSize =
    kPaletteSize + kSplitFirstPart + kGapSize + kSplitSecondPart + kTrailerSize;  // 82956

inline constexpr std::size_t kSplitSlotOffset = kFirstSlotOffset + kSplitSlot * kNormalSlotSize;  // 719012
inline constexpr std::size_t kGapOffset = kSplitSlotOffset + kPaletteSize + kSplitFirstPart;        // 745472
inline constexpr std::size_t kSplitSecondPartOffset = kGapOffset + kGapSize;                       // 761856
inline constexpr std::size_t kSlotsAfterSplitOffset = kSplitSlotOffset + kSplitSlotSize;           // 801968
inline constexpr std::size_t kTailSize = 7908;
inline constexpr std::size_t kTailOffset =
    kSlotsAfterSplitOffset + (kSlotCount - kSplitSlot - 1) * kNormalSlotSize;  // 1401116

// Picture sizes as the slot record holds them.
inline constexpr std::int16_t kHighResSide = 256;
inline constexpr std::int16_t kLowResWidth = 128;
inline constexpr std::int16_t kLowResHeightAsRead = 512;  // reader and resolution switch
inline constexpr std::int16_t kLowResHeightImported = 128;  // bitmap import

// Start of a slot's palette in the file.
constexpr std::size_t slotOffset(std::size_t slot) {
  if (slot <= kSplitSlot) return kFirstSlotOffset + slot * kNormalSlotSize;
  return kSlotsAfterSplitOffset + (slot - kSplitSlot - 1) * kNormalSlotSize;
}

// Length of the slot's `pixels` array (slot 10 keeps the rest in `extra`).
constexpr std::size_t pixelsLength(std::size_t slot) {
  return slot == kSplitSlot ? kSplitFirstPart : kPixelDataSize;
}
constexpr std::size_t extraLength(std::size_t slot) {
  return slot == kSplitSlot ? kSplitSecondPart : 0;
}

static_assert(kNormalSlotSize == 66572);
static_assert(kSplitSlotSize == 82956);
static_assert(kSplitFirstPart + kSplitSecondPart == kPixelDataSize);
static_assert(kFirstSlotOffset == 53292);
static_assert(kSplitSlotOffset == 719012);
static_assert(kGapOffset == 745472 && kGapOffset == 0xB6000);
static_assert(kSplitSecondPartOffset == 761856 && kSplitSecondPartOffset == 0xBA000);
static_assert(kSlotsAfterSplitOffset == 801968);
static_assert(kTailOffset == 1401116);
static_assert(kTailOffset + kTailSize == kFileSize);
static_assert(slotOffset(9) == 652440 && slotOffset(11) == 801968 && slotOffset(19) == 1334544);

}  // namespace pt
