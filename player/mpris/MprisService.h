#pragma once
// Puts the player on the session bus as an MPRIS media player: org.mpris.MediaPlayer2.peltose,
// or with an .instance<pid> suffix when another copy holds that name. Without a session bus the
// player runs as before.

#include <QString>
#include <memory>

class frmPelto;
class MprisBridge;

class MprisService {
  public:
    MprisService(frmPelto& window, const QString& desktopEntry);
    ~MprisService();
    MprisService(const MprisService&) = delete;
    MprisService& operator=(const MprisService&) = delete;

    QString BusName() const { return busName_; }  // empty when not on a bus

  private:
    std::unique_ptr<MprisBridge> bridge_;
    QString busName_;
};
