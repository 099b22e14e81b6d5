#include "MovieDevice.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <limits>

#include "LengthScan.h"
#include "MidiCheck.h"
#include "MovieWindow.h"
#include "TraceNote.h"

namespace mci {
namespace {

using namespace std::chrono_literals;

constexpr auto kOpenTimeout = 4000ms;
constexpr auto kSeekTimeout = 5000ms;
// A length found by parsing the whole file: longer files keep the parser's estimate.
constexpr auto kScanBudget = 3000ms;
// A pause waits this long for the sinks to hold their next buffer.
constexpr auto kPauseTimeout = 2000ms;
// A frame step waits this long for the next frame before it falls back to a seek.
constexpr auto kStepTimeout = 1000ms;
// While playing, a position is reused this long: the player's tick asks many times in a row.
constexpr auto kPositionFresh = 20ms;
constexpr int kMaxSpeed = 100000;
// Room for a picture over an 8K screen, no more.
constexpr int kMaxWindowSide = 8192;
constexpr std::int64_t kMaxWindowArea = 8192LL * 4608;
// "play ... wait" gives up when the position has not moved for this long while playing.
constexpr auto kStallTimeout = 15s;

// A sink that stalls posts neither end of stream nor an error: the position tells.
struct StallWatch {
    bool stalled = false;
    bool stuck(gint64 pos) {
        const auto now = std::chrono::steady_clock::now();
        if (pos != lastPos) {
            lastPos = pos;
            lastMove = now;
        }
        stalled = now - lastMove > kStallTimeout;
        return stalled;
    }

  private:
    gint64 lastPos = -1;
    std::chrono::steady_clock::time_point lastMove = std::chrono::steady_clock::now();
};

SinkMode sinkMode(Options::Sinks sinks, bool gui) {
    if (sinks == Options::Sinks::FakeAudio) return gui ? SinkMode::FakeAudio : SinkMode::Fake;
    if (sinks == Options::Sinks::Fake) return SinkMode::Fake;
    return gui ? SinkMode::Window : SinkMode::Headless;
}

int checkFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return (errno == ENOENT || errno == ENOTDIR) ? ErrFileNotFound : ErrCannotOpen;
    // FIFOs, devices and directories would block or stream forever; only plain files are media.
    if (!S_ISREG(st.st_mode) || st.st_size == 0) return ErrCannotOpen;
    if (::access(path.c_str(), R_OK) != 0) return ErrCannotOpen;
    return Ok;
}

std::string number(std::int64_t v) {
    if (v > std::numeric_limits<int>::max()) v = std::numeric_limits<int>::max();
    if (v < 0) v = 0;
    return std::to_string(v);
}

}  // namespace

