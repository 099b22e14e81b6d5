// The screen-saver hold against stand-ins of the desktop services on a private session bus: which
// service in the chain takes it, that it is given back, and that a dying player lets go.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <csignal>
#include <memory>

#include "ScreenSaver.h"
#include "WindowUtils.h"

namespace {

using Holder = ScreenSaver::Holder;

struct Kind {
    const char* name;
    const char* service;
    const char* path;
};
constexpr Kind kPortal{"portal", "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop"};
constexpr Kind kSaver{"screensaver", "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"};
constexpr Kind kPower{"powermanagement", "org.freedesktop.PowerManagement",
                      "/org/freedesktop/PowerManagement/Inhibit"};
constexpr Kind kGnome{"gnome", "org.gnome.SessionManager", "/org/gnome/SessionManager"};

const QString kTestInterface = QStringLiteral("org.pelto.test.Inhibitor");

class Relay : public QObject {
    Q_OBJECT
  signals:
    void changed(uint held);
  public slots:
    void onChanged(uint held) { emit changed(held); }
};

// One stand-in service, alive as long as this object.
class Fake {
  public:
    explicit Fake(const Kind& kind, bool refuse = false) : kind_(kind) {
        QStringList args{QStringLiteral(PELTO_FAKE_INHIBITOR), QLatin1String(kind.name)};
        if (refuse) args << QStringLiteral("--refuse");
        process_.start(QStringLiteral("/usr/bin/python3"), args);
        if (!process_.waitForReadyRead(15000) || !process_.readLine().startsWith("ready"))
            ADD_FAILURE() << kind.name << " did not start: " << process_.readAllStandardError().toStdString();
        // Any sender: the names pass from one stand-in to the next during the run.
        QDBusConnection::sessionBus().connect(QString(), QLatin1String(kind.path), kTestInterface,
                                              QStringLiteral("Changed"), &relay_, SLOT(onChanged(uint)));
        Held();  // the match rule reaches the bus before any later call does
    }
    ~Fake() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) process_.kill();
        process_.waitForFinished();
    }
    Fake(const Fake&) = delete;
    Fake& operator=(const Fake&) = delete;

    uint Held() { return Ask(QStringLiteral("Held")).toUInt(); }
    QStringList Events() { return Ask(QStringLiteral("Events")).toStringList(); }
    // Waits for the service to report the given number of holds, by its own signal.
    bool WaitHeld(uint held) {
        QSignalSpy spy(&relay_, &Relay::changed);
        QDeadlineTimer deadline(15000);
        while (Held() != held)
            if (deadline.hasExpired() || !spy.wait(static_cast<int>(deadline.remainingTime()))) return false;
        return true;
    }

  private:
    QVariant Ask(const QString& method) {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            QLatin1String(kind_.service), QLatin1String(kind_.path), kTestInterface, method));
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
            << kind_.name << ": " << reply.errorMessage().toStdString();
        return reply.arguments().value(0);
    }

    Kind kind_;
    QProcess process_;
    Relay relay_;
};

class ScreenSaverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "needs a private session bus";
        ASSERT_EQ(ScreenSaver::CurrentHolder(), Holder::None);
    }
    void TearDown() override { ScreenSaver::Release(); }
};

