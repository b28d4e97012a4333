// Results that leave the program: the noise figures tab, "E&xportieren ..." of the levels and
// the figures as a CSV or JSON file, and the measurement report as PDF or on a printer.
#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/MenuTable.h"
#include "app/ReportHeadBox.h"
#include "app/TForm1.h"
#include "eval/Figures.h"
#include "files/Export.h"
#include "files/PosixFile.h"
#include "files/SystemPath.h"
#include "output/Report.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

namespace kelvarn {

namespace {

// The proposed name of a file made from the current measurement: its name with another extension.
QString ProposedName(const QString& measurementName, const QString& extension) {
    return QFileInfo(measurementName).completeBaseName() + extension;
}

}  // namespace

void TForm1::MeasurementShown() {
    measurementShown_ = true;
    for (QAction* a : {Exportieren1, BerichtPdf1, BerichtDrucken1}) a->setEnabled(true);
    UpdateTitle();
}

bool TForm1::HasMeasurement() {
    if (!measurementShown_) seams_->Notice(this, QStringLiteral("Keine Messung geladen."));
    return measurementShown_;
}

void TForm1::Exportieren1Click() {
    if (!HasMeasurement()) return;
    const QString csvType = QStringLiteral("CSV-Dateien (*.csv)");
    const QString jsonType = QStringLiteral("JSON-Dateien (*.json)");
    const QString proposed = ProposedName(document_.ProposedSaveName(), QStringLiteral(".csv"));
    QString chosenType;
    QString path = seams_->SaveFileName(this, QStringLiteral("Exportieren"),
                                        csvType + QStringLiteral(";;") + jsonType, proposed,
                                        DialogFolder(), &chosenType);
    if (path.isEmpty()) return;
    RememberFolder(path);
    // The extension typed decides; a name without one of the two takes the chosen type.
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool json = suffix == QLatin1String("json") ||
                      (suffix != QLatin1String("csv") && chosenType == jsonType);
    path = WithExtension(path, json ? QStringLiteral(".json") : QStringLiteral(".csv"));
    const MeasurementRecord& record = document_.Record();
    const MeasurementProtocol& protocol = document_.Protocol();
    const DocumentView& view = document_.View();
    const RecordFigures& figures = view.figures;
    const QString measurement =
        document_.FilePath().isEmpty()
            ? document_.ProposedSaveName()
            : DisplayPath(QFileInfo(document_.FilePath()).absoluteFilePath());
    const QByteArray content =
        json ? ExportJson(measurement, record, figures, protocol.IsEmpty() ? nullptr : &protocol,
                          view.withoutForeignNoise)
             : ExportCsv(figures, NumberFormat::FromLocale(), &protocol, GetInterval(record),
                         view.withoutForeignNoise);
    const CommandResult r = WriteExportFile(path, content);
    if (!r.ok) ShowFailure(r);
}

ReportContent TForm1::CurrentReportContent() const {
    ReportContent c;
    c.fileName = document_.ProposedSaveName();  // "OhneName.dba" after a read-out
    // Only a record kept in a file has a file date.
    if (!document_.FilePath().isEmpty()) c.fileDate = FileModificationTime(document_.FilePath());
    c.description = RichEdit1->document();
    // The report's charts show what the window's show, also when zoomed in.
    const bool twelve = GetMeasurements(document_.Record()) == 12;
    const auto view = [](const TChart* chart) -> std::optional<std::pair<double, double>> {
        if (chart->ViewIsDefault()) return std::nullopt;
        return std::pair{chart->xAxis->range().lower, chart->xAxis->range().upper};
    };
    c.levelView = view(twelve ? Chart3 : Chart1);
    c.leqView = view(twelve ? Chart12Leq : Chart6);
    c.head = GroupBox3->Head();
    c.protocol = &document_.Protocol();
    c.view = &document_.View();
    c.zone = document_.Options().zone;
    return c;
}

void TForm1::BerichtPdf1Click() {
    if (!HasMeasurement()) return;
    QString path = seams_->SaveFileName(
        this, QStringLiteral("Bericht als PDF"), QStringLiteral("PDF-Dateien (*.pdf)"),
        ProposedName(document_.ProposedSaveName(), QStringLiteral(".pdf")), DialogFolder());
    if (path.isEmpty()) return;
    RememberFolder(path);
    path = WithExtension(path, QStringLiteral(".pdf"));
    const CommandResult r = WriteReportPdf(path, document_.Record(), CurrentReportContent());
    if (!r.ok) ShowFailure(r);
}

void TForm1::BerichtDrucken1Click() {
    if (!HasMeasurement()) return;
    const ReportContent content = CurrentReportContent();
    CommandResult result;
    seams_->PrintPreview(this, [&](QPrinter& printer) {
        result = PrintReport(printer, document_.Record(), content);
    });
    if (!result.ok) ShowFailure(result);
}

}  // namespace kelvarn
