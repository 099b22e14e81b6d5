#include "Main.h"

#include <QFileInfo>

#include "FileNames.h"
#include "WindowUtils.h"
#include "frmPelto.h"

void Main(frmPelto& window, const QString& commandLine) {
    WindowUtils::SetScreenSaverActive(false);
    window.Form_Load(commandLine);
    window.show();
    window.activateWindow();  // keys reach the player at once, also where no window manager hands out focus
    WindowUtils::DisplayOn();
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
