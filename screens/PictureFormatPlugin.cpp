#include "PictureFormatPlugin.h"

#include "PictureReader.h"

#include <QFile>

QImageIOPlugin::Capabilities PictureFormatPlugin::capabilities(QIODevice* device, const QByteArray& format) const
{
    const auto* file = qobject_cast<const QFile*>(device);
    if (PictureReader::isReading() || format != "png" || !file
        || !file->fileName().startsWith(QLatin1String(":/images/")))
        return {};
    return CanRead;
}

QImageIOHandler* PictureFormatPlugin::create(QIODevice* device, const QByteArray& format) const
{
    auto* reader = new PictureReader;
    reader->setDevice(device);
    reader->setFormat(format);
    return reader;
}
