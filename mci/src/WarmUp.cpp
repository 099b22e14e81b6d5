// Loading the media framework and its elements, ahead of the first open.
#include <gst/gst.h>

#include <array>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "GstRef.h"
#include "mci/mci.h"

namespace mci {
namespace {

// What every open plays through, whatever the medium.
constexpr std::array kEveryOpen = {"coreelements", "playback",         "typefindfunctions", "app",
                                   "volume",       "audioconvert",     "audioresample",     "audiofx",
                                   "pulseaudio",   "videoconvertscale"};

// Plain PCM and MIDI need no codec library; everything else most likely does.
bool needsCodecs(const std::string& path) {
    std::array<char, 12> head{};
    std::ifstream in(path, std::ios::binary);
    if (!in.read(head.data(), head.size())) return true;
    const std::string h(head.data(), head.size());
    const bool wave = h.compare(0, 4, "RIFF") == 0 && h.compare(8, 4, "WAVE") == 0;
    return !(wave || h.compare(0, 4, ".snd") == 0 || h.compare(0, 4, "MThd") == 0);
}

void load(const std::string& path) {
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);
    for (const char* name : kEveryOpen) adopt(gst_plugin_load_by_name(name));
    // The codec library pulls in some hundred shared objects: the longest part of a first open.
    if (needsCodecs(path)) adopt(gst_plugin_load_by_name("libav"));
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
