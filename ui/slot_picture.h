#pragma once
// The selected slot's picture drawn from the container in memory: its
// colours, its grey alpha map, or its colours with their real alpha over a
// checkerboard, at any zoom, nearest-neighbour.
#include <QImage>
#include <QPixmap>
#include <QString>

#include "container/pt_file.h"

namespace varnholt {

enum class SlotView { Colours, AlphaMap, Transparency };

// Side of the slot's square picture: 128 for a low-resolution slot, else 256.
int slotSide(const pt::PtSlot& slot);

// The slot as an Indexed8 image over a copy of its pixel data. Colours are
// opaque (as a bitmap reader shows them), the alpha map is grey, and the
// transparency view carries each entry's alpha.
QImage slotImage(const pt::PtSlot& slot, SlotView view);

// The image scaled by `scale`; with `checkerboard` it is drawn over light
// and dark grey squares of kCheckerSquare pixels (colours kCheckerLight and
// kCheckerDark, the light one at the top left).
QPixmap renderSlot(const QImage& image, double scale, bool checkerboard);

inline constexpr int kCheckerSquare = 8;
inline constexpr QRgb kCheckerLight = 0xFFFFFFFF;
inline constexpr QRgb kCheckerDark = 0xFFCCCCCC;
QBrush checkerBrush(int square = kCheckerSquare);

// "x 12  y 40  index 7  alpha 255  rgb 10 20 30" for the pixel at (x, y).
QString pixelDescription(const pt::PtSlot& slot, int x, int y);

}  // namespace varnholt
