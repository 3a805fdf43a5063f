#pragma once
#include <QString>
#include <optional>

#include "bitmap/bmp_header.h"
#include "common/user_prompt.h"

namespace varnholt {

// Reads "bmp_header.bin" from the program's folder. When it is missing,
// unreadable or not a usable template, the reason is shown through the
// prompt (caption "Varnholt") and nothing is returned.
std::optional<pt::BmpHeader> loadProgramHeader(const QString& programFolder,
                                               pt::UserPrompt& prompt);

}  // namespace varnholt
