// Other formats on Linux: Qt's image readers (PNG and GIF built in, WebP and TIFF from
// qt6-image-formats-plugins), fed from memory.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "codec/ForeignPictures.h"
#include "images/PictureHeader.h"

namespace qvm {

bool DecodeFirstFrame(std::span<const std::uint8_t> bytes, RgbPicture& out, std::string& error) {
  const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<qsizetype>(bytes.size()));
  QBuffer buffer;
  buffer.setData(data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  // The size from the header, before any pixel: a small file may declare a huge picture.
  const QSize size = reader.size();
  if (!size.isValid() || size.isEmpty()) {
    error = reader.canRead() ? "its size cannot be read" : "it is no picture the wizard reads";
    return false;
  }
  if (!WithinEditLimits(size.width(), size.height())) {
    error = "it declares " + std::to_string(size.width()) + " x " + std::to_string(size.height()) +
            " pixels, more than the wizard decodes";
    return false;
  }
  QImage image = reader.read();  // an animation's first frame
  if (image.isNull() || image.size() != size) {
    error = reader.errorString().toLower().toStdString();
    return false;
  }
  image = image.convertToFormat(QImage::Format_ARGB32);
  out.width = image.width();
  out.height = image.height();
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  std::uint8_t* to = out.rgb.data();
  for (int y = 0; y < out.height; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < out.width; ++x) {
      const int a = qAlpha(line[x]);
      *to++ = OntoWhite(qRed(line[x]), a);
      *to++ = OntoWhite(qGreen(line[x]), a);
      *to++ = OntoWhite(qBlue(line[x]), a);
    }
  }
  return true;
}

}  // namespace qvm
