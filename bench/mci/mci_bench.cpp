// What the player's progress tick costs, and how long "play from" takes to show a new frame.
// Run: mci_bench (needs the test media; plays into synchronised fake sinks unless told otherwise).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "mci/mci.h"

namespace {

const std::string kHd = std::string(PELTO_TEST_MEDIA) + "/hd.mp4";

void send(const char* cmd) {
    char reply[128];
    mci::sendString(cmd, reply, sizeof reply);
}

// A playing 720p medium for the duration of one benchmark.
class Playing {
  public:
    Playing() {
        if (mci::sendString("open \"" + kHd + "\" type mpegvideo alias movie", nullptr, 0) != mci::Ok) {
            ok = false;
            return;
        }
        send("play movie");
    }
    ~Playing() { send("close all"); }
    bool ok = true;
};

void BM_StatusPositionWait(benchmark::State& state) {
    Playing p;
    if (!p.ok) return state.SkipWithError("no media");
    for (auto _ : state) send("status movie position wait");
}
BENCHMARK(BM_StatusPositionWait);

void BM_StatusMode(benchmark::State& state) {
    Playing p;
    if (!p.ok) return state.SkipWithError("no media");
    for (auto _ : state) send("status movie mode");
}
BENCHMARK(BM_StatusMode);

// The queries one 100 ms tick of the player sends while a medium plays.
void BM_ProgressTick(benchmark::State& state) {
    Playing p;
    if (!p.ok) return state.SkipWithError("no media");
    static const char* tick[] = {
        // elapsed-time label; status word; both seek bars
        "set movie time format ms",
        "status movie position wait",
        "status movie mode",
        "set movie time format ms",
        "status movie position wait",
        "set movie time format ms",
        "status movie position wait",
        // end of medium, asked for loop and for stop
        "set movie time format ms",
        "status movie position wait",
        "set movie time format ms",
        "status movie length",
        "set movie time format ms",
        "status movie position wait",
        "set movie time format ms",
        "status movie length",
    };
    for (auto _ : state)
        for (const char* cmd : tick) send(cmd);
    state.counters["per_query_ns"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 15,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_ProgressTick);

// The uncached cost: every query waits out the freshness window first.
void BM_StatusPositionUncached(benchmark::State& state) {
    Playing p;
    if (!p.ok) return state.SkipWithError("no media");
    for (auto _ : state) {
        state.PauseTiming();
        send("pause movie");
        send("resume movie");  // invalidates the cached position
        state.ResumeTiming();
        send("status movie position");
    }
}
BENCHMARK(BM_StatusPositionUncached)->Iterations(2000);

// "play from n" returns once the new place is prerolled, that is with its first frame at the sink.
void BM_PlayFromToNewFrame(benchmark::State& state) {
    Playing p;
    if (!p.ok) return state.SkipWithError("no media");
    int i = 0;
    for (auto _ : state) {
        const int ms = 500 + (i++ * 3700) % 9000;
        const std::string cmd = "play movie from " + std::to_string(ms);
        mci::sendString(cmd, nullptr, 0);
    }
}
double percentile(const std::vector<double>& v, double q) {
    std::vector<double> s(v);
    std::sort(s.begin(), s.end());
    return s[static_cast<std::size_t>(q * static_cast<double>(s.size() - 1))];
}
BENCHMARK(BM_PlayFromToNewFrame)
    ->Iterations(1)
    ->Repetitions(60)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("p50", [](const std::vector<double>& v) { return percentile(v, 0.50); })
    ->ComputeStatistics("p95", [](const std::vector<double>& v) { return percentile(v, 0.95); })
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    mci::Options options = mci::Options::fromEnvironment();
    if (!std::getenv("PELTO_MCI_FAKE_SINKS")) options.sinks = mci::Options::Sinks::Fake;
    mci::setOptions(options);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
