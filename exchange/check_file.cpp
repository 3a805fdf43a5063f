#include "exchange/check_file.h"

#include "common/file_io.h"
#include "container/pt_writer.h"

namespace pt {

Status checkFile(const std::filesystem::path& path, std::uint8_t flag, UserPrompt& prompt) {
  if (flag != 0 || !fileExists(path) || prompt.askYesNo(kOverwriteTitle, kOverwriteQuestion))
    return Status::success();
  return Error{ErrorKind::Declined, "the existing file was kept"};
}

}  // namespace pt
