#pragma once
#include <filesystem>

#include "container/pt_file.h"
#include "container/user_prompt.h"

namespace pt {

// The container in file layout; requires isComplete(file).
Bytes serializePtFile(const PtFile& file);

enum class WriteStatus { Ok, Incomplete, Declined, IoFailure };

// Writes a complete container to path. Asks "File exists. Overwrite?" (title
// "File") when something is at the path; a No leaves the file untouched.
// The file is replaced as a whole: on any failure the earlier file is as it
// was, and the error is shown through the prompt with the application's title.
WriteStatus savePtFile(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt);

// savePtFile as a yes/no result.
bool writePtFile(const PtFile& file, const std::filesystem::path& path, UserPrompt& prompt);

inline constexpr const char* kOverwriteTitle = "File";
inline constexpr const char* kOverwriteQuestion = "File exists. Overwrite?";

}  // namespace pt
