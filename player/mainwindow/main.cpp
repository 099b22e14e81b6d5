#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <memory>

#include "Main.h"
#include "MprisService.h"
#include "QuitSignals.h"
#include "frmPelto.h"
#include "mci/mci.h"
#include "mdlFunctions.h"
#include "ptSlider/ControlHost.h"

namespace {

// glibc raises its mmap threshold each time a mapped block is freed, so after the first few frames
// every frame-sized buffer comes from the heap instead, and a player that runs for hours keeps
// what those leave scattered there. Held fixed, blocks of a frame's size stay mapped and go back to
// the system the moment they are freed.
void KeepLargeBlocksMapped() {
#ifdef __GLIBC__
    constexpr int kFrameSized = 1 << 20;
    mallopt(M_MMAP_THRESHOLD, kFrameSized);
#endif
}

// The first widget's accessibility bridge connects to the session bus; with none to be found,
// libdbus forks a launcher. A fork while the warm-up thread is in the loader risks a deadlock: the
// forking thread holds glibc's fork-handler lock and may need the loader's, while a library
// constructor the warm-up runs registers a fork handler. So without a bus the warm-up is
// joined before the first widget.
bool SessionBusNeedsLaunching() {
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) return false;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    return runtime.isEmpty() || ::access((runtime + "/bus").constData(), F_OK) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    KeepLargeBlocksMapped();
    // The media elements load while Qt starts up: two things that take about as long each.
    mci::warmUp(argc > 1 ? argv[1] : "");
    // Only the video frame needs a native window; native siblings would lose drags and releases.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    if (SessionBusNeedsLaunching()) mci::finishWarmUp();
    mci::setOptions(mci::Options::fromEnvironment());
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
    // Qt 6.4's Wayland client can deadlock tearing down its display at exit: its event thread waits
    // for a read the main thread started and never finishes. All of ours is saved and closed by now.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::fflush(nullptr);
        ::_exit(result);
    }
    return result;
}
