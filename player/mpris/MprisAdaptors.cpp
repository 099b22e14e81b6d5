#include "MprisAdaptors.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

#include "MprisBridge.h"

MprisRootAdaptor::MprisRootAdaptor(MprisBridge& bridge, const QString& desktopEntry)
    : QDBusAbstractAdaptor(&bridge), bridge_(bridge), desktopEntry_(desktopEntry) {}

bool MprisRootAdaptor::Fullscreen() const {
    return bridge_.Fullscreen();
}
void MprisRootAdaptor::SetFullscreen(bool on) {
    bridge_.SetFullscreen(on);
}
QStringList MprisRootAdaptor::SupportedMimeTypes() const {
    return MprisBridge::SupportedMimeTypes();
}
void MprisRootAdaptor::Raise() {
    bridge_.Raise();
}
void MprisRootAdaptor::Quit() {
    bridge_.Quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisBridge& bridge) : QDBusAbstractAdaptor(&bridge), bridge_(bridge) {
    connect(&bridge, &MprisBridge::Seeked, this, [this](qint64 position) { emit Seeked(position); });
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
    return bridge_.PlaybackStatus();
}
QString MprisPlayerAdaptor::LoopStatus() const {
    return bridge_.LoopStatus();
}
void MprisPlayerAdaptor::SetLoopStatus(const QString& status) {
    bridge_.SetLoopStatus(status);
}
double MprisPlayerAdaptor::Rate() const {
    return bridge_.Rate();
}
void MprisPlayerAdaptor::SetRate(double rate) {
    bridge_.SetRate(rate);
}
QVariantMap MprisPlayerAdaptor::Metadata() const {
    return bridge_.Metadata();
}
double MprisPlayerAdaptor::Volume() const {
    return bridge_.Volume();
}
void MprisPlayerAdaptor::SetVolume(double volume) {
    bridge_.SetVolume(volume);
}
qlonglong MprisPlayerAdaptor::Position() const {
    return bridge_.Position();
}
double MprisPlayerAdaptor::MinimumRate() const {
    return MprisBridge::MinimumRate();
}
double MprisPlayerAdaptor::MaximumRate() const {
    return MprisBridge::MaximumRate();
}
bool MprisPlayerAdaptor::CanPlay() const {
    return bridge_.CanPlay();
}
bool MprisPlayerAdaptor::CanPause() const {
    return bridge_.CanPause();
}
bool MprisPlayerAdaptor::CanSeek() const {
    return bridge_.CanSeek();
}

void MprisPlayerAdaptor::Pause() {
    bridge_.Pause();
}
void MprisPlayerAdaptor::PlayPause() {
    bridge_.PlayPause();
}
void MprisPlayerAdaptor::Stop() {
    bridge_.Stop();
}
void MprisPlayerAdaptor::Play() {
    bridge_.Play();
}
void MprisPlayerAdaptor::Seek(qlonglong Offset) {
    bridge_.Seek(Offset);
}
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
    bridge_.SetPosition(TrackId, Position);
}
// The message comes along so that a refusal can be answered with an error (an adaptor has no
// D-Bus context of its own).
void MprisPlayerAdaptor::OpenUri(const QString& Uri, const QDBusMessage& message) {
    if (bridge_.OpenUri(Uri) || message.type() != QDBusMessage::MethodCallMessage) return;
    message.setDelayedReply(true);
    QDBusConnection::sessionBus().send(message.createErrorReply(
        QDBusError::NotSupported, QStringLiteral("Only local files can be opened: %1").arg(Uri)));
}
