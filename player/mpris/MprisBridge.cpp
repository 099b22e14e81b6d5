#include "MprisBridge.h"

#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "MprisSpeeds.h"
#include "compact/frmBase.h"
#include "frmPelto.h"
#include "mdlFunctions.h"
#include "ptSlider/ctlSlider.h"

namespace {

const QString kPlaying = QStringLiteral("Playing");
const QString kPaused = QStringLiteral("Paused");
const QString kStopped = QStringLiteral("Stopped");

// The command line keeps a quoted path with its quotes; the remote control wants the file.
QString Unquoted(const QString& path) {
    if (path.size() >= 2 && path.startsWith(u'"') && path.endsWith(u'"')) return path.mid(1, path.size() - 2);
    return path;
}

}  // namespace

MprisSpeeds::Speed MprisSpeeds::Nearest(double rate) {
    return *std::min_element(kSpeeds.begin(), kSpeeds.end(), [rate](const Speed& a, const Speed& b) {
        return std::abs(std::log(a.rate / rate)) < std::abs(std::log(b.rate / rate));
    });
}

MprisBridge::MprisBridge(frmPelto& window, QObject* parent) : QObject(parent), window_(window) {
    refresh_.setSingleShot(true);
    refresh_.setInterval(0);
    connect(&refresh_, &QTimer::timeout, this, &MprisBridge::Refresh);
    seeked_.setSingleShot(true);
    seeked_.setInterval(0);
    connect(&seeked_, &QTimer::timeout, this, [this] { emit Seeked(Position()); });

    for (CaptionLabel* c : {window_.lblStatus, window_.cmdPlaym, window_.lblVolume, window_.lblRec})
        connect(c, &CaptionLabel::CaptionChanged, this, &MprisBridge::Later);
    for (QAction* a : {window_.mnuRepeat, window_.mnuFullscreen})
        connect(a, &QAction::toggled, this, &MprisBridge::Later);
    mdlFunctions::SetMediaEvents({[this] { OnOpened(); }, [this] { seeked_.start(); },
                                  [this](qint32 factor) {
                                      rate_ = MprisSpeeds::RateOf(factor);
                                      Later();
                                  }});
    lastPlayer_ = PlayerProperties();
    lastFullscreen_ = Fullscreen();
}

MprisBridge::~MprisBridge() {
    mdlFunctions::SetMediaEvents({});
}

void MprisBridge::Later() {
    refresh_.start();
}

void MprisBridge::OnOpened() {
    // Play after Stop reopens the same file: the same track, not a new one.
    const QString file = QString::fromStdString(mdlFunctions::MediaFile());
    if (track_ == 0 || file != trackFile_) ++track_;
    trackFile_ = file;
    rate_ = 1.0;
    lengthStale_ = true;  // asked once the opening handler has finished
    Later();
}

// --- root ---

bool MprisBridge::Fullscreen() const {
    return window_.mnuFullscreen->isChecked();
}
void MprisBridge::SetFullscreen(bool on) {
    if (on != Fullscreen()) window_.mnuFullscreen_Click();
}
void MprisBridge::Raise() {
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    window_.raise();
    window_.activateWindow();
}
void MprisBridge::Quit() {
    QTimer::singleShot(0, &window_, [w = &window_] { w->mnuExit_Click(); });
}

QStringList MprisBridge::SupportedMimeTypes() {
    return {QStringLiteral("audio/mpeg"),      QStringLiteral("video/mpeg"),
            QStringLiteral("video/x-msvideo"), QStringLiteral("audio/x-wav"),
            QStringLiteral("audio/basic"),     QStringLiteral("audio/midi"),
            QStringLiteral("audio/x-ms-wma"),  QStringLiteral("video/x-ms-wmv"),
            QStringLiteral("video/x-ms-wm"),   QStringLiteral("application/vnd.ms-asf"),
            QStringLiteral("video/x-cdxa")};
}

// --- player state ---

QString MprisBridge::PlaybackStatus() const {
    const QString word = window_.lblStatus->Caption();
    if (word == kPlaying || word == kPaused) return word;
    return kStopped;
}

QDBusObjectPath MprisBridge::TrackId() const {
    if (track_ == 0) return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
    return QDBusObjectPath(QStringLiteral("/io/github/peltose/PeltoSE/Track/%1").arg(track_));
}

QVariantMap MprisBridge::Metadata() const {
    QVariantMap m{{QStringLiteral("mpris:trackid"), QVariant::fromValue(TrackId())}};
    if (track_ == 0) return m;
    const QFileInfo file(Unquoted(window_.CurrentFile));
    m.insert(QStringLiteral("xesam:url"),
             QString::fromUtf8(QUrl::fromLocalFile(file.absoluteFilePath()).toEncoded()));
    m.insert(QStringLiteral("xesam:title"), file.fileName());
    if (lengthMs_ > 0) m.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(lengthMs_) * 1000);
    return m;
}

qint64 MprisBridge::Position() const {
    if (PlaybackStatus() == kStopped) return 0;
    return static_cast<qint64>(mdlFunctions::GetPositionMs()) * 1000;
}

