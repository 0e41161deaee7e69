#include "PictureReader.h"

#include <QIODevice>
#include <QImage>
#include <QVariant>

namespace {
thread_local bool reading = false;

// The format a pixmap keeps: handed over in it, a picture needs no conversion, for which
// Qt would start worker threads that cost more than the conversion itself.
QImage::Format kept(QImage::Format format)
{
    return format == QImage::Format_ARGB32 ? QImage::Format_ARGB32_Premultiplied : format;
}

void premultiply(QImage& image)
{
    if (image.format() != QImage::Format_ARGB32)
        return;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = qPremultiply(line[x]);
    }
    image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
}

class ReadingScope
{
public:
    ReadingScope() { reading = true; }
    ~ReadingScope() { reading = false; }
};
}

PictureReader::PictureReader() = default;

PictureReader::~PictureReader() = default;

bool PictureReader::isReading()
{
    return reading;
}

QImageReader& PictureReader::png() const
{
    if (!m_png) {
        m_png = std::make_unique<QImageReader>(device(), QByteArrayLiteral("png"));
        m_png->setAutoDetectImageFormat(false);
    }
    return *m_png;
}

bool PictureReader::canRead() const
{
    if (!device() || device()->peek(8) != QByteArrayLiteral("\x89PNG\r\n\x1a\n"))
        return false;
    setFormat(QByteArrayLiteral("png"));
    return true;
}

bool PictureReader::read(QImage* image)
{
    const ReadingScope scope;
    if (!png().read(image))
        return false;
    premultiply(*image);
    return true;
}

QVariant PictureReader::option(ImageOption option) const
{
    const ReadingScope scope;
    switch (option) {
    case Size:
        return png().size();
    case ImageFormat:
        return kept(png().imageFormat());
    default:
        return QVariant();
    }
}

bool PictureReader::supportsOption(ImageOption option) const
{
    return option == Size || option == ImageFormat;
}
