#pragma once
// The remote control on a headless main window over the recording fake: what it sends is
// compared with what the keys and buttons send in the same state.

#include <QSignalSpy>
#include <QUrl>
#include <functional>
#include <memory>

#include "CommandsFixture.h"
#include "MprisBridge.h"
#include "compact/frmBase.h"
#include "ptSlider/ctlSlider.h"

class MprisTest : public CommandsTest {
  protected:
    void SetUp() override {
        CommandsTest::SetUp();
        bridge = std::make_unique<MprisBridge>(*form);
    }
    void TearDown() override {
        bridge.reset();
        CommandsTest::TearDown();
    }

    // A 60 s medium opened from the open dialog's path, playing at 12.5 s.
    void OpenPlaying() {
        fake.reply("status movie length", "60000");
        Device("playing", 12500);
        form->OpenChosenFile(QStringLiteral("/media/clip one.mpg"));
        QCoreApplication::processEvents();  // the announcement after the opening
    }
    void MakePaused() {
        Device("paused", 12500);
        form->cmdPlaym_Click();
        QCoreApplication::processEvents();
    }

    // The commands one action sends, from a freshly opened medium in the given state each time.
    Commands Run(const std::function<void()>& action, bool paused) {
        bridge.reset();
        form = NewWindow();
        bridge = std::make_unique<MprisBridge>(*form);
        OpenPlaying();
        if (paused) MakePaused();
        QCoreApplication::processEvents();
        fake.clear();
        action();
        return Sent();
    }

    // The properties announced for an interface since the spy started, merged.
    static QVariantMap Announced(const QSignalSpy& spy, const char* interfaceName) {
        QVariantMap all;
        for (const auto& args : spy) {
            if (args.at(0).toString() != QLatin1String(interfaceName)) continue;
            const QVariantMap changed = args.at(1).toMap();
            for (auto it = changed.constBegin(); it != changed.constEnd(); ++it)
                all.insert(it.key(), it.value());
        }
        return all;
    }

    std::unique_ptr<MprisBridge> bridge;
};
