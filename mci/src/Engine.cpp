// Command dispatch: the alias table, the trace log and the reply buffer rules.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gst/gst.h>

#include <QCoreApplication>

#include "AsciiCase.h"
#include "CdDoor.h"
#include "Command.h"
#include "MovieDevice.h"
#include "TraceNote.h"
#include "WaveDevice.h"
#include "mci/mci.h"

namespace mci {
namespace {

class Engine {
  public:
    static Engine& instance() {
        static Engine engine;
        return engine;
    }

    int run(std::string_view line, std::string& reply) {
        if (busy_) return ErrBusy;  // a "wait" runs an event loop; nothing may close its device under it
        busy_ = true;
        start();
        Command cmd;
        int rc = parseCommand(line, cmd);
        if (rc == Ok) rc = dispatch(cmd, reply);
        busy_ = false;
        return rc;
    }

    void setOptions(const Options& options) { options_ = options; }

  private:
    Engine() = default;

    // On the first command, not at the first call: options are set while the warm-up still runs.
    void start() {
        if (started_) return;
        finishWarmUp();
        if (!gst_is_initialized()) gst_init(nullptr, nullptr);
        started_ = true;
    }

    struct Entry {
        std::string alias;
        std::unique_ptr<Device> device;
    };

    // Devices paint into widgets: whatever a program leaves open is closed while the application
    // still exists, not at static destruction after it.
    void closeWithTheApplication() {
        if (closeRegistered_ || !QCoreApplication::instance()) return;
        qAddPostRoutine([] {
            instance().closeAll();
            instance().closeRegistered_ = false;  // a later application registers again
        });
        closeRegistered_ = true;
    }

    void closeAll() {
        // newest first, like the nesting they were opened in
        while (!devices_.empty()) devices_.pop_back();
    }

    Device* find(std::string_view alias) {
        for (auto& e : devices_)
            if (sameText(e.alias, alias)) return e.device.get();
        return nullptr;
    }

    int open(const Command& cmd) {
        std::string type = cmd.type;
        const bool isNew = sameText(cmd.device, "new");
        if (type.empty() && (sameText(cmd.device, "cdaudio") || sameText(cmd.device, "waveaudio") ||
                             sameText(cmd.device, "mpegvideo")))
            return ErrDeviceType;  // opening a bare device type needs no element; we have none to offer
        if (type.empty()) type = isNew ? "waveaudio" : "mpegvideo";
        const std::string alias = cmd.alias.empty() ? cmd.device : cmd.alias;
        if (find(alias)) return ErrAliasInUse;
        closeWithTheApplication();
        std::unique_ptr<Device> device;
        if (type == "mpegvideo" || type == "avivideo" || type == "mpegaudio" || type == "sequencer" ||
            type == "digitalvideo") {
            if (isNew) return ErrDeviceType;
            if (int e = MovieDevice::open(cmd.device, cmd.parent, options_.sinks, device)) return e;
        } else if (type == "waveaudio") {
            if (!isNew) return ErrDeviceType;
            if (int e = WaveDevice::open(options_.captureSource, device)) return e;
        } else {
            return ErrDeviceType;
        }
        devices_.push_back({alias, std::move(device)});
        return Ok;
    }

    int close(const Command& cmd) {
        if (sameText(cmd.device, "all")) {
            closeAll();
            return Ok;
        }
        for (auto it = devices_.begin(); it != devices_.end(); ++it) {
            if (sameText(it->alias, cmd.device)) {
                auto doomed = std::move(it->device);
                devices_.erase(it);
                return Ok;
            }
        }
        return ErrNoSuchDevice;
    }

    int dispatch(const Command& cmd, std::string& reply) {
        if (cmd.verb == Verb::Open) return open(cmd);
        if (cmd.verb == Verb::Close) return close(cmd);
        Device* dev = find(cmd.device);
        if (!dev) {
            if (cmd.verb == Verb::Set && cmd.setItem == SetItem::Door && sameText(cmd.device, "cdaudio"))
                return setCdDoor(cmd.on);
            return ErrNoSuchDevice;
        }
        dev->catchUp();
        switch (cmd.verb) {
            case Verb::Play:
                return dev->play(cmd);
            case Verb::Pause:
                return dev->pause();
            case Verb::Resume:
                return dev->resume();
            case Verb::Stop:
                return dev->stop();
            case Verb::Seek:
                return dev->seek(cmd);
            case Verb::Set:
                return dev->set(cmd);
            case Verb::SetAudio:
                return dev->setVolume(cmd.number);
            case Verb::Status:
                return dev->status(cmd, reply);
            case Verb::Where:
                return dev->where(cmd, reply);
            case Verb::Put:
                return dev->put(cmd);
            case Verb::Record:
                return dev->record();
            case Verb::Save:
                return dev->save(cmd.path);
            case Verb::Open:
            case Verb::Close:
                break;
        }
        return ErrUnrecognizedCommand;
    }

    Options options_;
    std::vector<Entry> devices_;
    bool busy_ = false;
    bool started_ = false;
    bool closeRegistered_ = false;
};

// The trace log: one line per command, written out as soon as the command returns. A new path
// takes effect at once, so a program can switch the trace on mid-run.
class Trace {
  public:
    static Trace& instance() {
        static Trace trace;
        return trace;
    }
    void write(std::string_view command, int code, std::string_view reply) {
        if (!file_) return;
        std::fwrite(command.data(), 1, command.size(), file_);
        std::fprintf(file_, "\t%d\t", code);
        std::fwrite(reply.data(), 1, reply.size(), file_);
        std::fputc('\n', file_);
        std::fflush(file_);
    }

    void note(std::string_view text) {
        if (!file_) return;
        std::fputs("# ", file_);
        std::fwrite(text.data(), 1, text.size(), file_);
        std::fputc('\n', file_);
        std::fflush(file_);
    }

    void reopen(const std::string& path) {
        if (path == path_) return;
        if (file_) std::fclose(file_);
        file_ = path.empty() ? nullptr : std::fopen(path.c_str(), "ae");
        path_ = path;
    }

  private:
    ~Trace() { reopen({}); }
    std::FILE* file_ = nullptr;
    std::string path_;
};

}  // namespace

void setOptions(const Options& options) {
    Engine::instance().setOptions(options);
    Trace::instance().reopen(options.traceLog);
}

void traceNote(std::string_view text) {
    Trace::instance().note(text);
}

int sendString(std::string_view command, char* reply, int replyLength) {
    std::string text;
    const int rc = Engine::instance().run(command, text);
    if (rc != Ok) text.clear();
    if (reply && replyLength > 0) {
        const std::size_t n = std::min(text.size(), static_cast<std::size_t>(replyLength - 1));
        std::memcpy(reply, text.data(), n);
        reply[n] = '\0';
    }
    Trace::instance().write(command, rc, text);
    return rc;
}

}  // namespace mci
