#include "PeltoSettings.h"

#include <QSettings>

namespace {
// A fresh store per access: reads see what another run wrote, and the file's place follows
// QSettings::setPath (tests point it at a temporary folder).
QSettings Store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Pelto"),
                     QStringLiteral("Pelto"));
}
QString Key(const QString& key) {
    return QStringLiteral("mPlayStatus/") + key;
}
}  // namespace

QString PeltoSettings::GetSetting(const QString& key) {
    return Store().value(Key(key)).toString();
}

void PeltoSettings::SaveSetting(const QString& key, const QString& value) {
    QSettings store = Store();
    store.setValue(Key(key), value);
    store.sync();
}
