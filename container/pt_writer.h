#pragma once
#include <filesystem>

#include "common/error.h"
#include "container/pt_file.h"
#include "common/user_prompt.h"

namespace pt {

// The container in file layout, as one buffer; requires isComplete(file).
// For tests and tools; saving writes the arrays without joining them.
Bytes serializePtFile(const PtFile& file);

// Writes a complete container to path with one gathered write; the file is
// replaced as a whole or not at all. Asks "File exists. Overwrite?" (title
// "File") when something is at the path. Incomplete: the container was never
// read completely (nothing asked, nothing written); Declined: the answer was
// No; otherwise the operating system's error. Shows nothing else.
Status savePtFile(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt);

// savePtFile, and an input/output error shown through the prompt with the
// application's title as well.
Status writePtFile(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt);

inline constexpr const char* kOverwriteTitle = "File";
inline constexpr const char* kOverwriteQuestion = "File exists. Overwrite?";

}  // namespace pt
