// Window services: the CD drive's folder, twips round trips, topmost, the screen-wide pointer.

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <QWindow>

#include "Twips.h"
#include "WindowUtils.h"

#include <X11/Xlib.h>

namespace {

TEST(FindCdDrive, FirstDriveAsItsMountPoint) {
    const QString info =
        "CD-ROM information, Id: cdrom.c 3.20 2003/12/17\n\ndrive name:\t\tsr1\tsr0\n"
        "drive speed:\t\t24\t24\n";
    struct Case {
        const char* name;
        QString info;
        QString mounts;
        QString expected;
    };
    const std::vector<Case> cases = {
        {"mounted", info, "/dev/sda1 / ext4 rw 0 0\n/dev/sr1 /media/cdrom ro 0 0\n", "/media/cdrom/"},
        {"blank in the mount point", info, "/dev/sr1 /media/my\\040disc iso9660 ro 0 0\n", "/media/my disc/"},
        {"root mount keeps one slash", info, "/dev/sr1 / iso9660 ro 0 0\n", "/"},
        {"drive not mounted", info, "/dev/sr0 /media/other iso9660 ro 0 0\n", ""},
        {"no drive", "", "/dev/sr0 /media/cdrom iso9660 ro 0 0\n", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(WindowUtils::FindCdDrive(c.info, c.mounts), c.expected) << c.name;
}

TEST(Twips, ExactValuesRoundTripAndPixelsRoundHalfToEven) {
    ASSERT_DOUBLE_EQ(Twips::PerPixelX(), 15.0);
    QWidget window;
    QWidget child(&window);
    for (QWidget* w : {&window, &child}) {
        Twips::SetRect(w, 1200, 900, 4900, 4490);
        EXPECT_EQ(Twips::Left(w), 1200);
        EXPECT_EQ(Twips::Width(w), 4900);
        EXPECT_EQ(Twips::Height(w), 4490);
        EXPECT_EQ(w->width(), 327);
        EXPECT_EQ(w->height(), 299);
    }
    // Moved by other means, the stored twips no longer match and the pixels count.
    child.resize(100, 10);
    EXPECT_EQ(Twips::Width(&child), 1500);
    EXPECT_EQ(Twips::ToPixelsX(22.5), 2);  // 1.5 px -> 2
    EXPECT_EQ(Twips::ToPixelsX(37.5), 2);  // 2.5 px -> 2
}

TEST(Topmost, OnAndOffKeepTheSameWindowInItsPlace) {
    QWidget window;
    window.setGeometry(120, 90, 327, 299);
    window.show();
    const WId id = window.winId();
    for (bool on : {true, false}) {
        WindowUtils::SetTopmost(&window, on);
        EXPECT_EQ(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), on);
        ASSERT_NE(window.windowHandle(), nullptr);
        EXPECT_EQ(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), on);
        EXPECT_EQ(window.winId(), id);  // keys and the video keep reaching the same window
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.geometry(), QRect(120, 90, 327, 299));
    }
    // Not yet shown: the flag waits for the window to be made.
    QWidget later;
    WindowUtils::SetTopmost(&later, true);
    later.show();
    EXPECT_TRUE(later.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

// What a window list or xdotool shows: _NET_WM_NAME, else WM_NAME.
QByteArray ServerCaption(Display* display, Window id) {
    for (const char* name : {"_NET_WM_NAME", "WM_NAME"}) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(display, id, XInternAtom(display, name, False), 0, 1024, False, AnyPropertyType,
                           &type, &format, &count, &after, &data);
        const QByteArray value(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
        if (data) XFree(data);
        if (type != None) return value;
    }
    return "<none>";
}

TEST(Caption, EmptyAndNamedCaptionsReachTheServerAsSet) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->display() || QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the X server";
    QWidget window;
    window.setWindowTitle(QStringLiteral("Pelto SE"));
    window.show();
    const auto id = static_cast<Window>(window.winId());
    for (const QString& caption :
         {QString(), QStringLiteral("\"/tmp/a b.mpg\""), QString(), QStringLiteral("Pelto SE")}) {
        WindowUtils::SetCaption(&window, caption);
        QCoreApplication::processEvents();
        XSync(x11->display(), False);
        EXPECT_EQ(ServerCaption(x11->display(), id), caption.toUtf8()) << caption.toStdString();
    }
}

TEST(ScreenPointer, ArrowOverridesEveryWindowAndZeroLetsThemChoose) {
    WindowUtils::SetScreenPointer(1);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    WindowUtils::SetScreenPointer(1);
    WindowUtils::SetScreenPointer(0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
