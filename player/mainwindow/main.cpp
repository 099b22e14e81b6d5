#include <QApplication>

#include "Main.h"
#include "QuitSignals.h"
#include "frmPelto.h"
#include "mdlFunctions.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("PeltoSE"));
    const QString commandLine = CommandLine(argc, argv);
    frmPelto window;
    mdlFunctions::SetWindowState(&window);
    QuitSignals::Install([&window] { window.Unload(); });
    Main(window, commandLine);
    const int result = QApplication::exec();
    mdlFunctions::SetWindowState(nullptr);
    return result;
}
