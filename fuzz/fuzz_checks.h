#pragma once
// Invariant checks shared by the fuzz targets: a violation aborts, which the
// fuzzer reports as a crash with the input that caused it.
#include <cstdio>
#include <cstdlib>

#include "container/pt_file.h"

namespace pt::fuzz {

inline void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

inline bool sameSlot(const PtSlot& a, const PtSlot& b) {
  return a.used == b.used && a.palette == b.palette && a.pixels == b.pixels && a.width == b.width &&
         a.height == b.height && a.dataSize == b.dataSize && a.trailer == b.trailer &&
         a.extra == b.extra;
}

}  // namespace pt::fuzz
