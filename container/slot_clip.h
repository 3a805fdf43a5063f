#pragma once
// A slot in an exact form of the program's own, as copy and paste carry it
// between containers and windows: what a slot shows, byte for byte.
//
//   offset     size   field
//   0          4      "PTSL"
//   4          1      version, 1
//   5          1      used, 0 or 1
//   6          2      width, little-endian
//   8          2      height, little-endian (256, or 512 / 128 for low resolution)
//   10         1024   palette: alpha, red, green, blue per entry
//   1034       65536  pixel data (slot 10's in one piece)
//   66570             end
//
// The trailer, `dataSize` and slot 10's split belong to the slot's place in
// the container and stay with the slot pasted into.
#include <cstdint>
#include <span>

#include "common/error.h"
#include "container/pt_file.h"

namespace pt {

inline constexpr char kSlotClipMagic[4] = {'P', 'T', 'S', 'L'};
inline constexpr std::uint8_t kSlotClipVersion = 1;
inline constexpr std::size_t kSlotClipHeaderSize = 10;
inline constexpr std::size_t kSlotClipSize = kSlotClipHeaderSize + kPaletteSize + kPixelDataSize;
static_assert(kSlotClipSize == 66570);

// The slot in that form; empty when its arrays lack the container's sizes.
Bytes encodeSlotClip(const PtSlot& slot);

// Puts the slot of `clip` into `slot` (number `index`), all or nothing:
// ErrorKind::Invalid with the reason for bytes of another size, kind or
// shape (an unknown used flag or picture size), ErrorKind::Incomplete when
// `slot` lacks its arrays; either way `slot` is then as it was.
Status pasteSlotClip(std::span<const std::uint8_t> clip, PtSlot& slot, std::size_t index);

}  // namespace pt
