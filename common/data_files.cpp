#include "common/data_files.h"

#include <system_error>

#ifndef VARNHOLT_DATADIR
#define VARNHOLT_DATADIR "/usr/local/share/varnholt"
#endif

namespace pt {

std::filesystem::path findDataFile(const std::filesystem::path& programFolder,
                                   std::string_view name) {
  const std::filesystem::path candidates[] = {
      programFolder / name,
      (programFolder / ".." / "share" / "varnholt" / name).lexically_normal(),
      std::filesystem::path(VARNHOLT_DATADIR) / name,
  };
  for (const auto& path : candidates) {
    std::error_code ec;  // an unreadable folder counts as "not there"
    if (std::filesystem::exists(path, ec)) return path;
  }
  return candidates[0];
}

}  // namespace pt
