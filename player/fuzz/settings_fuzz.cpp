// libFuzzer entry: the settings file is outside input (another version, a hand edit, a damaged
// disk). The input becomes the whole settings file; the main window then loads (Top, Left, Vol)
// and the resume key runs (Res, File, mLeft, mTop, Width, Height, FullScreen). Neither may fault.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "frmPelto.h"
#include "mdlFunctions.h"

namespace {

QString gIni;
QApplication* gApp = nullptr;  // both live as long as the process
QTemporaryDir* gDir = nullptr;

// A device that accepts every command and answers numbers: enough for a resume to go through.
int Channel(const std::string& command, char* reply, int length) {
    if (reply && length > 4)
        std::snprintf(reply, static_cast<std::size_t>(length), "%s",
                      command.rfind("status", 0) == 0 ? "1500" : "");
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    gApp = new QApplication(*argc, *argv);
    gDir = new QTemporaryDir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, gDir->path());
    QDir(gDir->path()).mkpath(QStringLiteral("Pelto"));
    gIni = gDir->path() + QStringLiteral("/Pelto/Pelto.ini");
    mdlFunctions::SetCommandChannel(&Channel);
    frmPelto::InfoBox = [](QWidget*, const QString&, const QString&) {};
    frmPelto::OpenDialog = [](QWidget*, const QString&) { return QString(); };
    // Fonts and the like load on first use and stay: load them before the first input, so that the
    // leak check counts only what an input leaves behind.
    { frmPelto warmUp; }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        QFile ini(gIni);
        if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        ini.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    frmPelto window;
    mdlFunctions::SetWindowState(&window);
    window.Form_Load(QString());
    qint16 resume = 67;  // C
    window.KeyTrace(resume);
    mdlFunctions::SetWindowState(nullptr);
    return 0;
}
