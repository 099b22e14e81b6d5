// A program that ends with a movie still playing and never closes it: the device must go with
// the application (its picture is a widget), and the process must end cleanly. Exit code 0 passes.
#include <QApplication>
#include <string>

#include "mci/mci.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    mci::Options options;
    options.sinks = mci::Options::Sinks::FakeAudio;
    mci::setOptions(options);
    const std::string open =
        std::string("open \"") + PELTO_TEST_MEDIA + "/clip.avi\" type mpegvideo alias movie";
    if (mci::sendString(open, nullptr, 0) != mci::Ok) return 2;
    if (mci::sendString("play movie", nullptr, 0) != mci::Ok) return 3;
    return 0;  // no "close": the end of the application closes the device
}
