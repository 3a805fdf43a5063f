#pragma once
// The ptool commands, each with its arguments already parsed. Each returns
// the exit status and prints what the command line shows.
#include <cstdint>
#include <string>
#include <vector>

#include "options/import_options.h"

namespace pt::cli {

int cmdInfo(const std::string& in, bool json);
int cmdCopy(const std::string& in, const std::string& out, bool force);
int cmdSample(const std::string& out, bool force);
int cmdExport(const std::string& in, std::uint8_t slot, const std::string& out, bool alpha,
              bool force);
int cmdImport(const std::string& in, std::uint8_t slot, const std::string& source,
              const std::string& out, const ImportOptions& options, bool force);
int cmdSetRes(const std::string& in, std::uint8_t slot, const std::string& res,
              const std::string& out, bool force);

// Every used slot of every container into DIR (one container) or into
// DIR/<name without extension>/ (several), with a manifest.json in each.
int cmdExportAll(const std::vector<std::string>& ins, const std::string& dir,
                 const std::string& format, bool force);
// Every slot a manifest (or the slotNN files) of DIR names, all or nothing.
int cmdImportAll(const std::string& in, const std::string& dir, const std::string& out,
                 const ImportOptions& options, bool force);
// One line per differing region; 0 same, 1 different, 2 error.
int cmdDiff(const std::string& a, const std::string& b);
// The used slots as one picture of at most size x size pixels.
int cmdThumbnail(const std::string& in, const std::string& out, int size, bool force);

// Runs ptool on its command line; returns the exit status.
int runPtool(std::vector<std::string> args);  // UTF-8, the program's name first

}  // namespace pt::cli
