#include <string>

#include "mci/mci.h"

namespace mci {

std::string errorText(int code) {
    switch (code) {
        case Ok:
            return "The command succeeded.";
        case ErrUnrecognizedCommand:
            return "The command is not recognized.";
        case ErrUnknownKeyword:
            return "The command has a word it does not take.";
        case ErrMissingArgument:
            return "A keyword is missing its value.";
        case ErrBadNumber:
            return "A number is out of range or not a number.";
        case ErrNoSuchDevice:
            return "No device is open under that name.";
        case ErrAliasInUse:
            return "That alias is already in use.";
        case ErrUnbalancedQuote:
            return "A quoted word is not closed.";
        case ErrFileNotFound:
            return "The file was not found.";
        case ErrCannotOpen:
            return "The file cannot be played.";
        case ErrDeviceType:
            return "The device type is unknown or does not take this command.";
        case ErrNotReady:
            return "The device is not ready.";
        case ErrHardware:
            return "The hardware reported an error.";
        case ErrCannotSave:
            return "The recording could not be saved.";
        case ErrTimeout:
            return "The command timed out.";
        case ErrBadWindow:
            return "The parent window is not a window of this program.";
        case ErrBusy:
            return "Another command is still waiting.";
        default:
            return "Unknown error " + std::to_string(code) + ".";
    }
}

}  // namespace mci
