#pragma once
// What a pipeline's bus has said, as typed facts. Filled on the UI thread only, one message at a
// time, by whoever pumps the bus (the bus watch between commands, or a blocking wait).

#include <gst/gst.h>

#include <cstdint>
#include <string>
#include <vector>

namespace mci {

struct BusProblem {
    std::string source;  // the element's name
    std::string text;    // GStreamer's message
    std::string debug;   // its debug detail (file, function, cause)
};

struct BusState {
    std::uint64_t asyncDone = 0;  // the pipeline finished a state change or a flushing seek
    bool eos = false;
    bool durationStale = false;  // DURATION_CHANGED since the duration was last read
    std::uint64_t clockLost = 0;
    bool error = false;
    BusProblem firstError;                    // the first error says why; later ones are its echo
    std::vector<BusProblem> warnings;         // the newest kMaxKept
    std::vector<std::string> missingPlugins;  // descriptions, such as "H.265 decoder"
    static constexpr std::size_t kMaxKept = 16;
};

// What a message changed, for the owner to act on.
enum class BusEvent { None, AsyncDone, Eos, Error, Warning, DurationChanged, ClockLost, MissingPlugin };

// Applies one message of the bus of `pipeline` to `state`.
BusEvent applyBusMessage(BusState& state, GstMessage* msg, GstElement* pipeline);

// One line for the trace log: "error", "warning" or "missing plugin" and what it says.
std::string describe(const char* kind, const BusProblem& p);

}  // namespace mci
