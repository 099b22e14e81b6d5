#pragma once
// The built-in thumb picture and the stored form of pictures.

#include <QByteArray>
#include <QPixmap>
#include <QVariant>

namespace ptSlider {

// 8 x 16, opaque: black outline, white and silver bevel, grey groove.
QPixmap DefaultThumbPicture();

// Pictures are stored as PNG data; no picture is stored as empty data.
QByteArray PictureToData(const QPixmap& picture);

// Accepts image data in any format Qt reads (PNG, BMP, ICO, ...) or a picture/image value;
// anything unreadable gives no picture.
QPixmap PictureFromStored(const QVariant& stored);

// The picture's size in pixels of the control.
QSizeF PictureSize(const QPixmap& picture);

}  // namespace ptSlider
