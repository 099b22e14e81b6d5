#include "BusState.h"

#include <gst/pbutils/missing-plugins.h>

#include "GstRef.h"

namespace mci {
namespace {

BusProblem parseProblem(GstMessage* msg, void (*parse)(GstMessage*, GError**, gchar**)) {
    GErrorRef err;
    gchar* debugRaw = nullptr;
    parse(msg, err.out(), &debugRaw);
    GChars debug(debugRaw);
    BusProblem p;
    if (GST_MESSAGE_SRC(msg)) p.source = GST_MESSAGE_SRC_NAME(msg);
    if (err) p.text = err.get()->message;
    p.debug = debug.get();
    return p;
}

template <typename T>
void keepNewest(std::vector<T>& v, T item) {
    if (v.size() >= BusState::kMaxKept) v.erase(v.begin());
    v.push_back(std::move(item));
}

// The trace has one line per entry: newlines in GStreamer's debug text would break it.
std::string oneLine(std::string s) {
    for (char& c : s)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return s;
}

}  // namespace

BusEvent applyBusMessage(BusState& state, GstMessage* msg, GstElement* pipeline) {
    const bool fromPipeline = GST_MESSAGE_SRC(msg) == GST_OBJECT_CAST(pipeline);
    switch (GST_MESSAGE_TYPE(msg)) {
        case GST_MESSAGE_ASYNC_DONE:
            if (!fromPipeline) return BusEvent::None;
            ++state.asyncDone;
            return BusEvent::AsyncDone;
        case GST_MESSAGE_EOS:
            state.eos = true;
            return BusEvent::Eos;
        case GST_MESSAGE_ERROR:
            if (!state.error) state.firstError = parseProblem(msg, &gst_message_parse_error);
            state.error = true;
            return BusEvent::Error;
        case GST_MESSAGE_WARNING:
            keepNewest(state.warnings, parseProblem(msg, &gst_message_parse_warning));
            return BusEvent::Warning;
        case GST_MESSAGE_DURATION_CHANGED:
            state.durationStale = true;
            return BusEvent::DurationChanged;
        case GST_MESSAGE_CLOCK_LOST:
            ++state.clockLost;
            return BusEvent::ClockLost;
        case GST_MESSAGE_ELEMENT:
            if (!gst_is_missing_plugin_message(msg)) return BusEvent::None;
            keepNewest(state.missingPlugins,
                       std::string(GChars(gst_missing_plugin_message_get_description(msg)).get()));
            return BusEvent::MissingPlugin;
        default:
            return BusEvent::None;
    }
}

std::string describe(const char* kind, const BusProblem& p) {
    std::string line = kind;
    if (!p.source.empty()) line += " from " + p.source;
    line += ": " + p.text;
    if (!p.debug.empty()) line += " (" + p.debug + ")";
    return oneLine(line);
}

}  // namespace mci
