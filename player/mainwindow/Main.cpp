#include "Main.h"

#include <QFileInfo>
#include <QTimer>

#include "FileNames.h"
#include "ModalBox.h"
#include "WindowUtils.h"
#include "frmPelto.h"
#include "mdlFunctions.h"

namespace {

// A recording the last run did not live to save is saved now; the user hears of it once.
void TellOfRescuedRecordings(frmPelto& window) {
    const QStringList saved = mdlFunctions::RescueRecordings();
    if (saved.isEmpty()) return;
    const QString text = saved.size() == 1 ? QStringLiteral(
                                                 "A recording that was not saved when the player last ended "
                                                 "has been saved as:\n%1")
                                                 .arg(saved.first())
                                           : QStringLiteral(
                                                 "Recordings that were not saved when the player last ended "
                                                 "have been saved as:\n%1")
                                                 .arg(saved.join(u'\n'));
    // After start-up, so that the window is up and the start does not wait for the user.
    QTimer::singleShot(
        0, &window, [&window, text] { ShowBoxAndRefocus(window, QStringLiteral("Sound Recorder"), text); });
}

}  // namespace

void Main(frmPelto& window, const QString& commandLine) {
    WindowUtils::SetScreenSaverActive(false);
    window.Form_Load(commandLine);
    window.show();
    window.activateWindow();  // keys reach the player at once, also where no window manager hands out focus
    WindowUtils::DisplayOn();
    TellOfRescuedRecordings(window);
}

QString CommandLine(int argc, char** argv) {
    QStringList parts;
    for (int i = 1; i < argc; ++i) parts << FileNames::Decode(argv[i]);
    const QString joined = parts.join(u' ');
    // A desktop launch hands several chosen files as arguments of their own: as with a drop, the
    // first plays. A path with blanks typed without quotes still arrives whole.
    if (parts.size() > 1 && !QFileInfo::exists(joined) && QFileInfo::exists(parts.first()))
        return parts.first();
    return joined;
}