int MovieDevice::open(const std::string& path, std::optional<std::uint64_t> parent, Options::Sinks sinkOption,
                      std::unique_ptr<Device>& out) {
    if (int e = checkFile(path)) return e;
    // The framework's MIDI parser trusts the lengths inside the file: one that does not add up is
    // refused before it gets there.
    if (std::string fault; checkMidiFile(path, &fault) == MidiCheck::Broken) {
        traceNote(QFileInfo(QString::fromLocal8Bit(path)).fileName().toStdString() +
                  ": cannot open: MIDI file: " + fault);
        return ErrCannotOpen;
    }
    const bool gui = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    QWidget* parentWidget = nullptr;
    if (parent) {
        if (!gui) return ErrBadWindow;
        parentWidget = QWidget::find(static_cast<WId>(*parent));
        if (!parentWidget) return ErrBadWindow;
    }
    std::unique_ptr<MovieDevice> dev(new MovieDevice);
    const SinkMode sinks = sinkMode(sinkOption, gui);
    std::shared_ptr<FrameSlot> slot;
    if (sinks == SinkMode::Window || sinks == SinkMode::FakeAudio) {
        dev->window_ = new MovieWindow(parentWidget);
        dev->topLevel_ = parentWidget == nullptr;
        slot = std::make_shared<FrameSlot>(dev->window_.data());
        dev->slot_ = slot;
    }
    dev->name_ = QFileInfo(QString::fromLocal8Bit(path)).fileName().toStdString();
    MovieDevice* raw = dev.get();
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread()) {
        dev->starter_ = std::make_unique<QTimer>();
        dev->starter_->setSingleShot(true);
        dev->starter_->setInterval(0);
        QObject::connect(dev->starter_.get(), &QTimer::timeout, [raw] { raw->startNow(); });
    }
    // The pipeline goes before the device: its handler never sees a device half destroyed.
    dev->pipeline_ = std::make_unique<MoviePipeline>(
        path, sinks, slot, [raw](BusEvent e, const BusState& s) { raw->onBusEvent(e, s); });
    if (!dev->pipeline_->valid()) return ErrHardware;
    std::string why;
    if (!dev->pipeline_->preroll(kOpenTimeout, why)) {
        // An error has its own line already.
        if (!dev->broken_) traceNote(dev->name_ + ": cannot open: " + why);
        return ErrCannotOpen;
    }
    if (dev->pipeline_->streamCount() == 0) {
        traceNote(dev->name_ + ": cannot open: no sound or picture in it");
        return ErrCannotOpen;
    }

    dev->video_ = dev->pipeline_->videoInfo();
    dev->hasVideo_ = dev->video_.width > 0 && dev->video_.height > 0;
    dev->duration_ = dev->pipeline_->queryDuration();
    // Without a Xing or VBRI header an MPEG audio parser knows no length until it has seen the
    // whole file, and estimates a VBR one from the frames so far: parse it through once instead.
    if (dev->duration_ <= 0 || dev->pipeline_->isBareMpegAudio()) {
        const gint64 scanned = scanLength(path, kScanBudget);
        if (scanned > 0) {
            dev->duration_ = scanned;
            dev->lengthScanned_ = true;
        }
    }
    if (dev->window_) {
        if (!dev->hasVideo_) {
            delete dev->window_.data();
        } else {
            if (dev->topLevel_)
                dev->window_->setWindowTitle(QFileInfo(QString::fromLocal8Bit(path)).fileName());
            dev->window_->setGeometry(0, 0, dev->video_.width, dev->video_.height);
            dev->window_->show();
        }
    }
    out = std::move(dev);
    return Ok;
}

MovieDevice::~MovieDevice() {
    if (pipeline_) pipeline_->shutDown();
    pipeline_.reset();
    delete window_.data();
}

void MovieDevice::catchUp() {
    pipeline_->state();  // handles whatever the bus holds
    // A seek that never prerolls must not hold back the ones after it for ever.
    if (seekInFlight_ && std::chrono::steady_clock::now() - seekSentAt_ > kSeekTimeout) onSeekDone();
}

void MovieDevice::onBusEvent(BusEvent event, const BusState& state) {
    switch (event) {
        case BusEvent::AsyncDone:
            if (seekInFlight_ && state.asyncDone > seekSentAfter_) onSeekDone();
            break;
        case BusEvent::Eos:
            // An end met before the seek under way is no end of where it goes.
            if (!atEnd_ && mode_ == Mode::Playing && !seekBusy()) {
                atEnd_ = true;
                drained_ = true;
                mode_ = Mode::Stopped;
                holdPicture();
            }
            break;
        case BusEvent::Error:
            // Later errors are the echo of the first as the pipeline comes apart.
            if (!broken_) traceNote(name_ + ": " + describe("error", state.firstError));
            fail();
            break;
        case BusEvent::Warning:
            traceNote(name_ + ": " + describe("warning", state.warnings.back()));
            break;
        case BusEvent::MissingPlugin:
            traceNote(name_ + ": missing plugin: " + state.missingPlugins.back());
            break;
        case BusEvent::ClockLost:
            traceNote(name_ + ": clock lost, playing on with a new one");
            break;
        default:
            break;
    }
    if (waitLoop_ && mode_ != Mode::Playing) waitLoop_->quit();
}

void MovieDevice::fail() {
    if (broken_) return;
    broken_ = true;
    seekInFlight_ = false;
    queuedSeek_.reset();
    // Keep the place for "status position": the pipeline no longer knows it.
    if (!atEnd_) {
        const gint64 pos = pipeline_->queryPosition();
        if (pos >= 0) cachedPos_ = pos;
        cacheValid_ = true;
    }
    mode_ = Mode::Failed;
    // Not READY: a bin that never got to PAUSED (playsink, while a stream is still missing) keeps
    // its pads active through it, so a streaming thread stays blocked on its sink pad holding the
    // decoder's stream lock, and READY then waits for that lock for ever. NULL deactivates every
    // pad, sinks first: the blocked thread is flushed out before any lock it holds is needed.
    pipeline_->shutDown();
}

