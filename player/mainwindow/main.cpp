#include <QApplication>
#include <memory>

#include "Main.h"
#include "MprisService.h"
#include "QuitSignals.h"
#include "frmPelto.h"
#include "mdlFunctions.h"
#include "ptSlider/ControlHost.h"

int main(int argc, char** argv) {
    // Only the video frame needs a native window; native siblings would lose drags and releases.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PeltoSE"));
    QGuiApplication::setDesktopFileName(QStringLiteral(PELTO_APP_ID));
    const QString commandLine = CommandLine(argc, argv);
    auto window = std::make_unique<frmPelto>();
    mdlFunctions::SetWindowState(window.get());
    QuitSignals::Install([w = window.get()] { w->Unload(); });
    auto mpris = std::make_unique<MprisService>(*window, QStringLiteral(PELTO_APP_ID));
    Main(*window, commandLine);
    const int result = QApplication::exec();
    mpris.reset();
    mdlFunctions::SetWindowState(nullptr);
    window.reset();
    // The control library's shared widgets must go while the application still exists.
    ptSlider::ControlHost::UnloadIfUnused();
    return result;
}
