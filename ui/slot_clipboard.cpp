#include "ui/slot_clipboard.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>

#include "container/slot_clip.h"
#include "png/slot_png_writer.h"

namespace varnholt {

namespace {
QByteArray toByteArray(const pt::Bytes& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}
}  // namespace

QMimeData* slotMimeData(const pt::PtSlot& slot, std::uint8_t index) {
  auto* data = new QMimeData;
  data->setData(kSlotMimeType, toByteArray(pt::encodeSlotClip(slot)));
  // Without its PNG (the encoder refused) the exact form still goes up.
  if (const pt::Result<pt::Bytes> png = pt::encodeSlotPng(slot, index, false)) data->setData(kPngMimeType, toByteArray(*png));
  return data;
}

ClipboardSlot slotOnClipboard(const QMimeData* data) {
  if (!data) return {};
  if (data->hasFormat(kSlotMimeType)) return {ClipboardSlot::Kind::Exact, data->data(kSlotMimeType)};
  if (data->hasFormat(kPngMimeType)) return {ClipboardSlot::Kind::Png, data->data(kPngMimeType)};
  if (!data->hasImage()) return {};
  // A picture another program put up in some other form.
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!qvariant_cast<QImage>(data->imageData()).save(&buffer, "PNG")) return {};
  return {ClipboardSlot::Kind::Png, png};
}

}  // namespace varnholt
