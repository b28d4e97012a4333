#include "files/ReportHead.h"

#include "link/SettingsFile.h"

namespace kelvarn {

namespace {

const QString kSection = QStringLiteral("Bericht");

// One line of the settings file holds every address line.
QString JoinLines(const QStringList& lines) {
    QStringList escaped;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty()) continue;
        escaped << line.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    }
    return escaped.join(QLatin1String("\\n"));
}

QStringList SplitLines(const QString& value) {
    QStringList lines;
    QString line;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value[++i];
            if (next == QLatin1Char('n')) {
                lines << line;
                line.clear();
            } else {
                line += next;
            }
        } else {
            line += value[i];
        }
    }
    lines << line;
    QStringList kept;
    for (const QString& l : lines)
        if (!l.trimmed().isEmpty()) kept << l.trimmed();
    return kept;
}

// Keys and values are single lines of the file.
QString OneLine(QString text) {
    return text.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '))
        .trimmed();
}

}  // namespace

ReportHead ReadReportHead() {
    ReportHead head;
    head.company = ReadSetting(kSection, QStringLiteral("Firma"));
    head.address = SplitLines(ReadSetting(kSection, QStringLiteral("Anschrift")));
    head.logoFile = ReadSetting(kSection, QStringLiteral("Logo"));
    head.signature = ReadSetting(kSection, QStringLiteral("Unterschrift")) == QLatin1String("1");
    return head;
}

bool WriteReportCompany(const QString& company) {
    return WriteSetting(kSection, QStringLiteral("Firma"), OneLine(company));
}

bool WriteReportAddress(const QStringList& lines) {
    return WriteSetting(kSection, QStringLiteral("Anschrift"), JoinLines(lines));
}

bool WriteReportLogo(const QString& path) {
    return WriteSetting(kSection, QStringLiteral("Logo"), OneLine(path));
}

bool WriteReportSignature(bool on) {
    return WriteSetting(kSection, QStringLiteral("Unterschrift"),
                        on ? QStringLiteral("1") : QStringLiteral("0"));
}

bool WriteReportHead(const ReportHead& head) {
    // All four, also after one failed, so that as much as possible is kept.
    const bool company = WriteReportCompany(head.company);
    const bool address = WriteReportAddress(head.address);
    const bool logo = WriteReportLogo(head.logoFile);
    const bool signature = WriteReportSignature(head.signature);
    return company && address && logo && signature;
}

}  // namespace kelvarn
