#pragma once
// Little-endian fields written into bitmap headers (reads go through
// ByteReader, which checks bounds).
#include <cstdint>
#include <span>

namespace pt {

inline void writeLe32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
  for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace pt
