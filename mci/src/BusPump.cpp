#include "BusPump.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace mci {
namespace {

#if defined(__SANITIZE_THREAD__)
// A message is built on a streaming thread and reaches the UI thread through GstBus's queue, whose
// locks ThreadSanitizer cannot see (GLib is not instrumented): the hand-over is told to it here.
GstBusSyncReply announceHandOver(GstBus*, GstMessage* msg, gpointer) {
    __tsan_release(msg);
    return GST_BUS_PASS;
}
#endif

void handedOver([[maybe_unused]] GstMessage* msg) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(msg);
#endif
}

}  // namespace

BusPump::BusPump(GstElement* pipeline, Handler handler)
    : bus_(gst_element_get_bus(pipeline), RefMode::Adopt), handler_(std::move(handler)) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!bus_) return;
#if defined(__SANITIZE_THREAD__)
    gst_bus_set_sync_handler(bus_.get(), &announceHandOver, nullptr, nullptr);
#endif
    if (!app || QThread::currentThread() != app->thread()) return;
    GPollFD fd{};
    gst_bus_get_pollfd(bus_.get(), &fd);
    // The descriptor is readable while messages wait; draining them makes it quiet again.
    watch_ = std::make_unique<QSocketNotifier>(fd.fd, QSocketNotifier::Read);
    QObject::connect(watch_.get(), &QSocketNotifier::activated, [this] { drain(); });
}

BusPump::~BusPump() {
    watch_.reset();
    if (!bus_) return;
    gst_bus_set_flushing(bus_.get(), TRUE);  // drops what is left, and all that follows
#if defined(__SANITIZE_THREAD__)
    gst_bus_set_sync_handler(bus_.get(), nullptr, nullptr, nullptr);
#endif
}

void BusPump::handle(GstMessage* raw) {
    handedOver(raw);
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
