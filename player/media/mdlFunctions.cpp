#include "mdlFunctions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "MediaWindowState.h"
#include "mci/mci.h"
#include "mdlFunctionsInternal.h"

namespace mdlFunctions {
namespace detail {

std::string gMediaFile;
char gMciReply[kReplyLength] = {};
bool gLastOpenFailed = false;
CommandChannel gChannel;
MediaWindowState* gState = nullptr;
std::function<QDateTime()> gClock;
QString gProgramFolder;
QString gFallbackFolder;
std::function<void(const QString&, const QString&)> gReportError;

int Send(const std::string& command) {
    if (gChannel) return gChannel(command, nullptr, 0);
    return mci::sendString(command, nullptr, 0);
}

int Query(const std::string& command) {
    gMciReply[0] = '\0';
    if (gChannel) return gChannel(command, gMciReply, kReplyLength);
    return mci::sendString(command, gMciReply, kReplyLength);
}

std::string Reply() {
    return std::string(gMciReply, strnlen(gMciReply, kReplyLength));
}

}  // namespace detail

using namespace detail;

namespace {

std::string Num(qint64 n) {
    return std::to_string(n);
}

QString FromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

// Reads a number as the labels hold it ("80"); false when the text is not a number.
bool LabelNumber(const QString& text, double& value) {
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && !text.trimmed().isEmpty();
}

qint32 RoundHalfEven(double v) {
    double r = std::nearbyint(v);  // default rounding mode: to nearest, ties to even
    if (r >= 2147483647.0) return std::numeric_limits<qint32>::max();
    if (r <= -2147483648.0) return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(r);
}

void ApplyCaption() {
    if (gMediaFile.empty() || !gState) return;
    if (gState->MainWindowState() != 2) gState->SetMainCaption(FromBytes(gMediaFile));
}

// A name that already is one well-formed quoted word is taken as it stands.
bool IsQuotedWord(const std::string& s) {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') return false;
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        if (s[i] == '\\' && (s[i + 1] == '"' || s[i + 1] == '\\') && i + 2 < s.size()) {
            ++i;
        } else if (s[i] == '"') {
            return false;
        }
    }
    // The closing quote must not be escaped.
    size_t backslashes = 0;
    for (size_t i = s.size() - 1; i > 0 && s[i - 1] == '\\'; --i) ++backslashes;
    return backslashes % 2 == 0;
}

}  // namespace

void SetCommandChannel(CommandChannel channel) {
    gChannel = std::move(channel);
}
void SetWindowState(MediaWindowState* state) {
    gState = state;
}
void SetClock(std::function<QDateTime()> now) {
    gClock = std::move(now);
}
void SetProgramFolder(const QString& folder) {
    gProgramFolder = folder;
}
void SetFallbackFolder(const QString& folder) {
    gFallbackFolder = folder;
}
namespace {
MediaEvents gEvents;
void Tell(const std::function<void()>& event) {
    if (event) event();
}
}  // namespace

void SetMediaEvents(MediaEvents events) {
    gEvents = std::move(events);
}

void SetErrorReporter(std::function<void(const QString&, const QString&)> report) {
    gReportError = std::move(report);
}

std::string& MediaFile() {
    return gMediaFile;
}
const char* MciReply() {
    return gMciReply;
}
bool LastOpenFailed() {
    return gLastOpenFailed;
}

// ---------------------------------------------------------------- parsing

qint32 LeadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    double value = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10) {
            value += (text[i] - '0') * scale;
            digits = true;
        }
    }
    if (!digits) return 0;
    return RoundHalfEven(negative ? -value : value);
}

QString ProperCase(const QString& text) {
    QString out = text.toLower();
    bool start = true;
    for (QChar& c : out) {
        if (c.isLetterOrNumber()) {
            if (start) c = c.toUpper();
            start = false;
        } else {
            start = c.isSpace() || c == QLatin1Char('-');
        }
    }
    return out;
}

