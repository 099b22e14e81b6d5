#pragma once
// The length of a medium whose parser cannot tell it up front (MPEG audio without a Xing or
// VBRI header, CBR or VBR): its streams are parsed to the end, without decoding, and the latest
// end time seen is the length.

#include <gst/gst.h>

#include <chrono>
#include <string>

namespace mci {

// -1 when the file cannot be parsed or the scan takes longer than `budget`.
gint64 scanLength(const std::string& path, std::chrono::milliseconds budget);

}  // namespace mci
