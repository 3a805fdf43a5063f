// The container reader on arbitrary bytes: it either fills a complete
// container or leaves the open one untouched.
#include "container/pt_reader.h"
#include "container/pt_writer.h"
#include "container/sample_container.h"
#include "fuzz/fuzz_checks.h"

using namespace pt;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const PtFile sample = makeSamplePtFile();
  static const Bytes sampleBytes = serializePtFile(sample);
  PtFile file = sample;
  const ReadResult r = parsePtBytes({data, size}, file);
  if (r.ok()) {
    fuzz::require(size >= kFileSize, "accepted a short file");
    fuzz::require(isComplete(file), "read container incomplete");
    const Bytes out = serializePtFile(file);
    fuzz::require(out.size() == kFileSize, "written size");
    // Only the two flag tables may differ from what was read.
    for (std::size_t i = 0; i < kFileSize; ++i) {
      const bool flag = i >= kUsedFlagsOffset && i < kPostFlagByte1Offset;
      if (!flag) fuzz::require(out[i] == data[i], "block moved by a round trip");
    }
  } else {
    fuzz::require(serializePtFile(file) == sampleBytes, "failed read changed the container");
  }
  return 0;
}
