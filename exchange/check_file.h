#pragma once
#include <cstdint>
#include <filesystem>

#include "common/error.h"
#include "common/user_prompt.h"

namespace pt {

// Before a slot file is written (flag 0): asks "File exists. Overwrite?" when
// a file is at the path, readable or not; Declined when the answer is No.
// Before a file is read (flag 1): always success, nothing asked.
Status checkFile(const std::filesystem::path& path, std::uint8_t flag, UserPrompt& prompt);

}  // namespace pt
