#pragma once
// Module state and the command channel, shared by the files of mdlFunctions only.

#include <QDateTime>
#include <QString>
#include <functional>
#include <string>

#include "mdlFunctions.h"

namespace mdlFunctions::detail {

extern std::string gMediaFile;
extern char gMciReply[kReplyLength];
extern bool gLastOpenFailed;
extern CommandChannel gChannel;
extern MediaWindowState* gState;
extern std::function<QDateTime()> gClock;
extern QString gProgramFolder;
extern QString gFallbackFolder;
extern QString gStateFolder;
extern std::function<void(const QString&, const QString&)> gReportError;

int Send(const std::string& command);   // no reply
int Query(const std::string& command);  // reply into gMciReply
std::string Reply();                    // gMciReply up to its NUL

}  // namespace mdlFunctions::detail
