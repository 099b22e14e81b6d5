// Loading the media framework and its elements, ahead of the first open.
#include <gst/gst.h>

#include <array>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "Codecs.h"
#include "GstRef.h"
#include "mci/mci.h"

namespace mci {
namespace {

// What every open plays through, whatever the medium.
constexpr std::array kEveryOpen = {"coreelements", "playback",         "typefindfunctions", "app",
                                   "volume",       "audioconvert",     "audioresample",     "audiofx",
                                   "pulseaudio",   "videoconvertscale"};

void load(const std::string& path) {
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);
    for (const char* name : kEveryOpen) adopt(gst_plugin_load_by_name(name));
    loadCodecsFor(path);
}

class WarmUpThread {
  public:
    static WarmUpThread& instance() {
        static WarmUpThread w;
        return w;
    }
    WarmUpThread(const WarmUpThread&) = delete;
    WarmUpThread& operator=(const WarmUpThread&) = delete;
    ~WarmUpThread() { finish(); }

    void start(std::string path) {
        const std::lock_guard lock(mutex_);
        if (started_) return;
        started_ = true;
        thread_ = std::thread([p = std::move(path)] { load(p); });
    }
    void finish() {
        const std::lock_guard lock(mutex_);
        if (thread_.joinable()) thread_.join();
    }

  private:
    WarmUpThread() = default;
    std::mutex mutex_;
    std::thread thread_;
    bool started_ = false;
};

}  // namespace

void warmUp(std::string path) {
    WarmUpThread::instance().start(std::move(path));
}

void finishWarmUp() {
    WarmUpThread::instance().finish();
}

}  // namespace mci
