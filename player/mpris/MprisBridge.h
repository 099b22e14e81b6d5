#pragma once
// The player as the desktop's remote control sees it. State is read from the controls that
// hold it (status word, Play caption, volume label, check marks); every action runs the handler
// a key, menu entry or button runs, so the commands sent stay the same. Changes are gathered on
// the event loop and announced once, as changed property values per interface.

#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>

class frmPelto;

class MprisBridge : public QObject {
    Q_OBJECT

  public:
    static constexpr const char* kRootInterface = "org.mpris.MediaPlayer2";
    static constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";

    explicit MprisBridge(frmPelto& window, QObject* parent = nullptr);
    ~MprisBridge() override;

    // --- root ---
    bool Fullscreen() const;
    void SetFullscreen(bool on);
    void Raise();
    void Quit();  // after the reply has gone out: the quit key's route
    static QStringList SupportedMimeTypes();

    // --- player state ---
    QString PlaybackStatus() const;  // "Playing", "Paused", "Stopped"
    QVariantMap Metadata() const;
    QDBusObjectPath TrackId() const;
    qint64 Position() const;  // microseconds, asked of the device
    double Volume() const;
    double Rate() const { return rate_; }
    static double MinimumRate();
    static double MaximumRate();
    QString LoopStatus() const;
    bool CanPlay() const;
    bool CanPause() const { return CanPlay(); }
    bool CanSeek() const;

    // --- player actions ---
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Seek(qint64 offsetUs);
    void SetPosition(const QDBusObjectPath& track, qint64 positionUs);
    bool OpenUri(const QString& uri);  // false: not a local file
    void SetVolume(double volume);
    void SetRate(double rate);
    void SetLoopStatus(const QString& status);

    // Gathers what changed since the last announcement and announces it now.
    void Refresh();

  signals:
    void PropertiesChanged(const QString& interfaceName, const QVariantMap& changed);
    void Seeked(qint64 positionUs);

  private:
    QVariantMap PlayerProperties() const;
    void Later();
    void OnOpened();
    void SeekBarTo(qint64 positionUs);

    frmPelto& window_;
    QTimer refresh_;     // coalesces the changes of one handler into one announcement
    QTimer seeked_;      // likewise for jumps: a paused step is several commands, one jump
    double rate_ = 1.0;  // the device cannot be asked; a new medium starts at normal speed
    int track_ = 0;      // 0: no medium opened yet
    QString trackFile_;
    bool lengthStale_ = false;
    qint32 lengthMs_ = 0;
    QVariantMap lastPlayer_;
    bool lastFullscreen_ = false;
};
