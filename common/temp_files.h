#pragma once
// The pieces of a safe write that the single-file write (file_io.cpp) and the
// batch writer (batch_write.cpp) share: naming temporary files, writing a
// file's bytes whole, the mode a new file gets, and naming an unnamed file.
#include <sys/types.h>

#include <cstdint>
#include <span>
#include <string>

#include "common/error.h"

namespace pt::detail {

// "<prefix><name>.<pid>.<n>.tmp", cut to stay within the name limit; one
// counter for the whole process, so two writers never pick the same name.
std::string tempName(const std::string& targetName);

// Writes every byte of the parts from the file's start, looping on short
// writes; a write that makes no progress is a full disk. `total` gets the
// number of bytes the parts hold.
Status writeParts(int fd, std::span<const std::span<const std::uint8_t>> parts,
                  std::uint64_t& total);

// The process's umask, read without changing it where the kernel tells it.
mode_t currentUmask();

// True when VARNHOLT_NAMED_TEMPORARIES asks for named temporary files
// instead of O_TMPFILE (the tests use it to reach that path).
bool namedTemporariesOnly();

// Gives the unnamed (O_TMPFILE) file `fd` the name `name` in the folder
// `dirFd`; -1 with errno on failure.
int linkUnnamed(int fd, int dirFd, const std::string& name);

}  // namespace pt::detail
