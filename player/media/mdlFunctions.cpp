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

Module& Mod() {
    static Module module;
    return module;
}

int Send(const std::string& command) {
    if (Mod().channel) return Mod().channel(command, nullptr, 0);
    return mci::sendString(command, nullptr, 0);
}

int Query(const std::string& command) {
    Module& m = Mod();
    m.mciReply[0] = '\0';
    if (m.channel) return m.channel(command, m.mciReply, kReplyLength);
    return mci::sendString(command, m.mciReply, kReplyLength);
}

std::string Reply() {
    return std::string(Mod().mciReply, strnlen(Mod().mciReply, kReplyLength));
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

void ApplyCaption() {
    const Module& m = Mod();
    if (m.mediaFile.empty() || !m.state) return;
    if (m.state->MainWindowState() != 2) m.state->SetMainCaption(FromBytes(m.mediaFile));
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
    Mod().channel = std::move(channel);
}
void SetWindowState(MediaWindowState* state) {
    Mod().state = state;
}
void SetClock(std::function<QDateTime()> now) {
    Mod().clock = std::move(now);
}
void SetProgramFolder(const QString& folder) {
    Mod().programFolder = folder;
}
void SetFallbackFolder(const QString& folder) {
    Mod().fallbackFolder = folder;
}
namespace {
void Tell(const std::function<void()>& event) {
    if (event) event();
}
}  // namespace

void SetMediaEvents(MediaEvents events) {
    Mod().events = std::move(events);
}

void SetStateFolder(const QString& folder) {
    Mod().stateFolder = folder;
}
void SetErrorReporter(std::function<void(const QString&, const QString&)> report) {
    Mod().reportError = std::move(report);
}

const std::string& MediaFile() {
    return Mod().mediaFile;
}
void SetMediaFile(std::string name) {
    Mod().mediaFile = std::move(name);
}
const char* MciReply() {
    return Mod().mciReply;
}
bool LastOpenFailed() {
    return Mod().lastOpenFailed;
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

std::optional<double> Number(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    // Qt reads "inf" and "nan" too; no label or setting means those.
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

qint32 RoundHalfEven(double v) {
    if (std::isnan(v)) return 0;
    const double r = std::nearbyint(v);  // default rounding mode: to nearest, ties to even
    if (r >= 2147483647.0) return std::numeric_limits<qint32>::max();
    if (r <= -2147483648.0) return std::numeric_limits<qint32>::min();
    return static_cast<qint32>(r);
}

std::optional<qint32> WholeNumber(const QString& text) {
    const auto v = Number(text);
    if (!v || std::abs(*v) > 2147483647.0) return std::nullopt;
    return RoundHalfEven(*v);
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
    std::string& file = Mod().mediaFile;
    if (file.empty() || file.front() != '"' || !IsQuotedWord(file)) file = QuoteFileName(file);
    Send("close movie");
    int rc = Send("open " + file + " type mpegvideo alias movie parent " + std::to_string(parentHandle) +
                  " style " + style + " ");
    Mod().lastOpenFailed = rc != 0;
    Tell(Mod().events.opened);
}

void PlayMovie() {
    Send("play movie");
    if (Mod().mediaFile.empty() || !Mod().state) return;
    ApplyCaption();
    const auto volume = Number(Mod().state->VolumeCaption());
    if (!volume) return;
    SetVolume(RoundHalfEven(*volume * 10));
    if (Mod().state->MuteCaption() == QStringLiteral("Ø")) MuteAudio();
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
    Tell(Mod().events.jumped);
}

void SeekToSeconds(qint32 seconds) {
    const std::string ms = Num(static_cast<qint64>(seconds) * 1000);
    // A frame step leaves the device counting frames until the next tick sets milliseconds again,
    // and a seek-bar drag stops the tick: the value would be read as frames.
    Send("set movie time format ms");
    if (IsPlayingOrPaused()) {
        Send("play movie from " + ms);
    } else if (!IsPlayingOrPaused()) {
        Send("seek movie to " + ms);
    }
    Tell(Mod().events.jumped);
}

void StepBackFrames(qint32 n) {
    Send("set movie time format frames");
    qint64 position = GetPositionFrames();
    Send("play movie from " + Num(position - n));
    Tell(Mod().events.jumped);
}

void StepForwardFrames(qint32 n) {
    Send("set movie time format frames");
    qint64 position = GetPositionFrames();
    Send("play movie from " + Num(n + position));
    Tell(Mod().events.jumped);
}

void StepBackSeconds(qint32 n) {
    Send("set movie time format ms");
    qint64 position = GetPositionMs();
    Send("play movie from " + Num(position - static_cast<qint64>(n) * 1000));
    Tell(Mod().events.jumped);
}

void StepForwardSeconds(qint32 n) {
    Send("set movie time format ms");
    qint64 position = GetPositionMs();
    Send("play movie from " + Num(static_cast<qint64>(n) * 1000 + position));
    Tell(Mod().events.jumped);
}

void SetVolume(qint32 volume) {
    Send("setaudio movie volume to " + Num(volume));
}

void MuteAudio() {
    Send("set movie audio all off");
    if (Mod().state) Mod().state->ShowCompactMutePicture(true);
}

void UnmuteAudio() {
    Send("set movie audio all on");
    if (Mod().state) Mod().state->ShowCompactMutePicture(false);
}

void SetSpeed(qint32 speed) {
    Send("set movie speed " + Num(speed));
    if (Mod().events.speedSet) Mod().events.speedSet(speed);
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
        if (Mod().reportError)
            Mod().reportError(title, QString::fromLocal8Bit(e.what()));
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
