#pragma once
// What the user chose for an import, and what the import noticed about the
// file that the user should hear of even though the import succeeded.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pt {

enum class PaletteChoice {
  New,   // a truecolour picture is quantized into a new palette
  Keep,  // it is mapped onto the slot's palette, which stays byte for byte
};

struct ImportOptions {
  PaletteChoice palette = PaletteChoice::New;
  bool dither = true;
  // Colours from the file, each entry's alpha from the slot: for files from
  // editors that drop palette alpha (bitmaps, indexed PNGs without tRNS).
  bool keepAlpha = false;
};

struct ImportNotes {
  bool alphaDropped = false;  // every entry of the file has alpha 0, the slot's had others
  bool bottomUp = false;      // a bitmap stored bottom-up: its rows land in file order
  bool quantized = false;     // a truecolour picture was brought to 256 colours
  std::optional<std::size_t> bytesFromFile;  // raw import: how many bytes came from the file
};

// One line for each note worth telling the user, in the program's words.
std::vector<std::string> describeNotes(const ImportNotes& notes, const ImportOptions& options);

}  // namespace pt