gint64 MovieDevice::durationNs() {
    // Parsers that estimate a length (MPEG audio without a header) say when it changed.
    if (duration_ < 0 || (!lengthScanned_ && pipeline_->state().durationStale)) {
        const gint64 d = pipeline_->queryDuration();
        if (d >= 0 || duration_ < 0) duration_ = d;
        pipeline_->durationRead();
    }
    return duration_;
}

gint64 MovieDevice::positionNs() {
    if (atEnd_) return stopNs_ >= 0 ? stopNs_ : std::max<gint64>(durationNs(), 0);
    // Until the newest seek is prerolled the pipeline reports some place before it.
    if (seekBusy()) return cachedPos_;
    const auto now = std::chrono::steady_clock::now();
    if (cacheValid_ && (mode_ != Mode::Playing || now - cachedAt_ < kPositionFresh)) return cachedPos_;
    if (mode_ == Mode::Failed) return cachedPos_;
    gint64 pos = pipeline_->queryPosition();
    // Between a state change and the sinks' next buffer the pipeline may not know: keep the last place.
    if (pos < 0) return cachedPos_;
    const gint64 dur = durationNs();
    if (dur >= 0 && pos > dur) pos = dur;
    cachedPos_ = pos;
    cachedAt_ = now;
    cacheValid_ = true;
    return pos;
}

gint64 MovieDevice::toNs(int value) const {
    if (format_ == TimeFormat::Ms) return static_cast<gint64>(value) * GST_MSECOND;
    const int n = video_.fpsN > 0 ? video_.fpsN : 25;
    const int d = video_.fpsN > 0 ? video_.fpsD : 1;
    return static_cast<gint64>(gst_util_uint64_scale_round(static_cast<guint64>(value), GST_SECOND * d, n));
}

std::int64_t MovieDevice::fromNs(gint64 ns) const {
    if (ns < 0) return 0;
    if (format_ == TimeFormat::Ms)
        return static_cast<std::int64_t>(gst_util_uint64_scale_round(ns, 1, GST_MSECOND));
    // frames = time x frame rate; media without a picture count 25 frames a second
    const int n = video_.fpsN > 0 ? video_.fpsN : 25;
    const int d = video_.fpsN > 0 ? video_.fpsD : 1;
    return static_cast<std::int64_t>(gst_util_uint64_scale_round(ns, n, GST_SECOND * d));
}

int MovieDevice::seekTo(gint64 ns, std::optional<gint64> stopNs, bool blocking) {
    // The end of stream may still be on its way when a rewind comes at the length.
    const gint64 reached = pipeline_->queryPosition();
    if (!seekInFlight_ && (drained_ || (duration_ > 0 && reached >= duration_))) {
        // Once the sound stream ran dry at the end and was flushed, the sound server's clock
        // stands still or leaps ahead: after a plain seek the sinks wait on it (a loop stops at
        // its start, "playing"). The pipeline starts afresh instead, as after an open.
        drained_ = false;
        std::string why;
        pipeline_->setReady();
        if (!pipeline_->preroll(kOpenTimeout, why)) {
            traceNote(name_ + ": cannot start again: " + why);
            fail();
            return ErrHardware;
        }
    }
    const gint64 dur = durationNs();
    if (dur >= 0 && ns > dur) ns = dur;
    gint64 stop = stopNs.value_or(-1);
    if (dur >= 0 && stop > dur) stop = -1;
    // A start a rounding step past the stop (or a position read after the stop was reached) plays
    // nothing rather than ask for a segment that ends before it begins.
    if (stop >= 0 && ns > stop) ns = stop;
    if (slot_) slot_->setLive(true);
    // A flushing seek puts sound and picture at one place, or leaves neither anywhere known.
    heldNs_ = -1;
    soundBehind_ = false;
    if (blocking) {
        settle();
        if (!pipeline_->seek(speed_ / 1000.0, ns, stop, kSeekTimeout)) return ErrNotReady;
        // Paused, the sink holds the frame at the new place: show it now, not some time later.
        if (!moving()) heldNs_ = pipeline_->showHeldFrame();
    } else if (seekInFlight_) {
        queuedSeek_ = QueuedSeek{ns, stop};
    } else if (int e = sendSeek(ns, stop)) {
        return e;
    }
    appliedSpeed_ = speed_;
    stopNs_ = stop;
    atEnd_ = dur > 0 && ns >= dur;
    cachedPos_ = ns;
    cachedAt_ = std::chrono::steady_clock::now();
    cacheValid_ = true;
    return Ok;
}

