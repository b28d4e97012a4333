#pragma once

#include <QGroupBox>

#include "files/ReportHead.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kelvarn {

class Seams;

// The group "Bericht" of the "&Einstellungen" tab: the head a measurement report carries for the
// firm that hands it out, and whether it ends in a line for date and signature. The fields start
// as "KV.INI" holds them, and each is stored there as it is edited, so nothing typed is lost.
class ReportHeadBox : public QGroupBox {
    Q_OBJECT

public:
    ReportHeadBox(Seams& seams, QWidget* parent);

    // The head as the fields show it.
    ReportHead Head() const;

    QLineEdit* BerichtFirma = nullptr;
    QPlainTextEdit* BerichtAnschrift = nullptr;
    QLineEdit* BerichtLogo = nullptr;
    QPushButton* BerichtLogoButton = nullptr;  // "&Wählen ...": the logo through a file dialog
    QCheckBox* BerichtUnterschrift = nullptr;

signals:
    // A field could not be stored; text for the status line.
    void StoreFailed(const QString& text);

private:
    void Stored(bool ok);
    void ChooseLogo();

    Seams& seams_;
};

}  // namespace kelvarn
