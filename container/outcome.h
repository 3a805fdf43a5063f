#pragma once
#include <string>

namespace pt {

// Result of a slot file routine. A refusal carries its reason for the command
// line; an input/output error has already been shown through the prompt and
// carries its description too.
struct Outcome {
  bool ok = false;
  std::string reason;

  static Outcome success() { return {true, {}}; }
  static Outcome refused(std::string why) { return {false, std::move(why)}; }
};

}  // namespace pt