int MovieDevice::sendSeek(gint64 ns, gint64 stopNs) {
    const std::uint64_t before = pipeline_->asyncDoneCount();
    if (!pipeline_->startSeek(speed_ / 1000.0, ns, stopNs)) return ErrNotReady;
    seekInFlight_ = true;
    seekSentAfter_ = before;
    seekSentAt_ = std::chrono::steady_clock::now();
    return Ok;
}

void MovieDevice::onSeekDone() {
    seekInFlight_ = false;
    if (queuedSeek_) {
        const QueuedSeek next = *queuedSeek_;
        queuedSeek_.reset();
        if (sendSeek(next.startNs, next.stopNs) == Ok) return;
    }
    if (!moving()) heldNs_ = pipeline_->showHeldFrame();
}

void MovieDevice::settle() {
    if (!seekBusy()) return;
    if (!pipeline_->waitFor([this](const BusState&) { return !seekBusy(); }, kSeekTimeout)) {
        seekInFlight_ = false;
        queuedSeek_.reset();
    }
}

gint64 MovieDevice::frameIndex(gint64 ns) const {
    if (ns < 0 || video_.fpsN <= 0 || video_.fpsD <= 0) return -1;
    return static_cast<gint64>(
        gst_util_uint64_scale(static_cast<guint64>(ns), video_.fpsN, GST_SECOND * video_.fpsD));
}

bool MovieDevice::stepTo(gint64 ns) {
    if (mode_ != Mode::Paused || !hasVideo_ || video_.fpsN <= 0 || appliedSpeed_ != speed_ || stopNs_ >= 0)
        return false;
    // The frame of the last step can be on screen before its seek is done: waiting for the rest of
    // that seek and taking one more frame costs far less than a seek of its own from the keyframe.
    settle();
    if (heldNs_ < 0) return false;
    const auto frame = static_cast<gint64>(gst_util_uint64_scale(GST_SECOND, video_.fpsD, video_.fpsN));
    // A frame's time may sit a hair before its place on the frame grid: round it to the nearest.
    const gint64 half = frame / 2;
    const gint64 target = frameIndex(ns);
    if (target < 0 || target != frameIndex(heldNs_ + half) + 1) return false;
    // The last frame has no next one to step to; the seek path handles the end.
    const gint64 dur = durationNs();
    if (dur < 0 || ns + frame > dur) return false;
    const gint64 shown = pipeline_->stepFrame(kStepTimeout);
    if (shown < 0) return false;
    heldNs_ = shown;
    // A stream with gaps steps to another frame than the one asked for: the seek puts that right.
    if (frameIndex(shown + half) != target) return false;
    soundBehind_ = true;
    atEnd_ = false;
    cachedPos_ = ns;
    cachedAt_ = std::chrono::steady_clock::now();
    cacheValid_ = true;
    return true;
}

void MovieDevice::catchUpSound() {
    if (soundBehind_ && heldNs_ >= 0) seekTo(heldNs_, std::nullopt);
}

