#pragma once
#include <cstdint>
#include <vector>

namespace pt {
using Bytes = std::vector<std::uint8_t>;
}  // namespace pt
