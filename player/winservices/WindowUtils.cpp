#include "WindowUtils.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include "ScreenSaver.h"
#include "X11Calls.h"

namespace {

bool ending = false;
int screenPointer = 0;

// Octal escapes in /proc/self/mounts ("\040" for a blank).
QString UnescapeMountField(const QString& field) {
    QString out;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == u'\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += QChar(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

}  // namespace

void WindowUtils::SetTopmost(QWidget* window, bool on) {
    if (!window) return;
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    // Changing the widget's flags would re-create its native window: a new window id, and the
    // window unmapped and mapped again. Tell the existing window instead.
    window->overrideWindowFlags(flags);
    if (!window->testAttribute(Qt::WA_WState_Created)) return;  // the flags apply when it is made
    if (QWindow* handle = window->windowHandle()) {
        handle->setFlags(flags);
        X11Calls::SetAboveWithoutWindowManager(handle->winId(), on);
    }
    if (on) window->raise();
}

bool WindowUtils::SetScreenSaverActive(bool active) {
    return active ? ScreenSaver::Release() : ScreenSaver::Inhibit();
}

void WindowUtils::DisplayOn() {
    X11Calls::ResetScreenSaver();
}

void WindowUtils::EndProgram() {
    if (ending) return;
    ending = true;
    SetScreenSaverActive(true);
    // Forms are top-level widgets marked as such; closing the main window runs its unload.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->property("peltoForm").toBool()) continue;
        w->hide();
        w->close();
    }
    QCoreApplication::exit(0);
}

bool WindowUtils::Ending() {
    return ending;
}
void WindowUtils::ResetForTests() {
    ending = false;
    SetScreenPointer(0);
}

QString WindowUtils::FindCdDrive() {
    QFile info(QStringLiteral("/proc/sys/dev/cdrom/info"));
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    QString infoText, mountsText;
    if (info.open(QIODevice::ReadOnly)) infoText = QString::fromLocal8Bit(info.readAll());
    if (mounts.open(QIODevice::ReadOnly)) mountsText = QString::fromLocal8Bit(mounts.readAll());
    return FindCdDrive(infoText, mountsText);
}

QString WindowUtils::FindCdDrive(const QString& cdromInfo, const QString& mounts) {
    QString drive;
    for (const QString& line : cdromInfo.split(u'\n')) {
        if (!line.startsWith(QStringLiteral("drive name:"))) continue;
        const QStringList names = line.mid(11).split(u'\t', Qt::SkipEmptyParts);
        const QStringList trimmed =
            names.isEmpty() ? QStringList() : names.first().split(u' ', Qt::SkipEmptyParts);
        if (!trimmed.isEmpty()) drive = trimmed.first();
        break;
    }
    if (drive.isEmpty()) return {};
    const QString device = QStringLiteral("/dev/") + drive;
    for (const QString& line : mounts.split(u'\n')) {
        const QStringList fields = line.split(u' ');
        if (fields.size() < 2 || UnescapeMountField(fields[0]) != device) continue;
        QString mountPoint = UnescapeMountField(fields[1]);
        if (!mountPoint.endsWith(u'/')) mountPoint += u'/';
        return mountPoint;
    }
    return {};
}

void WindowUtils::SetScreenPointer(int pointer) {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    screenPointer = pointer;
    if (pointer == 1) QApplication::setOverrideCursor(Qt::ArrowCursor);
}

int WindowUtils::ScreenPointer() {
    return screenPointer;
}

void WindowUtils::DragWindow(QWidget* window) {
    if (QWindow* handle = window ? window->windowHandle() : nullptr) handle->startSystemMove();
}

void WindowUtils::SetCaption(QWidget* window, const QString& caption) {
    if (!window) return;
    window->setWindowTitle(caption);
    if (!caption.isEmpty() || !window->testAttribute(Qt::WA_WState_Created)) return;
    X11Calls::ClearCaption(window->winId());
}
