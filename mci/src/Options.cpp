#include <cstdlib>
#include <string>

#include "mci/mci.h"

namespace mci {
namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

Options Options::fromEnvironment() {
    Options options;
    const std::string sinks = variable("PELTO_MCI_FAKE_SINKS");
    if (sinks == "audio")
        options.sinks = Sinks::FakeAudio;
    else if (!sinks.empty() && sinks != "0")
        options.sinks = Sinks::Fake;
    options.captureSource = variable("PELTO_MCI_CAPTURE_SRC");
    options.traceLog = variable("PELTO_MCI_LOG");
    return options;
}

}  // namespace mci
