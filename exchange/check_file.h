#pragma once
#include <cstdint>
#include <filesystem>

#include "common/user_prompt.h"

namespace pt {

// Before a slot file is written (flag 0): asks "File exists. Overwrite?" when
// a file is at the path, readable or not; false when the answer is No.
// Before a file is read (flag 1): always true, nothing asked.
bool checkFile(const std::filesystem::path& path, std::uint8_t flag, UserPrompt& prompt);

}  // namespace pt
