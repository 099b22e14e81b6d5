#pragma once
// The per-user settings store: application "Pelto", section "mPlayStatus", text values; a key
// never written reads as empty text. Every write is flushed so it survives any way out.

#include <QString>

namespace PeltoSettings {

QString GetSetting(const QString& key);
void SaveSetting(const QString& key, const QString& value);

}  // namespace PeltoSettings
