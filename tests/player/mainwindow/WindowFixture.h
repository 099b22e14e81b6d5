#pragma once
// A main window wired to a recording fake channel that behaves like a small media device: mode
// words follow play/pause/stop, position and length are settable, a closed device fails queries.

#include <gtest/gtest.h>

#include <QSettings>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "FakeChannel.h"
#include "WindowUtils.h"
#include "frmPelto.h"
#include "mdlFunctions.h"
#include "ptSlider/ControlHost.h"

struct FakeMedia {
    bool open = false;
    bool refuseOpen = false;
    std::string mode = "stopped";
    int lengthMs = 3000;
    int positionMs = 0;
    std::string source = "0 0 320 240";

    bool Answer(const std::string& c, FakeChannel::Answer& a) {
        auto startsWith = [&c](const char* p) { return c.rfind(p, 0) == 0; };
        if (startsWith("open ") && c.find("alias movie") != std::string::npos) {
            open = !refuseOpen;
            a.result = refuseOpen ? 275 : 0;
            mode = "stopped";
            positionMs = 0;
            return true;
        }
        if (c == "close movie" || c == "close all") {
            open = false;
            return true;
        }
        if (!open && c.find(" movie") != std::string::npos) {
            a.result = 263;  // device not open
            return true;
        }
        if (c == "play movie" || c == "resume movie") mode = "playing";
        if (c == "pause movie") mode = "paused";
        if (c == "stop movie") mode = "stopped";
        if (startsWith("play movie from ")) {
            positionMs = std::stoi(c.substr(16));
            mode = "playing";
        }
        if (c == "seek movie to start") positionMs = 0;
        if (startsWith("seek movie to ") && c != "seek movie to start") positionMs = std::stoi(c.substr(14));
        if (c == "status movie mode") a.reply = mode;
        if (c == "where movie source") a.reply = source;
        if (c == "status movie length") a.reply = std::to_string(lengthMs);
        if (c == "status movie position wait") a.reply = std::to_string(positionMs);
        return true;
    }
};

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(config.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        WindowUtils::ResetForTests();
        fake.script = [this](const std::string& c, FakeChannel::Answer& a) { return media.Answer(c, a); };
        mdlFunctions::SetCommandChannel(fake.channel());
        mdlFunctions::SetMediaFile({});
        frmPelto::OpenDialog = [](QWidget*, const QString&) { return DialogAnswer(); };
        DialogAnswer().clear();
        w = std::make_unique<frmPelto>();
        mdlFunctions::SetWindowState(w.get());
    }
    void TearDown() override {
        mdlFunctions::SetWindowState(nullptr);
        w.reset();
        mdlFunctions::SetCommandChannel({});
        // The library's shared widgets must go while the application still exists.
        ptSlider::ControlHost::UnloadIfUnused();
    }

    static QString& DialogAnswer() {
        static QString answer;
        return answer;
    }

    void Store(const QString& key, const QString& value) {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "Pelto", "Pelto");
        s.setValue("mPlayStatus/" + key, value);
    }
    QString Stored(const QString& key) {
        QSettings s(QSettings::IniFormat, QSettings::UserScope, "Pelto", "Pelto");
        return s.value("mPlayStatus/" + key).toString();
    }

    // Opens a medium the way the command line does, then forgets the commands sent so far.
    void Open(const QString& path = "/media/clip.mpg") {
        w->Form_Load(path);
        fake.clear();
    }

    bool Sent(const std::string& command) const {
        return std::find(fake.sent.begin(), fake.sent.end(), command) != fake.sent.end();
    }

    QTemporaryDir config;
    FakeChannel fake;
    FakeMedia media;
    std::unique_ptr<frmPelto> w;
};