int MovieDevice::play(const Command& cmd) {
    catchUp();
    // After a stream error the pipeline plays nothing more: say so instead of pretending.
    if (failed()) return ErrHardware;
    if (cmd.from && cmd.to && *cmd.to < *cmd.from) return ErrBadNumber;
    // A step past the end is refused like one before the start: the medium carries on as it was.
    const gint64 dur = durationNs();
    if (cmd.from && dur >= 0 && *cmd.from > fromNs(dur)) return ErrBadNumber;
    const bool running = mode_ == Mode::Playing && !startPending_;  // the pipeline plays already
    if (cmd.from || cmd.to || appliedSpeed_ != speed_ || stopNs_ >= 0 || soundBehind_) {
        const gint64 start = cmd.from ? toNs(*cmd.from) : soundBehind_ ? heldNs_ : positionNs();
        // Nothing plays backwards: a "to" before where the play starts is out of range, as one
        // before "from" is. Compared in the caller's units, so "to" the reported place is fine.
        if (cmd.to && !cmd.from && *cmd.to < fromNs(start)) return ErrBadNumber;
        // Without an event loop nothing would start the queued seeks: wait for each there.
        const bool blocking = cmd.wait || !starter_;
        // A paused step to the next frame asks the sink for one more frame; any other place is a seek.
        const bool stepped = cmd.from && !cmd.to && stepTo(start);
        if (!stepped)
            if (int e = seekTo(start, cmd.to ? std::optional<gint64>(toNs(*cmd.to)) : std::nullopt, blocking))
                return e;
    }
    if (atEnd_) {  // nothing left to play: stopped at the end, as after playing to it; "seek to start"
                   // rewinds
        if (mode_ != Mode::Stopped) {
            settle();
            pipeline_->setPaused(kPauseTimeout);
        }
        mode_ = Mode::Stopped;
        return Ok;
    }
    mode_ = Mode::Playing;
    if (window_ && topLevel_) window_->show();
    if (cmd.wait || !starter_) {
        startNow();
        if (cmd.wait) return waitForEnd();
    } else if (!running) {
        // Playing starts when the UI thread is free again. A pause sent before that ("play from",
        // then "pause": a step while paused) finds the frame asked for still held and nothing
        // played past it; sinks that start playing run ahead by their latency before any pause.
        startPending_ = true;
        starter_->start();
    }
    return Ok;
}

void MovieDevice::startNow() {
    if (starter_) starter_->stop();
    if (mode_ != Mode::Playing) {
        startPending_ = false;
        return;
    }
    settle();
    catchUpSound();
    startPending_ = false;
    heldNs_ = -1;
    pipeline_->setPlaying();
    cacheValid_ = false;
}

int MovieDevice::waitForEnd() {
    if (startPending_) startNow();
    StallWatch stall;
    auto stuck = [&] { return stall.stuck(pipeline_->queryPosition()); };
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread()) {
        QEventLoop loop;
        waitLoop_ = &loop;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (stuck()) loop.quit();
        });
        watch.start(1000);
        catchUp();
        if (mode_ == Mode::Playing) loop.exec();
        waitLoop_ = nullptr;
    } else {  // nothing paints here: just wait for the end
        while (mode_ == Mode::Playing &&
               !pipeline_->waitFor([this](const BusState&) { return mode_ != Mode::Playing; }, 1s) &&
               !stuck()) {
        }
    }
    if (stall.stalled) return giveUpStalled();
    return failed() ? ErrHardware : Ok;
}

int MovieDevice::giveUpStalled() {
    holdPicture();
    mode_ = Mode::Stopped;
    cacheValid_ = false;
    return ErrTimeout;
}

int MovieDevice::pause() {
    catchUp();
    if (mode_ == Mode::Playing) {
        const bool wasMoving = moving();
        holdPicture();
        mode_ = Mode::Paused;
        // A play that never started left the pipeline, and so the known place, where they were.
        if (wasMoving) holdPlaceOnScreen();
    }
    return Ok;
}

int MovieDevice::resume() {
    catchUp();
    if (failed()) return ErrHardware;
    if (mode_ == Mode::Paused) {
        settle();
        catchUpSound();
        heldNs_ = -1;
        pipeline_->setPlaying();
        mode_ = Mode::Playing;
        cacheValid_ = false;
    }
    return Ok;
}

int MovieDevice::stop() {
    catchUp();
    if (mode_ == Mode::Failed) mode_ = Mode::Stopped;
    if (mode_ == Mode::Playing || mode_ == Mode::Paused) {
        const bool wasMoving = moving();
        holdPicture();
        mode_ = Mode::Stopped;
        if (wasMoving) holdPlaceOnScreen();
    }
    return Ok;
}

void MovieDevice::holdPlaceOnScreen() {
    // Paused after playing, the sinks hold the frame after the one on screen: the place is the
    // picture's, so that a step from it goes to the frame after the one seen.
    const gint64 shown = slot_ ? slot_->newestTime() : -1;
    cacheValid_ = shown >= 0;
    if (shown >= 0) cachedPos_ = shown;
}

