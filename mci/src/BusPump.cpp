#include "BusPump.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

namespace mci {

BusPump::BusPump(GstElement* pipeline, Handler handler)
    : bus_(gst_element_get_bus(pipeline), RefMode::Adopt), handler_(std::move(handler)) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!bus_ || !app || QThread::currentThread() != app->thread()) return;
    GPollFD fd{};
    gst_bus_get_pollfd(bus_.get(), &fd);
    // The descriptor is readable while messages wait; draining them makes it quiet again.
    watch_ = std::make_unique<QSocketNotifier>(fd.fd, QSocketNotifier::Read);
    QObject::connect(watch_.get(), &QSocketNotifier::activated, [this] { drain(); });
}

BusPump::~BusPump() {
    watch_.reset();
    if (bus_) gst_bus_set_flushing(bus_.get(), TRUE);  // drops what is left, and all that follows
}

void BusPump::handle(GstMessage* raw) {
    const auto msg = adopt(raw);
    handler_(msg.get());
}

void BusPump::drain() {
    if (!bus_) return;
    while (GstMessage* m = gst_bus_pop(bus_.get())) handle(m);
}

bool BusPump::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    drain();
    while (!done()) {
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= decltype(left)::zero() || !bus_) return false;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        if (GstMessage* m = gst_bus_timed_pop(bus_.get(), static_cast<GstClockTime>(ns))) handle(m);
    }
    return true;
}

}  // namespace mci
