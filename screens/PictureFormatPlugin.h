#pragma once

#include <QImageIOPlugin>

// Reading a picture whose format Qt must guess loads every image plugin installed (a
// desktop may have dozens) before Qt settles on its own PNG reader. This plugin claims
// the wizard's own pictures, the PNG files under :/images/, and reads them as PNG at once.
class PictureFormatPlugin : public QImageIOPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "PictureFormatPlugin.json")

public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
    QImageIOHandler* create(QIODevice* device, const QByteArray& format = QByteArray()) const override;
};
