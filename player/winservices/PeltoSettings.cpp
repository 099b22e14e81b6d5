#include "PeltoSettings.h"

#include <QSettings>

namespace {
QSettings& Store() {
    static QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Pelto"),
                              QStringLiteral("Pelto"));
    return settings;
}
QString Key(const QString& key) {
    return QStringLiteral("mPlayStatus/") + key;
}
}  // namespace

QString PeltoSettings::GetSetting(const QString& key) {
    Store().sync();  // another run may have written since
    return Store().value(Key(key)).toString();
}

void PeltoSettings::SaveSetting(const QString& key, const QString& value) {
    Store().setValue(Key(key), value);
    Store().sync();
}
