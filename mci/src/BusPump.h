#pragma once
// The one path every message of a pipeline's bus takes: handled on the UI thread, either by the
// bus watch (a notifier on the bus's poll descriptor, which Qt's event loop watches) or by a
// blocking wait that pops the same bus itself. No sync handler, no streaming-thread state.

#include <gst/gst.h>

#include <chrono>
#include <functional>
#include <memory>

#include "GstRef.h"

class QSocketNotifier;

namespace mci {

class BusPump {
  public:
    using Handler = std::function<void(GstMessage*)>;
    // The watch runs only when an application exists on this thread; without one, commands drain.
    BusPump(GstElement* pipeline, Handler handler);
    ~BusPump();
    BusPump(const BusPump&) = delete;
    BusPump& operator=(const BusPump&) = delete;

    void drain();  // handles every message already waiting
    // Handles messages as they arrive until `done()` holds; false when `timeout` passed first.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

  private:
    void handle(GstMessage* raw);
    GstRef<GstBus> bus_;
    Handler handler_;
    std::unique_ptr<QSocketNotifier> watch_;
};

}  // namespace mci
