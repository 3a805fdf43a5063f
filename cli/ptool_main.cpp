#include <csignal>

#include "cli/ptool_commands.h"

int main(int argc, char** argv) {
  // A file size limit must turn into a failed write, not a killed process.
  std::signal(SIGXFSZ, SIG_IGN);
  return pt::cli::runPtool(argc, argv);
}
