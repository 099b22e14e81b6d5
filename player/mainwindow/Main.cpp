#include "Main.h"

#include <QFile>

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
    for (int i = 1; i < argc; ++i) parts << QFile::decodeName(argv[i]);
    return parts.join(u' ');
}
