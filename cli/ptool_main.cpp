#include "cli/ptool_commands.h"
#include "common/program.h"

int main(int argc, char** argv) {
  return pt::cli::runPtool(pt::startProgram(argc, argv));
}
