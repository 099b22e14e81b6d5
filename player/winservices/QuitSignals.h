#pragma once
// SIGTERM, SIGINT and SIGHUP end the program through the same unload path as the close box, so settings
// are saved and a running recording is kept.

#include <functional>

namespace QuitSignals {

// `quit` runs on the user-interface thread when one of the signals arrives.
void Install(std::function<void()> quit);

}  // namespace QuitSignals
