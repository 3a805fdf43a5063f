#include "exchange/import_options.h"

namespace pt {

std::vector<std::string> describeNotes(const ImportNotes& notes, const ImportOptions& options) {
  std::vector<std::string> lines;
  if (notes.alphaDropped && !options.keepAlpha)
    lines.emplace_back(
        "Warning: every palette entry of the file has alpha 0 (transparent) while the slot's "
        "alpha had other values; an image editor may have dropped the alpha. Import again with "
        "the option to keep the slot's alpha to take the colours only.");
  if (notes.bottomUp)
    lines.emplace_back(
        "Note: the bitmap is stored bottom-up; its rows land in the slot in file order, so the "
        "picture is upside down. Save it top-down or as a PNG.");
  if (notes.quantized)
    lines.emplace_back(options.palette == PaletteChoice::Keep
                           ? "Note: the picture's colours were mapped onto the slot's palette."
                           : "Note: the picture's colours were quantized into a new palette.");
  return lines;
}

}  // namespace pt
