#pragma once
// Where the preview bitmap "pre.bmp" is written. It belongs in the program's
// folder; when that cannot be written (an installed program in a read-only
// folder), previews move to the user's cache folder for the rest of the run.
#include <QString>
#include <optional>

#include "bitmap/bmp_header.h"
#include "container/pt_file.h"

namespace varnholt {

inline constexpr const char* kPreviewFileName = "pre.bmp";

class PreviewFile {
 public:
  explicit PreviewFile(const QString& programFolder);

  const QString& path() const { return path_; }

  // Writes the slot's bitmap; returns the reason when no preview file could
  // be written. `moved` gets a message the first time previews move.
  std::optional<QString> write(const pt::PtFile& file, std::uint8_t slot,
                               const pt::BmpHeader& header, bool alphaView, QString& moved);

 private:
  QString path_;
  bool moved_ = false;
};

}  // namespace varnholt
