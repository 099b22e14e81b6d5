#pragma once
// Lines for the trace log (PELTO_MCI_LOG) that are no command: what the devices met, such as
// GStreamer's errors and warnings. Each becomes one line starting with "# ".

#include <string_view>

namespace mci {

void traceNote(std::string_view text);

}  // namespace mci
