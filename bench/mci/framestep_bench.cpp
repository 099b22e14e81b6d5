// Paused frame steps and seeks while playing, on the real movie window with real sinks: each is
// timed from the first command the player sends to the new frame painted in the window.
// Run under a display (scripts/with-test-env.sh); needs the test media (framecode.mp4, 720p,
// a keyframe every 50 frames).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "MovieWindow.h"
#include "mci/mci.h"

namespace {

const std::string kClip = std::string(PELTO_TEST_MEDIA) + "/framecode.mp4";
constexpr int kKeyframeEvery = 50;

int send(const std::string& cmd) {
    return mci::sendString(cmd, nullptr, 0);
}

int askInt(const std::string& cmd) {
    char buf[128] = {};
    mci::sendString(cmd, buf, sizeof buf);
    return std::atoi(buf);
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5)];
}

// The clip opened into a child of a window, placed as the player places it for a 1280x720 picture.
class Movie {
  public:
    Movie() {
        parent_.resize(1287, 719);
        parent_.show();
        const std::string open = "open \"" + kClip + "\" type mpegvideo alias movie parent " +
                                 std::to_string(parent_.winId()) + " style child ";
        if (send(open) != mci::Ok) return;
        window_ = parent_.findChild<mci::MovieWindow*>(QStringLiteral("movie window"));
        send("put movie window at 0 0 1287 719");
        ok_ = window_ != nullptr;
    }
    ~Movie() { send("close all"); }
    bool ok() const { return ok_; }

    // Runs `commands`, then handles events until a frame shown after they began is painted; ms.
    template <typename F>
    double timeToPaint(F commands) {
        const int before = window_->framesShown();
        QElapsedTimer t;
        t.start();
        commands();
        while (window_->framesShown() == before || window_->framesPainted() != window_->framesShown()) {
            if (t.elapsed() > 5000) return 5000;  // counts as a miss, never hangs the run
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        }
        return static_cast<double>(t.nsecsElapsed()) / 1e6;
    }

    // A paused frame step exactly as the player sends it.
    void pausedStepTo(int frame) {
        send("set movie audio all off");
        send("set movie time format frames");
        send("set movie time format frames wait");
        askInt("status movie position");
        send("play movie from " + std::to_string(frame));
        send("pause movie");
        send("set movie audio all on");
    }

    void settle() {
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    }

  private:
    QWidget parent_;
    mci::MovieWindow* window_ = nullptr;
    bool ok_ = false;
};

void report(benchmark::State& state, const std::vector<double>& ms) {
    state.counters["p50_ms"] = percentile(ms, 0.50);
    state.counters["p95_ms"] = percentile(ms, 0.95);
    state.counters["max_ms"] = percentile(ms, 1.0);
}

// Walks of single steps one way that cross a keyframe, from places spread over the clip.
void pausedSteps(benchmark::State& state, int dir) {
    Movie movie;
    if (!movie.ok()) return state.SkipWithError("no movie (make the test media, run under a display)");
    send("play movie");
    send("pause movie");
    std::vector<double> ms;
    int frame = 0, walked = 0;
    for (auto _ : state) {
        if (walked % 20 == 0) {  // a new walk: 10 frames on the near side of a keyframe
            const int key = kKeyframeEvery * (1 + (walked / 20) % 4);
            frame = key - dir * 10;
            movie.pausedStepTo(frame);
            movie.settle();
        }
        ++walked;
        frame += dir;
        const double t = movie.timeToPaint([&] { movie.pausedStepTo(frame); });
        state.SetIterationTime(t / 1000);
        ms.push_back(t);
    }
    report(state, ms);
}

void BM_PausedStepForward(benchmark::State& state) {
    pausedSteps(state, +1);
}
BENCHMARK(BM_PausedStepForward)->Iterations(160)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PausedStepBack(benchmark::State& state) {
    pausedSteps(state, -1);
}
BENCHMARK(BM_PausedStepBack)->Iterations(160)->UseManualTime()->Unit(benchmark::kMillisecond);

// The seek bar's release while playing: "play from" a second elsewhere, to its frame painted.
void BM_SeekWhilePlaying(benchmark::State& state) {
    Movie movie;
    if (!movie.ok()) return state.SkipWithError("no movie (make the test media, run under a display)");
    send("play movie");
    std::vector<double> ms;
    int i = 0;
    for (auto _ : state) {
        const int at = 500 + (i++ * 3700) % 10000;
        const double t = movie.timeToPaint([&] {
            send("set movie time format ms");
            send("play movie from " + std::to_string(at));
        });
        state.SetIterationTime(t / 1000);
        ms.push_back(t);
        // Plays on a little, as between two releases.
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 150) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    report(state, ms);
}
BENCHMARK(BM_SeekWhilePlaying)->Iterations(60)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