std::string QuoteFileName(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

// ---------------------------------------------------------------- movie device

void OpenMovie(quintptr parentHandle, const std::string& style) {
    if (gMediaFile.empty() || gMediaFile.front() != '"' || !IsQuotedWord(gMediaFile))
        gMediaFile = QuoteFileName(gMediaFile);
    Send("close movie");
    int rc = Send("open " + gMediaFile + " type mpegvideo alias movie parent " + Num(parentHandle) +
                  " style " + style + " ");
    gLastOpenFailed = rc != 0;
    Tell(gEvents.opened);
}

void PlayMovie() {
    Send("play movie");
    if (gMediaFile.empty() || !gState) return;
    ApplyCaption();
    double volume = 0;
    if (!LabelNumber(gState->VolumeCaption(), volume)) return;
    SetVolume(RoundHalfEven(volume * 10));
    if (gState->MuteCaption() == QStringLiteral("Ø")) MuteAudio();
}

void PauseMovie() {
    Send("pause movie");
    ApplyCaption();
}

void ResumeMovie() {
    Send("resume movie");
    ApplyCaption();
}

void StopMovie() {
    Send("stop movie");
}
void CloseAllDevices() {
    Send("close all");
}

void RewindToStart() {
    Send("seek movie to start");
    PlayMovie();
    Tell(gEvents.jumped);
}

void SeekToSeconds(qint32 seconds) {
    const std::string ms = Num(static_cast<qint64>(seconds) * 1000);
    if (IsPlayingOrPaused()) {
        Send("play movie from " + ms);
    } else if (!IsPlayingOrPaused()) {
        Send("seek movie to " + ms);
    }
    Tell(gEvents.jumped);
}

void StepBackFrames(qint32 n) {
    Send("set movie time format frames");
    qint64 position = GetPositionFrames();
    Send("play movie from " + Num(position - n));
    Tell(gEvents.jumped);
}

void StepForwardFrames(qint32 n) {
    Send("set movie time format frames");
    qint64 position = GetPositionFrames();
    Send("play movie from " + Num(n + position));
    Tell(gEvents.jumped);
}

void StepBackSeconds(qint32 n) {
    Send("set movie time format ms");
    qint64 position = GetPositionMs();
    Send("play movie from " + Num(position - static_cast<qint64>(n) * 1000));
    Tell(gEvents.jumped);
}

void StepForwardSeconds(qint32 n) {
    Send("set movie time format ms");
    qint64 position = GetPositionMs();
    Send("play movie from " + Num(static_cast<qint64>(n) * 1000 + position));
    Tell(gEvents.jumped);
}

void SetVolume(qint32 volume) {
    Send("setaudio movie volume to " + Num(volume));
}

void MuteAudio() {
    Send("set movie audio all off");
    if (gState) gState->ShowCompactMutePicture(true);
}

void UnmuteAudio() {
    Send("set movie audio all on");
    if (gState) gState->ShowCompactMutePicture(false);
}

void SetSpeed(qint32 speed) {
    Send("set movie speed " + Num(speed));
    if (gEvents.speedSet) gEvents.speedSet(speed);
}

void PlaceMovieWindow(qint32 x, qint32 y, qint32 width, qint32 height) {
    Send("put movie window at " + Num(x) + " " + Num(y) + " " + Num(width) + " " + Num(height));
}

bool IsPlayingOrPaused() {
    Query("status movie mode");
    const std::string first6 = Reply().substr(0, 6);
    return first6 == "paused" || first6 == "playin";
}

QString GetMovieMode() {
    Query("status movie mode");
    return ProperCase(QString::fromLocal8Bit(Reply()));
}

QString QuerySourceRect() {
    Query("where movie source");
    return QString::fromLocal8Bit(Reply());
}

void GetSourceSize(qint32& width, qint32& height) {
    const std::string reply = QuerySourceRect().toStdString();
    // Positions are 1-based as in the reply's documented parse; 0 means "not found".
    auto inStr = [&](size_t from, const std::string& s) -> size_t {
        size_t p = s.find(' ', from == 0 ? 0 : from - 1);
        return p == std::string::npos ? 0 : p + 1;
    };
    const size_t b1 = inStr(1, reply);
    const size_t b2 = inStr(b1 + 1, reply);
    const std::string rest = reply.substr(b2);  // the text after b2 (all of it when b2 is 0)
    const size_t b3 = inStr(1, rest);
    width = LeadingNumber(std::string_view(rest).substr(0, b3));
    // Without a third blank the height step fails and keeps its previous value.
    if (b3 > 0) height = LeadingNumber(std::string_view(rest).substr(b3 - 1));
}

qint32 GetLengthMs() {
    Send("set movie time format ms");
    Query("status movie length");
    return LeadingNumber(Reply());
}

qint32 GetLengthSeconds() {
    return GetLengthMs() / 1000;
}

qint32 GetPositionMs() {
    Send("set movie time format ms");
    Query("status movie position wait");
    return LeadingNumber(Reply());
}

qint32 GetPositionSeconds() {
    return GetPositionMs() / 1000;
}

qint32 GetPositionFrames() {
    Send("set movie time format frames wait");
    Query("status movie position");
    return LeadingNumber(Reply());
}

// ---------------------------------------------------------------- time text, CD door

QString FormatDuration(qint32 ms) {
    try {
        const qint64 total = RoundHalfEven(ms / 1000.0);
        const qint64 hours = total >= 0 ? total / 3600 : -((-total + 3599) / 3600);
        const qint64 rest = total % 3600;
        const qint64 minutes = rest >= 0 ? rest / 60 : -((-rest + 59) / 60);
        const qint64 seconds = rest % 60;
        QString text;
        if (hours > 0) text += QString::number(hours) + QLatin1Char(':');
        text += minutes >= 1 ? QString::number(minutes) : QStringLiteral("0");
        text += QLatin1Char(':');
        if (seconds >= 10)
            text += QString::number(seconds);
        else if (seconds >= 1)
            text += QLatin1Char('0') + QString::number(seconds);
        else
            text += QStringLiteral("00");
        return text;
    } catch (const std::exception& e) {
        const QString title = QStringLiteral(" Error");
        if (gReportError)
            gReportError(title, QString::fromLocal8Bit(e.what()));
        else
            QMessageBox(QMessageBox::NoIcon, title, QString::fromLocal8Bit(e.what()), QMessageBox::Ok).exec();
        return QString();
    }
}

QString PositionText() {
    return FormatDuration(GetPositionMs());
}
QString LengthText() {
    return FormatDuration(GetLengthMs());
}
void OpenCdDoor() {
    Send("set cdaudio door open");
}
void CloseCdDoor() {
    Send("set cdaudio door closed");
}

}  // namespace mdlFunctions
