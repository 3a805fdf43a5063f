#pragma once
// Offsets in the 8-bit bitmaps the program writes and reads.
#include <cstddef>
#include <cstdint>

#include "container/pt_layout.h"

namespace pt::bmp {

inline constexpr std::size_t kTemplateSize = 54;  // file header + 40-byte information header
inline constexpr std::uint16_t kSignature = 0x4D42;  // "BM"
inline constexpr std::size_t kSignatureAt = 0;
inline constexpr std::size_t kFileSizeAt = 2;
inline constexpr std::size_t kPixelOffsetAt = 10;
inline constexpr std::size_t kInfoSizeAt = 14;
inline constexpr std::size_t kWidthAt = 18;
inline constexpr std::size_t kHeightAt = 22;
inline constexpr std::size_t kPlanesAt = 26;
inline constexpr std::size_t kBitsAt = 28;
inline constexpr std::size_t kCompressionAt = 30;
inline constexpr std::size_t kImageSizeAt = 34;
inline constexpr std::size_t kColoursUsedAt = 46;
inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::size_t kMinInfoSize = 40;
inline constexpr std::size_t kPaletteAt = 54;
inline constexpr std::size_t kPixelsAt = kPaletteAt + kPaletteSize;  // 1078
inline constexpr std::size_t kFileSize = kPixelsAt + kPixelDataSize;  // 66614

static_assert(kPixelsAt == 1078 && kFileSize == 66614);

}  // namespace pt::bmp
