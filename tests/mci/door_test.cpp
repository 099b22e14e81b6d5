// The CD door through a stand-in UDisks2 on a private bus taken for the system bus: a mounted
// disc is unmounted before it is ejected, a disc in use is not ejected, and without UDisks2 (or
// when it will not eject) the drive's own ioctls are tried.

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>

#include "CdDoor.h"
#include "mci/mci.h"

namespace {

using mci::DoorPath;

class FakeUDisks {
  public:
    explicit FakeUDisks(const QStringList& options) {
        process_.start(QStringLiteral("/usr/bin/python3"),
                       QStringList{QStringLiteral(PELTO_FAKE_UDISKS), QStringLiteral("sr9")} + options);
        if (!process_.waitForReadyRead(15000) || !process_.readLine().startsWith("ready"))
            ADD_FAILURE() << "fake UDisks2 did not start: " << process_.readAllStandardError().toStdString();
    }
    ~FakeUDisks() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(10000)) process_.kill();
        process_.waitForFinished();
    }
    FakeUDisks(const FakeUDisks&) = delete;
    FakeUDisks& operator=(const FakeUDisks&) = delete;

    QStringList Events() {
        const QDBusMessage reply = QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.UDisks2"), QStringLiteral("/org/pelto/test"),
            QStringLiteral("org.pelto.test.UDisks"), QStringLiteral("Events")));
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).toStringList();
    }

  private:
    QProcess process_;
};

// No such drive exists here, so every ioctl fails: a failure by that path shows it was taken.
const std::string kDrive = "/dev/sr9";

class Door : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(QDBusConnection::systemBus().isConnected()) << "needs a private bus as the system bus";
    }
};

TEST_F(Door, EjectGoesThroughUDisksAndUnmountsFirst) {
    struct Case {
        const char* name;
        QStringList options;
        int code;
        DoorPath path;
        QStringList events;
    };
    const std::vector<Case> cases = {
        {"mounted data disc", {"--mounted"}, mci::Ok, DoorPath::UDisks, {"unmount", "eject"}},
        {"disc not mounted", {}, mci::Ok, DoorPath::UDisks, {"unmount: not mounted", "eject"}},
        {"audio CD, no file system", {"--no-filesystem"}, mci::Ok, DoorPath::UDisks, {"eject"}},
        // the disc is being read: left where it is, no ioctl tried behind its back
        {"mounted and in use",
         {"--mounted", "--busy"},
         mci::ErrHardware,
         DoorPath::UDisks,
         {"unmount: busy"}},
        {"eject not allowed",
         {"--refuse-eject"},
         mci::ErrHardware,
         DoorPath::Ioctl,
         {"unmount: not mounted", "eject: refused"}},
    };
    for (const Case& c : cases) {
        FakeUDisks udisks(c.options);
        const mci::DoorResult result = mci::moveCdDoor(kDrive, false);
        EXPECT_EQ(result.code, c.code) << c.name;
        EXPECT_EQ(result.path, c.path) << c.name;
        EXPECT_EQ(udisks.Events(), c.events) << c.name;
    }
}

TEST_F(Door, ClosingAndAMissingServiceUseTheIoctls) {
    {
        FakeUDisks udisks({"--mounted"});
        const mci::DoorResult closing = mci::moveCdDoor(kDrive, true);
        EXPECT_EQ(closing.path, DoorPath::Ioctl);
        EXPECT_EQ(closing.code, mci::ErrHardware);
        EXPECT_TRUE(udisks.Events().isEmpty());
    }
    const mci::DoorResult alone = mci::moveCdDoor(kDrive, false);
    EXPECT_EQ(alone.path, DoorPath::Ioctl);
    EXPECT_EQ(alone.code, mci::ErrHardware);
}

}  // namespace
