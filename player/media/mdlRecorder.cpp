// The sound recorder of mdlFunctions: one toggle, a wave file named after the time it stopped.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>

#include "MediaWindowState.h"
#include "mdlFunctions.h"
#include "mdlFunctionsInternal.h"

namespace mdlFunctions {
using namespace detail;
namespace {

QString ProgramFolder() {
    return gProgramFolder.isEmpty() ? QCoreApplication::applicationDirPath() : gProgramFolder;
}

// Where recordings go when the program's folder is read-only (an installed program).
QString FallbackFolder() {
    if (!gFallbackFolder.isEmpty()) return gFallbackFolder;
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QDir().mkpath(music)) return music;
    return QDir::homePath();
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
    const std::string name = QFile::encodeName(path).toStdString();
    return Query("save capture " + QuoteFileName(name)) == 0;
}

void SetStatus(const QString& word) {
    if (!gState) return;
    gState->SetMainStatus(word);
    gState->SetCompactStatus(word);
}

}  // namespace

QString RecordingPath(const QDateTime& when) {
    const QString folder = ProgramFolder();
    const QFileInfo info(folder);
    return FreePath(info.isDir() && info.isWritable() ? folder : FallbackFolder(), when);
}

void ToggleRecording() {
    const bool idle = !gState || gState->RecCaption() == QStringLiteral("R");
    if (idle) {
        Query("open new type waveaudio alias capture");
        Query("set capture format tag PCM");
        Query("record capture");
        if (gState) {
            gState->SetRecCaption(QStringLiteral("®"));
            gState->SetRecBackColor(kRed);
        }
        SetStatus(QStringLiteral("Recording"));
        return;
    }
    Query("stop capture");
    const QDateTime when = gClock ? gClock() : QDateTime::currentDateTime();
    const QString first = RecordingPath(when);
    bool saved = SaveTo(first);
    // The program's folder may refuse the file although it looked writable: try the user's folder.
    if (!saved) {
        const QString second = FreePath(FallbackFolder(), when);
        if (second != first) saved = SaveTo(second);
    }
    Query("close capture");
    gState->SetRecCaption(QStringLiteral("R"));
    SetStatus(saved ? QStringLiteral("Recorded") : QString::fromLatin1(kSaveFailed));
    gState->SetRecBackColor(kButtonFace);
}

}  // namespace mdlFunctions
