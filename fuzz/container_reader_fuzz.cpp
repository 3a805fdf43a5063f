// The container reader on arbitrary bytes: it refuses with a reason, or it
// fills a complete container that writes back the bytes it read (only the
// flag tables may differ). A refusal cannot touch an open container: the
// reader returns a new one.
#include <cstring>

#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "fuzz/fuzz_checks.h"

using namespace pt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Result<PtFile> r = parsePtFile({data, size});
  if (!r) {
    const ErrorKind kind = r.error().kind;
    fuzz::require(kind == ErrorKind::Invalid || kind == ErrorKind::NotAContainer, "refusal of another kind");
    fuzz::require(!r.error().detail.empty(), "refusal without a reason");
    return 0;
  }
  fuzz::require(size >= kFileSize, "accepted a short file");
  fuzz::require(isComplete(*r), "read container incomplete");
  const Bytes out = serializePtFile(*r);
  fuzz::require(out.size() == kFileSize, "written size");
  fuzz::require(std::memcmp(out.data(), data, kUsedFlagsOffset) == 0, "header block moved by a round trip");
  fuzz::require(std::memcmp(out.data() + kPostFlagByte1Offset, data + kPostFlagByte1Offset,
                            kFileSize - kPostFlagByte1Offset) == 0,
                "slot block moved by a round trip");
  return 0;
}
