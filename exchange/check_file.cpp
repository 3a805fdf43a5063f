#include "exchange/check_file.h"

#include "common/file_io.h"
#include "container/pt_writer.h"

namespace pt {

bool checkFile(const std::filesystem::path& path, std::uint8_t flag, UserPrompt& prompt) {
  if (flag != 0 || !fileExists(path)) return true;
  return prompt.askYesNo(kOverwriteTitle, kOverwriteQuestion);
}

}  // namespace pt
