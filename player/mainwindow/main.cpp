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

}  // namespace

int main(int argc, char** argv) {
    KeepLargeBlocksMapped();
    // The media elements load while Qt starts up: two things that take about as long each.
    mci::warmUp(argc > 1 ? argv[1] : "");
    // Only the video frame needs a native window; native siblings would lose drags and releases.
    QCoreApplication::setAttribute(Qt::AA_DontCreateNativeWidgetSiblings);
    QApplication app(argc, argv);
    // Joined before the first widget: its accessibility bridge connects to the session bus, which
    // without a bus forks a launcher, and a fork while another thread is deep in the loader and in
    // a hundred libraries' constructors is not worth its few milliseconds.
    mci::finishWarmUp();
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
