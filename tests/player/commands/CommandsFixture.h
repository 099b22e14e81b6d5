#pragma once
// A headless main window wired to the recording fake channel, with the settings store in a
// temporary folder, message boxes and the open dialog recorded instead of shown.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "FakeChannel.h"
#include "PeltoSettings.h"
#include "WindowUtils.h"
#include "frmPelto.h"
#include "mdlFunctions.h"
#include "mdlMWheel.h"

using Commands = std::vector<std::string>;

struct ShownBox {
    QString title;
    QString text;
};

inline std::vector<ShownBox>& ShownBoxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

inline int& OpenDialogCalls() {
    static int calls = 0;
    return calls;
}

class CommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WindowUtils::ResetForTests();
        ClearSettings();
        mdlFunctions::SetCommandChannel(fake.channel());
        mdlFunctions::SetMediaFile({});
        mdlMWheel::WheelAccumulator() = 0;
        savedBox = frmPelto::InfoBox;
        savedDialog = frmPelto::OpenDialog;
        frmPelto::InfoBox = [](QWidget*, const QString& title, const QString& text) {
            ShownBoxes().push_back({title, text});
        };
        frmPelto::OpenDialog = [](QWidget*, const QString&) {
            ++OpenDialogCalls();
            return QString();
        };
        ShownBoxes().clear();
        OpenDialogCalls() = 0;
        form = NewWindow();
    }

    void TearDown() override {
        mdlFunctions::SetWindowState(nullptr);
        form.reset();
        mdlFunctions::SetCommandChannel({});
        frmPelto::InfoBox = savedBox;
        frmPelto::OpenDialog = savedDialog;
        WindowUtils::ResetForTests();
    }

    // A freshly loaded main window, as a new run of the program has it.
    std::unique_ptr<frmPelto> NewWindow() {
        auto w = std::make_unique<frmPelto>();
        w->winId();  // native as in a real run, so frame geometry does not change under the test
        mdlFunctions::SetWindowState(w.get());
        w->Form_Load(QString());
        w->Base();  // loading the control bar queries the device; keep that out of the sequences
        fake.clear();
        return w;
    }

    static void ClearSettings() {
        QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Pelto"),
                        QStringLiteral("Pelto"));
        store.remove(QStringLiteral("mPlayStatus"));
        store.sync();
    }
    static QString Setting(const char* key) { return PeltoSettings::GetSetting(QString::fromLatin1(key)); }

    // The device reports this mode and position (ms) from now on.
    void Device(const std::string& mode, int positionMs = 0) {
        fake.reply("status movie mode", mode);
        fake.reply("status movie position wait", std::to_string(positionMs));
        fake.reply("status movie position", std::to_string(positionMs));
    }

    // A medium plays; the point lies on the window itself, away from its controls.
    QPoint PlayingWithPointerInside() {
        form->CurrentFile = QStringLiteral("/media/clip.mpg");
        form->lblStatus->SetCaption(QStringLiteral("Playing"));
        Device("playing");
        return QPoint(form->width() / 2, form->height() - 2);
    }

    // Media keys have no text, which QTest::keyClick cannot simulate: the event is sent as is.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(form.get(), &press);
    }
    void Code(qint16 code) { form->KeyTrace(code); }

    // The commands sent, without the mode queries conditions ask.
    Commands Sent() const {
        Commands out;
        for (const auto& c : fake.sent)
            if (c != "status movie mode") out.push_back(c);
        return out;
    }

    FakeChannel fake;
    std::unique_ptr<frmPelto> form;
    void (*savedBox)(QWidget*, const QString&, const QString&) = nullptr;
    QString (*savedDialog)(QWidget*, const QString&) = nullptr;
};

// Command texts of the seek operations from a position.
inline Commands SecondsStep(int fromMs, int deltaSeconds) {
    return {"set movie time format ms", "set movie time format ms", "status movie position wait",
            "play movie from " + std::to_string(fromMs + deltaSeconds * 1000)};
}
inline Commands FrameStep(int fromFrame, int delta) {
    return {"set movie time format frames", "set movie time format frames wait", "status movie position",
            "play movie from " + std::to_string(fromFrame + delta)};
}
// The paused form: muted around the step, paused after it, sound back only when it was on.
inline Commands PausedStep(const Commands& step, bool soundOn) {
    Commands out{"set movie audio all off"};
    out.insert(out.end(), step.begin(), step.end());
    out.push_back("pause movie");
    if (soundOn) out.push_back("set movie audio all on");
    return out;
}
