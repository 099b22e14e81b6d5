// The sound recorder of mdlFunctions: one toggle, a wave file named after the time it stopped.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include "MediaWindowState.h"
#include "mci/mci.h"
#include "mdlFunctions.h"
#include "mdlFunctionsInternal.h"

namespace mdlFunctions {
using namespace detail;
namespace {

QString ProgramFolder() {
    return Mod().programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : Mod().programFolder;
}

// Where recordings go when the program's folder is read-only (an installed program).
QString FallbackFolder() {
    if (!Mod().fallbackFolder.isEmpty()) return Mod().fallbackFolder;
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QDir().mkpath(music)) return music;
    return QDir::homePath();
}

// A recording lives here while it runs, so that one the program did not live to save is found again.
QString StateFolder() {
    if (!Mod().stateFolder.isEmpty()) return Mod().stateFolder;
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Pelto");
}

std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString Join(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// "pt" + d_m_yy_h_m_s + the locale's designator before or after noon.
QString BaseName(const QDateTime& when) {
    const QDate d = when.date();
    const QTime t = when.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    const QLocale locale = QLocale::system();
    const QString designator = t.hour() < 12 ? locale.amText() : locale.pmText();
    return QStringLiteral("pt%1_%2_%3_%4_%5_%6%7")
        .arg(d.day())
        .arg(d.month())
        .arg(d.year() % 100, 2, 10, QLatin1Char('0'))
        .arg(hour12)
        .arg(t.minute())
        .arg(t.second())
        .arg(designator);
}

// The first name in folder that no file has yet: a later recording never overwrites an earlier one.
QString FreePath(const QString& folder, const QDateTime& when) {
    const QString base = BaseName(when);
    QString path = Join(folder, base + QStringLiteral(".wav"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = Join(folder, base + QStringLiteral("_%1.wav").arg(n));
    return path;
}

bool SaveTo(const QString& path) {
    return Query("save capture " + QuoteFileName(Bytes(path))) == 0;
}

void SetStatus(const QString& word) {
    if (!Mod().state) return;
    Mod().state->SetMainStatus(word);
    Mod().state->SetCompactStatus(word);
}

}  // namespace

QString RecordingPath(const QDateTime& when) {
    const QString folder = ProgramFolder();
    const QFileInfo info(folder);
    return FreePath(info.isDir() && info.isWritable() ? folder : FallbackFolder(), when);
}

void ToggleRecording() {
    MediaWindowState* const window = Mod().state;
    const bool idle = !window || window->RecCaption() == QStringLiteral("R");
    if (idle) {
        mci::setRecordingFolder(Bytes(StateFolder()));
        const bool opened = Query("open new type waveaudio alias capture") == 0;
        Query("set capture format tag PCM");
        // No input, no sound server, no room for the file: say so now, not with "Save failed" at the end.
        if (!opened || Query("record capture") != 0) {
            Query("close capture");
            SetStatus(QString::fromLatin1(kCannotRecord));
            return;
        }
        if (window) {
            window->SetRecCaption(QStringLiteral("®"));
            window->SetRecBackColor(kRed);
        }
        SetStatus(QStringLiteral("Recording"));
        return;
    }
    Query("stop capture");
    const QDateTime when = Mod().clock ? Mod().clock() : QDateTime::currentDateTime();
    const QString first = RecordingPath(when);
    bool saved = SaveTo(first);
    // The program's folder may refuse the file although it looked writable: try the user's folder.
    if (!saved) {
        const QString second = FreePath(FallbackFolder(), when);
        if (second != first) saved = SaveTo(second);
    }
    Query("close capture");
    window->SetRecCaption(QStringLiteral("R"));
    SetStatus(saved ? QStringLiteral("Recorded") : QString::fromLatin1(kSaveFailed));
    window->SetRecBackColor(kButtonFace);
}

QStringList RescueRecordings() {
    const std::string folder = Bytes(StateFolder());
    const auto toLocal = [](std::time_t t) { return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(t)); };
    const auto usual =
        mci::rescueRecordings(folder, [&](std::time_t t) { return Bytes(RecordingPath(toLocal(t))); });
    // The program's folder may refuse the file although it looked writable: what is left goes to the user's.
    const auto fallback = mci::rescueRecordings(
        folder, [&](std::time_t t) { return Bytes(FreePath(FallbackFolder(), toLocal(t))); });
    QStringList saved;
    for (const auto* list : {&usual, &fallback})
        for (const auto& path : *list) saved << QFile::decodeName(QByteArray::fromStdString(path));
    return saved;
}

}  // namespace mdlFunctions
