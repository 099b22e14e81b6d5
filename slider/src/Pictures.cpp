#include "Pictures.h"

#include <QBuffer>
#include <QImage>
#include <array>

namespace ptSlider {

QPixmap DefaultThumbPicture() {
    static constexpr std::array<const char*, 16> kRows = {
        "KKKKKKKK", "KWWWWWSK", "KWGGGSGK", "KWGSSWGK", "KWGSSWGK", "KWGSSWGK", "KWGSSWGK", "KWGSSWGK",
        "KWGSSWGK", "KWGSSWGK", "KWGSSWGK", "KWGSSWGK", "KWGSSWGK", "KWSWWWGK", "KSGGGGGK", "KKKKKKKK",
    };
    QImage image(8, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 8; ++x) {
            QRgb c = qRgb(0, 0, 0);
            switch (kRows[y][x]) {
                case 'S':
                    c = qRgb(192, 192, 192);
                    break;
                case 'G':
                    c = qRgb(128, 128, 128);
                    break;
                case 'W':
                    c = qRgb(255, 255, 255);
                    break;
                default:
                    break;
            }
            image.setPixel(x, y, c);
        }
    }
    return QPixmap::fromImage(image);
}

QByteArray PictureToData(const QPixmap& picture) {
    QByteArray data;
    if (picture.isNull()) return data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return data;
}

QPixmap PictureFromStored(const QVariant& stored) {
    QPixmap picture;
    switch (stored.metaType().id()) {
        case QMetaType::QPixmap:
            return stored.value<QPixmap>();
        case QMetaType::QImage:
            return QPixmap::fromImage(stored.value<QImage>());
        case QMetaType::QByteArray:
            picture.loadFromData(stored.toByteArray());
            return picture;
        default:
            return picture;
    }
}

QSizeF PictureSize(const QPixmap& picture) {
    return picture.deviceIndependentSize();
}

}  // namespace ptSlider
