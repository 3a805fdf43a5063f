#pragma once
// Little-endian fields and byte ranges of a file held in memory. Every read
// checks its own bounds and refuses with the caller's reason when the bytes
// end first, whatever was checked before.
#include <cstdint>
#include <span>
#include <string>

#include "common/error.h"

namespace pt {

class ByteReader {
 public:
  ByteReader(std::span<const std::uint8_t> bytes, std::string endsEarly)
      : bytes_(bytes), endsEarly_(std::move(endsEarly)) {}

  std::size_t size() const { return bytes_.size(); }

  Result<std::span<const std::uint8_t>> bytes(std::uint64_t at, std::uint64_t count) const {
    if (at > bytes_.size() || count > bytes_.size() - at) return Error{ErrorKind::Invalid, endsEarly_};
    return bytes_.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(count));
  }

  Result<std::uint16_t> le16(std::uint64_t at) const {
    auto b = bytes(at, 2);
    if (!b) return b.error();
    return static_cast<std::uint16_t>((*b)[0] | (*b)[1] << 8);
  }

  Result<std::uint32_t> le32(std::uint64_t at) const {
    auto b = bytes(at, 4);
    if (!b) return b.error();
    return static_cast<std::uint32_t>((*b)[0]) | static_cast<std::uint32_t>((*b)[1]) << 8 |
           static_cast<std::uint32_t>((*b)[2]) << 16 | static_cast<std::uint32_t>((*b)[3]) << 24;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::string endsEarly_;
};

}  // namespace pt
