#pragma once
// The one walk over a container's layout: every stretch of its bytes in file
// order, each with the place it has in the file and in PtFile. The reader,
// the writer and the diff all go this way.
#include <array>
#include <cstddef>
#include <cstdint>

#include "container/pt_file.h"
#include "container/pt_layout.h"

namespace pt {

enum class Part {
  Header, PreFlag1, PreFlag2, UsedFlags, ResFlags, PostFlag1, PostFlag2,  // in this order, then
  Palette, Pixels, Gap, Extra, Trailer,  // per slot (Gap and Extra in slot 10 only), then
  Tail,
};

struct LayoutPart {
  Part part;
  std::size_t slot;  // for the slot parts
  std::size_t offset;
  std::size_t size;
};

// The six flag parts lie together in this block, between the header and slot 0.
inline constexpr std::size_t kFlagBlockSize = kFirstSlotOffset - kPreFlagByte1Offset;  // 44
using FlagBlock = std::array<std::uint8_t, kFlagBlockSize>;

inline constexpr std::size_t kLayoutPartCount = 1 + 6 + 3 * kSlotCount + 2 + 1;

// Every part, from offset 0 to kFileSize, each starting where the one
// before ends.
const std::array<LayoutPart, kLayoutPartCount>& layoutParts();

// The array of `file` that holds a part; nullptr for a flag part, which
// FlagBlock holds at offset - kPreFlagByte1Offset.
Bytes* partArray(PtFile& file, const LayoutPart& part);
const Bytes* partArray(const PtFile& file, const LayoutPart& part);

}  // namespace pt
