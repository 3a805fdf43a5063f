#pragma once
// Where the programs find the read-only files they ship with, such as the
// bitmap header template: beside the program in a build tree, under
// share/varnholt in an installed tree.
#include <filesystem>
#include <string_view>

namespace pt {

// The first of programFolder/name, programFolder/../share/varnholt/name and
// VARNHOLT_DATADIR/name (the data folder chosen at build time) that exists;
// when none does, programFolder/name, so that a message about the missing
// file names the place beside the program.
std::filesystem::path findDataFile(const std::filesystem::path& programFolder,
                                   std::string_view name);

}  // namespace pt
