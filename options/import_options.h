#pragma once
// What the user chose for an import, and what the import noticed about the
// file that the user should hear of even though the import succeeded.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace pt {

enum class PaletteChoice {
  Auto,  // the slot's palette stays while the picture's colours are in it;
         // new colours take entries no pixel uses any more, and only when
         // they are too many is the picture quantized into a new palette
  Keep,  // colours the palette lacks take its nearest entry; it stays byte for byte
  New,   // a new palette: an indexed file's own, a truecolour picture quantized
};

enum class AlphaChoice {
  Auto,  // the file's alpha, unless the file shows an editor dropped or collapsed it
  File,  // the file's alpha (opaque where the file has none)
  Slot,  // the slot's alpha, found by colour and place
};

enum class RowOrder {
  Declared,  // a bitmap's rows as its header declares them: bottom-up lands upright
  File,      // a bitmap's rows in file order, as older versions read them
};

struct ImportOptions {
  PaletteChoice palette = PaletteChoice::Auto;
  bool dither = true;  // Floyd-Steinberg, where colours are mapped or quantized
  AlphaChoice alpha = AlphaChoice::Auto;
  RowOrder rows = RowOrder::Declared;
};

struct ImportNotes {
  std::vector<std::string> lines;  // what was taken from where, one line a decision
  bool quantized = false;          // the picture was brought to a new palette
  std::optional<std::size_t> bytesFromFile;  // raw import: how many bytes came from the file
};

// One line for each note worth telling the user, in the program's words.
// (The options are those the import ran with; the lines already name them.)
std::vector<std::string> describeNotes(const ImportNotes& notes, const ImportOptions& options);

// The options' names as ptool spells them (auto, keep, new; auto, file,
// slot; declared, file), and back: nullopt for a name it does not know.
const char* optionName(PaletteChoice choice);
const char* optionName(AlphaChoice choice);
const char* optionName(RowOrder order);
std::optional<PaletteChoice> paletteChoiceNamed(const std::string& name);
std::optional<AlphaChoice> alphaChoiceNamed(const std::string& name);
std::optional<RowOrder> rowOrderNamed(const std::string& name);

}  // namespace pt
