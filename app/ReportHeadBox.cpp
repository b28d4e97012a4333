#include "app/ReportHeadBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/Seams.h"
#include "link/SettingsFile.h"

namespace kelvarn {

namespace {

QLabel* Label(const QString& caption, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

ReportHeadBox::ReportHeadBox(Seams& seams, QWidget* parent)
    : QGroupBox(QStringLiteral("Bericht"), parent), seams_(seams) {
    setObjectName(QStringLiteral("GroupBox3"));
    auto* grid = new QGridLayout(this);

    BerichtFirma = new QLineEdit(this);
    BerichtFirma->setObjectName(QStringLiteral("BerichtFirma"));
    BerichtFirma->setToolTip(QStringLiteral("Erste Zeile des Berichtskopfs"));
    grid->addWidget(Label(QStringLiteral("&Firma:"), BerichtFirma, this), 0, 0);
    grid->addWidget(BerichtFirma, 0, 1, 1, 2);

    BerichtAnschrift = new QPlainTextEdit(this);
    BerichtAnschrift->setObjectName(QStringLiteral("BerichtAnschrift"));
    BerichtAnschrift->setTabChangesFocus(true);
    BerichtAnschrift->setToolTip(QStringLiteral("Zeilen unter dem Firmennamen"));
    BerichtAnschrift->setFixedHeight(BerichtFirma->sizeHint().height() * 2 + 8);
    auto* addressLabel = Label(QStringLiteral("A&nschrift:"), BerichtAnschrift, this);
    grid->addWidget(addressLabel, 1, 0, Qt::AlignTop);
    grid->addWidget(BerichtAnschrift, 1, 1, 1, 2);

    BerichtLogo = new QLineEdit(this);
    BerichtLogo->setObjectName(QStringLiteral("BerichtLogo"));
    BerichtLogo->setToolTip(
        QStringLiteral("Bilddatei (PNG, JPEG, SVG ...), rechts oben im Berichtskopf"));
    BerichtLogoButton = new QPushButton(QStringLiteral("&Wählen ..."), this);
    BerichtLogoButton->setObjectName(QStringLiteral("BerichtLogoButton"));
    grid->addWidget(Label(QStringLiteral("&Logo:"), BerichtLogo, this), 2, 0);
    grid->addWidget(BerichtLogo, 2, 1);
    grid->addWidget(BerichtLogoButton, 2, 2);

    BerichtUnterschrift =
        new QCheckBox(QStringLiteral("Unters&chriftszeile (\"Datum, Unterschrift\")"), this);
    BerichtUnterschrift->setObjectName(QStringLiteral("BerichtUnterschrift"));
    grid->addWidget(BerichtUnterschrift, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    // The fields as stored, before anything stores them again.
    const ReportHead head = ReadReportHead();
    BerichtFirma->setText(head.company);
    BerichtAnschrift->setPlainText(head.address.join(QLatin1Char('\n')));
    BerichtLogo->setText(head.logoFile);
    BerichtUnterschrift->setChecked(head.signature);

    connect(BerichtFirma, &QLineEdit::textChanged, this,
            [this](const QString& text) { Stored(WriteReportCompany(text)); });
    connect(BerichtAnschrift, &QPlainTextEdit::textChanged, this,
            [this] { Stored(WriteReportAddress(Head().address)); });
    connect(BerichtLogo, &QLineEdit::textChanged, this,
            [this](const QString& text) { Stored(WriteReportLogo(text.trimmed())); });
    connect(BerichtUnterschrift, &QCheckBox::toggled, this,
            [this](bool on) { Stored(WriteReportSignature(on)); });
    connect(BerichtLogoButton, &QPushButton::clicked, this, [this] { ChooseLogo(); });
}

ReportHead ReportHeadBox::Head() const {
    ReportHead head;
    head.company = BerichtFirma->text().trimmed();
    for (const QString& line : BerichtAnschrift->toPlainText().split(QLatin1Char('\n')))
        if (!line.trimmed().isEmpty()) head.address << line.trimmed();
    head.logoFile = BerichtLogo->text().trimmed();
    head.signature = BerichtUnterschrift->isChecked();
    return head;
}

void ReportHeadBox::Stored(bool ok) {
    if (!ok)
        emit StoreFailed(QStringLiteral(" Die Einstellung kann nicht gespeichert werden: ") +
                         SettingsFilePath());
}

void ReportHeadBox::ChooseLogo() {
    const QString path =
        seams_.OpenFileName(this, {QStringLiteral("Bilder (*.png *.jpg *.jpeg *.bmp *.gif *.svg)"),
                                   QStringLiteral("Alle Dateien (*)")});
    if (!path.isEmpty()) BerichtLogo->setText(path);
}

}  // namespace kelvarn
