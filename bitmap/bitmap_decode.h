#pragma once
// Decoding a bitmap of a slot's size: 8-bit (plain or RLE8), 24-bit and
// 32-bit, in either row order.
#include <cstdint>
#include <span>

#include "common/error.h"
#include "picture/picture.h"

namespace pt {

struct DecodedBitmap {
  Picture picture;  // the slot-sized square the height's magnitude gives
  // Plain 8-bit files: the index bytes the file holds past that square
  // (a 128 x 128 slot's other 49152 bytes, as the slot bitmap writer
  // stores them), at most up to the slot's 65536.
  Bytes after;
  bool bottomUp = false;  // the header declares bottom-up rows (positive height)
};

// The header's width must be 128 or 256 and its height's magnitude 128,
// 256 or 512, which alone gives the square's side (512 and 128: 128). Rows
// are turned upright as declared, or kept in file order with RowOrder::File.
// Every RLE8 run, copy and delta is checked against the picture's bounds.
// Invalid for damaged bytes, Unsupported for other kinds of bitmap.
Result<DecodedBitmap> decodeBitmap(std::span<const std::uint8_t> bytes, RowOrder rows);

}  // namespace pt
