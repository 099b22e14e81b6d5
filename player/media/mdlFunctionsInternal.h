#pragma once
// Module state and the command channel, shared by the files of mdlFunctions only.

#include <QDateTime>
#include <QString>
#include <functional>
#include <string>

#include "mdlFunctions.h"

namespace mdlFunctions::detail {

// What the operations keep between calls and what start-up or a test wires in. One instance,
// reached through Mod(); touched on the UI thread only.
struct Module {
    std::string mediaFile;
    char mciReply[kReplyLength] = {};
    bool lastOpenFailed = false;
    CommandChannel channel;             // empty: the engine
    MediaWindowState* state = nullptr;  // null: no window to read or write
    std::function<QDateTime()> clock;   // empty: the current time
    QString programFolder;              // empty: the executable's folder
    QString fallbackFolder;             // empty: the user's music folder, else home
    QString stateFolder;                // empty: $XDG_STATE_HOME/Pelto
    MediaEvents events;
    std::function<void(const QString&, const QString&)> reportError;  // empty: a message box
};
Module& Mod();

int Send(const std::string& command);   // no reply
int Query(const std::string& command);  // reply into the shared buffer
std::string Reply();                    // the shared buffer up to its NUL

}  // namespace mdlFunctions::detail
