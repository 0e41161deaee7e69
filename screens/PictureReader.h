#pragma once

#include <QImageIOHandler>
#include <QImageReader>
#include <memory>

// Reads one of the wizard's own pictures with Qt's PNG reader, asked for by name.
class PictureReader : public QImageIOHandler
{
public:
    PictureReader();
    ~PictureReader() override;

    bool canRead() const override;
    bool read(QImage* image) override;
    QVariant option(ImageOption option) const override;
    bool supportsOption(ImageOption option) const override;

    // True while a picture is being read, so that the plugin does not offer itself for
    // the read it hands on to Qt.
    static bool isReading();

private:
    QImageReader& png() const;

    mutable std::unique_ptr<QImageReader> m_png;
};
