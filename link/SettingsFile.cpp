#include "link/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

namespace kelvarn {

namespace {

QStringList ReadLines() {
    QFile f(SettingsFilePath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    QString text = QString::fromUtf8(f.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

// "[name]" gives name, anything else an empty text.
QString SectionName(const QString& line) {
    const QString t = line.trimmed();
    if (t.size() >= 2 && t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed();
    return {};
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The key of "key=value" (comments and other lines give an empty text).
QString KeyOf(const QString& line) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char(';'))) return {};
    const int eq = t.indexOf(QLatin1Char('='));
    return eq > 0 ? t.left(eq).trimmed() : QString();
}

}  // namespace

QString SettingsFolder() {
    QString fromEnv = qEnvironmentVariable("KELVARN_CONFIG_DIR");
    if (!fromEnv.isEmpty()) return fromEnv;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/kelvarn");
}

QString SettingsFilePath() {
    return SettingsFolder() + QStringLiteral("/KV.INI");
}

QString ReadSetting(const QString& section, const QString& key) {
    bool inSection = false;
    for (const QString& line : ReadLines()) {
        const QString name = SectionName(line);
        if (!name.isEmpty()) {
            inSection = SameName(name, section);
            continue;
        }
        if (inSection && SameName(KeyOf(line), key)) {
            const QString t = line.trimmed();
            return t.mid(t.indexOf(QLatin1Char('=')) + 1).trimmed();
        }
    }
    return {};
}

std::vector<std::pair<QString, QString>> ReadSection(const QString& section) {
    std::vector<std::pair<QString, QString>> entries;
    bool inSection = false;
    for (const QString& line : ReadLines()) {
        const QString name = SectionName(line);
        if (!name.isEmpty()) {
            inSection = SameName(name, section);
            continue;
        }
        const QString key = KeyOf(line);
        if (!inSection || key.isEmpty()) continue;
        const QString t = line.trimmed();
        entries.emplace_back(key, t.mid(t.indexOf(QLatin1Char('=')) + 1).trimmed());
    }
    return entries;
}

bool WriteSetting(const QString& section, const QString& key, const QString& value) {
    QStringList lines = ReadLines();
    const QString entry = key + QLatin1Char('=') + value;
    int sectionAt = -1;  // line of the section's heading
    int insertAt = -1;   // after the section's last entry
    bool done = false;
    for (int i = 0; i < lines.size() && !done; ++i) {
        const QString name = SectionName(lines[i]);
        if (!name.isEmpty()) {
            if (sectionAt >= 0) break;  // the section ended without the key
            if (SameName(name, section)) sectionAt = insertAt = i;
            continue;
        }
        if (sectionAt < 0) continue;
        if (SameName(KeyOf(lines[i]), key)) {
            lines[i] = entry;
            done = true;
        } else if (!lines[i].trimmed().isEmpty()) {
            insertAt = i;
        }
    }
    if (!done) {
        if (sectionAt < 0) {
            lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        } else {
            lines.insert(insertAt + 1, entry);
        }
    }

    if (!QDir().mkpath(SettingsFolder())) return false;
    QSaveFile f(SettingsFilePath());
    if (!f.open(QIODevice::WriteOnly)) return false;
    f.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
    return f.commit();
}

int ReadStoredPort() {
    bool ok = false;
    const int n = ReadSetting(QStringLiteral("KV"), QStringLiteral("COM")).toInt(&ok);
    return ok ? n : -1;
}

bool WriteStoredPort(int n) {
    return WriteSetting(QStringLiteral("KV"), QStringLiteral("COM"), QString::number(n));
}

}  // namespace kelvarn