void MovieDevice::holdPicture() {
    if (startPending_) {  // never started: the pipeline still holds the frame on screen
        startPending_ = false;
        starter_->stop();
        return;
    }
    settle();
    if (slot_ && mode_ == Mode::Playing) slot_->setLive(false);
    pipeline_->setPaused(kPauseTimeout);
}

int MovieDevice::seek(const Command& cmd) {
    catchUp();
    if (failed()) return ErrHardware;
    settle();
    if (mode_ != Mode::Stopped) {
        pipeline_->setPaused(kPauseTimeout);
        mode_ = Mode::Stopped;
    }
    switch (cmd.seekTo) {
        case SeekTo::Start:
            return seekTo(0, std::nullopt);
        case SeekTo::End:
            return seekTo(std::max<gint64>(durationNs(), 0), std::nullopt);
        case SeekTo::Position:
            return seekTo(toNs(cmd.seekPosition), std::nullopt);
    }
    return Ok;
}

int MovieDevice::set(const Command& cmd) {
    catchUp();
    switch (cmd.setItem) {
        case SetItem::TimeFormat:
            format_ = cmd.timeFormat;
            return Ok;
        case SetItem::Speed: {
            // 0 asks for normal speed: the player's "Normal" sends it.
            const int speed = cmd.number == 0 ? 1000 : cmd.number;
            if (speed > kMaxSpeed) return ErrBadNumber;
            speed_ = speed;
            if ((mode_ == Mode::Playing || mode_ == Mode::Paused) && !atEnd_ && speed_ != appliedSpeed_) {
                const gint64 stop = stopNs_;
                return seekTo(positionNs(), stop >= 0 ? std::optional<gint64>(stop) : std::nullopt);
            }
            return Ok;
        }
        case SetItem::AudioAll:
            muted_ = !cmd.on;
            pipeline_->setMute(muted_);
            return Ok;
        case SetItem::Door:
        case SetItem::FormatTag:
            return ErrDeviceType;
    }
    return ErrUnknownKeyword;
}

int MovieDevice::setVolume(int volume) {
    volume_ = volume;
    pipeline_->setVolumeCubic(volume / 1000.0);
    return Ok;
}

int MovieDevice::status(const Command& cmd, std::string& reply) {
    catchUp();
    switch (cmd.statusItem) {
        case StatusItem::Mode:
            reply = mode_ == Mode::Playing  ? "playing"
                    : mode_ == Mode::Paused ? "paused"
                    : mode_ == Mode::Failed ? "error"
                                            : "stopped";
            return Ok;
        case StatusItem::Length:
            reply = number(fromNs(durationNs()));
            return Ok;
        case StatusItem::Position:
            reply = number(fromNs(positionNs()));
            return Ok;
        case StatusItem::Ready:
            // Not ready while a seek is under way: the picture still shows the place before it.
            reply = seekBusy() ? "false" : "true";
            return Ok;
        case StatusItem::MediaPresent:
            reply = "true";
            return Ok;
        case StatusItem::TimeFormat:
            reply = format_ == TimeFormat::Ms ? "milliseconds" : "frames";
            return Ok;
        case StatusItem::Speed:
            reply = std::to_string(speed_);
            return Ok;
        case StatusItem::Volume:
            reply = std::to_string(volume_);
            return Ok;
    }
    return ErrUnknownKeyword;
}

int MovieDevice::where(const Command& cmd, std::string& reply) {
    if (cmd.whereItem == WhereItem::Destination && window_) {
        const QRect r = window_->geometry();
        reply = std::to_string(r.x()) + " " + std::to_string(r.y()) + " " + std::to_string(r.width()) + " " +
                std::to_string(r.height());
        return Ok;
    }
    reply = "0 0 " + std::to_string(video_.width) + " " + std::to_string(video_.height);
    return Ok;
}

int MovieDevice::put(const Command& cmd) {
    if (!window_) return Ok;  // nothing to place for sound alone
    const Rect& r = cmd.rect;
    // Frames are scaled to this size: a huge one would ask for gigabytes a frame.
    if (r.w > kMaxWindowSide || r.h > kMaxWindowSide || static_cast<std::int64_t>(r.w) * r.h > kMaxWindowArea)
        return ErrBadNumber;
    if (r.w == 0 || r.h == 0) {
        window_->hide();
        return Ok;
    }
    window_->setGeometry(r.x, r.y, r.w, r.h);
    window_->show();
    return Ok;
}

}  // namespace mci
