// Results that leave the program: the noise figures tab, and "E&xportieren ..." of the levels
// and the figures as a CSV file.
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/TForm1.h"
#include "eval/Figures.h"
#include "files/Export.h"
#include "widgets/StringGrid.h"

namespace kelvarn {

QWidget* TForm1::BuildKennwerteTab() {
    TabSheet16 = new QWidget;
    TabSheet16->setObjectName(QStringLiteral("TabSheet16"));
    auto* layout = new QVBoxLayout(TabSheet16);
    layout->setContentsMargins(2, 2, 2, 2);
    GridKennwerte = new StringGrid(QStringLiteral("GridKennwerte"), TabSheet16);
    layout->addWidget(GridKennwerte);
    GridKennwerte->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* copy = new QAction(QStringLiteral("Kopieren als Text"), this);
    copy->setObjectName(QStringLiteral("KopierenalsText5"));
    GridKennwerte->addAction(copy);
    return TabSheet16;
}

void TForm1::AddExportMenu() {
    // Right after "&Speichern als ...".
    Exportieren1 = new QAction(QStringLiteral("E&xportieren ..."), this);
    Exportieren1->setObjectName(QStringLiteral("Exportieren1"));
    const QList<QAction*> entries = Datei1->actions();
    const qsizetype after = entries.indexOf(Speichern1);
    QAction* before = after >= 0 && after + 1 < entries.size() ? entries[after + 1] : nullptr;
    Datei1->insertAction(before, Exportieren1);
    connect(Exportieren1, &QAction::triggered, this, [this] { Exportieren1Click(); });
}

void TForm1::Exportieren1Click() {
    // The name of the measurement with the extension of the export.
    const QString proposed =
        QFileInfo(ProposedSaveName).completeBaseName() + QStringLiteral(".csv");
    QString path = seams_->SaveFileName(this, QStringLiteral("Exportieren"),
                                        QStringLiteral("CSV-Dateien (*.csv)"), proposed);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty() && !path.endsWith(QLatin1Char('.')))
        path += QStringLiteral(".csv");
    const QByteArray csv = ExportCsv(ComputeFigures(CurrentRecord), NumberFormat::FromLocale());
    const FileResult r = WriteExportFile(path, csv);
    if (!r.ok) seams_->Stop(this, WithFullStop(r.message));
}

}  // namespace kelvarn