double MprisBridge::Volume() const {
    return std::clamp(mdlFunctions::LeadingNumber(window_.lblVolume->Caption().toStdString()), 0, 100) /
           100.0;
}

double MprisBridge::MinimumRate() {
    return MprisSpeeds::kSpeeds.front().rate;
}
double MprisBridge::MaximumRate() {
    return MprisSpeeds::kSpeeds.back().rate;
}

QString MprisBridge::LoopStatus() const {
    return window_.mnuRepeat->isChecked() ? QStringLiteral("Track") : QStringLiteral("None");
}

bool MprisBridge::CanPlay() const {
    return !window_.CurrentFile.isEmpty() && !window_.RecordingRuns();
}

bool MprisBridge::CanSeek() const {
    return window_.Slider && PlaybackStatus() != kStopped && lengthMs_ > 0;
}

// --- player actions: the handlers of the keys and buttons ---

void MprisBridge::Play() {
    if (CanPlay() && PlaybackStatus() != kPlaying) window_.cmdPlaym_Click();
}
void MprisBridge::Pause() {
    if (PlaybackStatus() == kPlaying) window_.cmdPlaym_Click();
}
void MprisBridge::PlayPause() {
    window_.cmdPlaym_Click();
}
void MprisBridge::Stop() {
    window_.cmdStop_Click();
}

void MprisBridge::Seek(qint64 offsetUs) {
    if (CanSeek()) SeekBarTo(std::max<qint64>(0, Position() + offsetUs));
}

void MprisBridge::SetPosition(const QDBusObjectPath& track, qint64 positionUs) {
    if (!CanSeek() || track != TrackId()) return;
    if (positionUs < 0 || positionUs > static_cast<qint64>(lengthMs_) * 1000) return;
    SeekBarTo(positionUs);
}

// A jump is a click on the seek bar at that second: the same commands, paused stays paused.
void MprisBridge::SeekBarTo(qint64 positionUs) {
    ptSlider::ISlider* bar = window_.Slider;
    const qint64 seconds = std::min<qint64>(positionUs / 1000000, bar->Max());
    bar->setValue(static_cast<qint32>(std::max<qint64>(seconds, bar->Min())));
    window_.Slider_Click();
}

bool MprisBridge::OpenUri(const QString& uri) {
    const QUrl url(uri);
    if (!url.isLocalFile()) return false;
    window_.OpenChosenFile(url.toLocalFile());
    return true;
}

void MprisBridge::SetVolume(double volume) {
    const int level = static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100));
    // The control bar's volume slider applies what it is set to, label and device alike.
    if (ptSlider::ISlider* slider = window_.Base().VolSlider) {
        slider->setValue(level);
        return;
    }
    for (int i = 0; i < 100 && std::lround(Volume() * 100) < level; ++i) window_.mnuVolUp_Click();
    for (int i = 0; i < 100 && std::lround(Volume() * 100) > level; ++i) window_.mnuVolDwon_Click();
}

void MprisBridge::SetRate(double rate) {
    if (!(rate > 0)) {  // a rate of 0 means pause
        Pause();
        return;
    }
    qint16 key = MprisSpeeds::Nearest(rate).key;
    window_.KeyTrace(key);
}

void MprisBridge::SetLoopStatus(const QString& status) {
    if (status != QStringLiteral("None") && status != QStringLiteral("Track") &&
        status != QStringLiteral("Playlist"))
        return;
    if ((status != QStringLiteral("None")) != window_.mnuRepeat->isChecked()) window_.mnuRepeat_Click();
}

// --- announcements ---

QVariantMap MprisBridge::PlayerProperties() const {
    return {{QStringLiteral("PlaybackStatus"), PlaybackStatus()},
            {QStringLiteral("Metadata"), Metadata()},
            {QStringLiteral("Volume"), Volume()},
            {QStringLiteral("Rate"), Rate()},
            {QStringLiteral("LoopStatus"), LoopStatus()},
            {QStringLiteral("CanPlay"), CanPlay()},
            {QStringLiteral("CanPause"), CanPause()},
            {QStringLiteral("CanSeek"), CanSeek()}};
}

void MprisBridge::Refresh() {
    refresh_.stop();
    if (lengthStale_ && PlaybackStatus() != kStopped) {
        lengthMs_ = mdlFunctions::GetLengthMs();
        lengthStale_ = false;
    }
    const QVariantMap now = PlayerProperties();
    QVariantMap changed;
    for (auto it = now.constBegin(); it != now.constEnd(); ++it)
        if (lastPlayer_.value(it.key()) != it.value()) changed.insert(it.key(), it.value());
    lastPlayer_ = now;
    if (!changed.isEmpty()) emit PropertiesChanged(QString::fromLatin1(kPlayerInterface), changed);
    if (Fullscreen() != lastFullscreen_) {
        lastFullscreen_ = Fullscreen();
        emit PropertiesChanged(QString::fromLatin1(kRootInterface),
                               {{QStringLiteral("Fullscreen"), lastFullscreen_}});
    }
}
