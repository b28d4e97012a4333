#pragma once

#include <QString>
#include <QStringList>

namespace kelvarn {

// The head a measurement report carries for the firm that hands it out, and whether it ends in
// a line for date and signature. Kept in the settings file "KV.INI", section "Bericht".
struct ReportHead {
    QString company;      // firm's name, the head's first line; empty: none
    QStringList address;  // lines under it
    QString logoFile;     // image file shown at the head's right; empty: none
    bool signature = false;

    bool IsEmpty() const { return company.isEmpty() && address.isEmpty() && logoFile.isEmpty(); }
    bool operator==(const ReportHead&) const = default;
};

// The head as KV.INI holds it; missing keys give an empty head without signature line. Address
// lines are one value, "\n" between lines ("\\" for a backslash), empty lines left out.
ReportHead ReadReportHead();

// Each part on its own, so that a field of the settings tab is stored as it is edited. false
// when the file could not be written.
bool WriteReportCompany(const QString& company);
bool WriteReportAddress(const QStringList& lines);
bool WriteReportLogo(const QString& path);
bool WriteReportSignature(bool on);
bool WriteReportHead(const ReportHead& head);

}  // namespace kelvarn
