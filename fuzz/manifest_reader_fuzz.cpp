// The manifest reader on arbitrary bytes: it refuses with a reason, or each
// entry it returns names a plain file of the folder for a slot from 0 to 19,
// each slot at most once, with a size and a hash or with neither.
#include <cstring>

#include "batch/manifest.h"
#include "fuzz/fuzz_checks.h"

using namespace pt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto r = parseManifest({data, size});
  if (!r) {
    fuzz::require(r.error().kind == ErrorKind::Invalid, "refusal of another kind");
    fuzz::require(!r.error().detail.empty(), "refusal without a reason");
    return 0;
  }
  bool seen[kSlotCount] = {};
  for (const auto& e : *r) {
    fuzz::require(e.slot < kSlotCount, "slot out of range");
    fuzz::require(!seen[e.slot], "slot listed twice");
    seen[e.slot] = true;
    fuzz::require(!e.file.empty() && e.file != "." && e.file != ".." &&
                      e.file.find_first_of(std::string("/\\\0", 3)) == std::string::npos,
                  "a file name that leaves the folder");
    fuzz::require(e.size.has_value() == e.fnv1a64.has_value(), "size without hash or hash without size");
  }
  return 0;
}
