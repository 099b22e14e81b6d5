#include "mci/mci.h"

namespace mci {

int sendString(std::string_view, char* reply, int replyLength) {
    if (reply && replyLength > 0) reply[0] = '\0';
    return ErrUnrecognizedCommand;
}

std::string errorText(int code) { return code == Ok ? "The command succeeded." : "The command failed."; }

}  // namespace mci
