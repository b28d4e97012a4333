#pragma once

#include <QString>
#include <utility>
#include <vector>

namespace kelvarn {

// The settings file "KV.INI": section "KV", key "COM" holds the chosen port
// number; section "Ports" maps port names to serial devices on systems
// without COM names ("COM3=/dev/ttyUSB0").
//
// It lives in the folder named by the environment variable
// KELVARN_CONFIG_DIR when that is set (tests point it at a temporary
// folder), otherwise in the user's configuration folder + "/kelvarn"
// (~/.config/kelvarn/KV.INI on Linux). Section and key names are matched
// without regard to case, as profile files always were.
QString SettingsFolder();
QString SettingsFilePath();

// A value of the file, or an empty text when it is missing.
QString ReadSetting(const QString& section, const QString& key);
// Writes one value, keeping every other line of the file; the folder is
// created when needed. false when the file could not be written.
bool WriteSetting(const QString& section, const QString& key, const QString& value);

// Every "key=value" of a section, in the file's order (comments left out).
std::vector<std::pair<QString, QString>> ReadSection(const QString& section);

// "COM" of section "KV": -1 when the file or key is missing or the text is
// not an integer.
int ReadStoredPort();
bool WriteStoredPort(int n);

}  // namespace kelvarn
