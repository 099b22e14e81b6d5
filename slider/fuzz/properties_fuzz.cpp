// libFuzzer entry: the control loads whatever a host's property store holds. The input is cut at
// 0xFF bytes into one value per stored property; the first byte of each says its type. Loading
// must not fault, and the loaded control must lay itself out and draw.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ctlSliderWidget.h"
#include "ptSlider/ControlHost.h"

namespace {

const char* const kNames[] = {"BackColor", "Enabled", "SliderIcon",   "Orientation", "RailPicture",
                              "RailStyle", "Min",     "ShowValueTip", "Max",         "Value"};

QVariant Decode(const std::uint8_t* p, std::size_t n) {
    if (n == 0) return {};
    const QByteArray rest(reinterpret_cast<const char*>(p + 1), static_cast<qsizetype>(n - 1));
    std::int64_t i = 0;
    double d = 0;
    std::memcpy(&i, rest.constData(), std::min<std::size_t>(sizeof i, n - 1));
    std::memcpy(&d, rest.constData(), std::min<std::size_t>(sizeof d, n - 1));
    switch (p[0] % 6) {
        case 0:
            return QString::fromUtf8(rest);
        case 1:
            return rest;  // picture data
        case 2:
            return QVariant::fromValue<qint64>(i);
        case 3:
            return d;
        case 4:
            return (p[0] & 0x80) != 0;
        default:
            return QVariant::fromValue<qint32>(static_cast<qint32>(i));
    }
}

QApplication* gApp = nullptr;  // lives as long as the process

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    gApp = new QApplication(*argc, *argv);
    // Fonts and the like load on first use and stay: load them before the first input.
    ptSlider::ctlSlider warmUp;
    QImage image(8, 8, QImage::Format_ARGB32);
    warmUp.render(&image);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ptSlider::MemoryPropertyBag bag;
    std::size_t field = 0, begin = 0;
    for (std::size_t at = 0; at <= size && field < std::size(kNames); ++at) {
        if (at < size && data[at] != 0xFF) continue;
        const QVariant v = Decode(data + begin, at - begin);
        if (v.isValid()) bag.Set(QString::fromLatin1(kNames[field]), v);
        ++field;
        begin = at + 1;
    }
    ptSlider::ctlSlider slider;
    slider.ReadProperties(bag);
    slider.resize(120, 24);
    QImage image(120, 24, QImage::Format_ARGB32);
    slider.render(&image);
    slider.resize(24, 120);
    slider.render(&image);
    return 0;
}