TEST_F(ScreenSaverTest, FirstServiceInTheChainHoldsAndGetsItBack) {
    struct Case {
        std::vector<Kind> running;
        Holder expected;
        QString inhibitEvent;
    };
    const std::vector<Case> cases = {
        {{kPortal, kSaver, kPower, kGnome}, Holder::Portal, "inhibit flags=8 reason=Playing media"},
        {{kSaver, kPower, kGnome}, Holder::FreedesktopScreenSaver, "inhibit PeltoSE Playing media"},
        {{kPower, kGnome}, Holder::PowerManagement, "inhibit PeltoSE Playing media"},
        {{kGnome}, Holder::GnomeSession, "inhibit PeltoSE xid=0 Playing media flags=8"},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<Fake>> fakes;
        for (const Kind& k : c.running) fakes.push_back(std::make_unique<Fake>(k));
        SCOPED_TRACE(c.running.front().name);
        EXPECT_TRUE(WindowUtils::SetScreenSaverActive(false));
        EXPECT_EQ(ScreenSaver::CurrentHolder(), c.expected);
        EXPECT_TRUE(WindowUtils::SetScreenSaverActive(false));  // a second call takes no second hold
        EXPECT_EQ(fakes.front()->Held(), 1u);
        for (size_t i = 1; i < fakes.size(); ++i) EXPECT_EQ(fakes[i]->Held(), 0u) << c.running[i].name;
        EXPECT_TRUE(WindowUtils::SetScreenSaverActive(true));
        EXPECT_EQ(ScreenSaver::CurrentHolder(), Holder::None);
        EXPECT_EQ(fakes.front()->Events(), QStringList({c.inhibitEvent, QStringLiteral("release")}));
    }
}

TEST_F(ScreenSaverTest, AServiceThatRefusesPassesTheHoldOn) {
    Fake portal(kPortal, true);
    Fake saver(kSaver, true);
    Fake gnome(kGnome);
    EXPECT_TRUE(ScreenSaver::Inhibit());
    EXPECT_EQ(ScreenSaver::CurrentHolder(), Holder::GnomeSession);
    EXPECT_EQ(gnome.Held(), 1u);
}

TEST_F(ScreenSaverTest, ReleaseToAServiceThatForgotTheHoldStillClearsIt) {
    {
        Fake saver(kSaver);
        ASSERT_TRUE(ScreenSaver::Inhibit());
    }
    Fake restarted(kSaver);
    EXPECT_FALSE(ScreenSaver::Release());
    EXPECT_EQ(ScreenSaver::CurrentHolder(), Holder::None);
    EXPECT_TRUE(ScreenSaver::Inhibit());  // and a new hold is taken, not the stale one assumed
    EXPECT_EQ(restarted.Held(), 1u);
}

// Without any service: the X server's own switch where there is one, else nothing to hold.
TEST_F(ScreenSaverTest, WithoutServicesOnlyX11Remains) {
    const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
    EXPECT_EQ(ScreenSaver::Inhibit(), x11);
    EXPECT_EQ(ScreenSaver::CurrentHolder(), x11 ? Holder::X11 : Holder::None);
    EXPECT_EQ(ScreenSaver::Release(), x11);
    EXPECT_EQ(ScreenSaver::CurrentHolder(), Holder::None);
}

// The real player holds the screen saver while it runs, gives it back when it ends and loses it
// when it is killed.
TEST_F(ScreenSaverTest, PlayerReleasesOnEndAndByDying) {
    Fake saver(kSaver);
    QTemporaryDir config;
    for (int sig : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(sig);
        QProcess player;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        player.setProcessEnvironment(env);
        const qsizetype before = saver.Events().size();
        player.start(QStringLiteral(PELTO_PLAYER), {});
        ASSERT_TRUE(saver.WaitHeld(1)) << player.readAllStandardError().toStdString();
        ::kill(static_cast<pid_t>(player.processId()), sig);
        ASSERT_TRUE(saver.WaitHeld(0));
        // It may have been seen to end already, while the hold was awaited.
        ASSERT_TRUE(player.state() == QProcess::NotRunning || player.waitForFinished(15000));
        EXPECT_EQ(player.exitStatus(), sig == SIGTERM ? QProcess::NormalExit : QProcess::CrashExit);
        EXPECT_EQ(saver.Events().mid(before),
                  QStringList({QStringLiteral("inhibit PeltoSE Playing media"),
                               QLatin1String(sig == SIGTERM ? "release" : "holder gone")}));
    }
}

}  // namespace

#include "ScreenSaver_test.moc"
