#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <functional>
#include <optional>
#include <utility>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "document/DocumentView.h"
#include "files/CommandResult.h"
#include "files/ReportHead.h"

class QCPPainter;
class QPrinter;
class QTextDocument;

namespace kelvarn {

// What a measurement report shows besides the evaluation of the record.
struct ReportContent {
    QString fileName;                            // without folder
    QDateTime fileDate;                          // invalid when the record is not from a file
    const QTextDocument* description = nullptr;  // with its formatting; none: no description
    // The time axes of the level chart and of the LeQ chart as the window shows them, zoomed in;
    // none: the whole measurement.
    std::optional<std::pair<double, double>> levelView, leqView;
    ReportHead head;                                // the firm's head and the signature line
    const MeasurementProtocol* protocol = nullptr;  // none: the block says nothing is known
    // The zone of the assessment's clock hours and periods of the day.
    QTimeZone zone = QTimeZone::systemTimeZone();
    // The view of the document the report shows, as the window and the export read it: its
    // charts, its figures (with the rows "ohne Fremdgeräusch") and its assessment. None: the
    // report makes the view of rec, protocol and zone itself, for a caller that holds no
    // document.
    const DocumentView* view = nullptr;
};

// Resolution the report is laid out at [dpi]: the screen's, so that the charts keep the
// proportions of text, lines and gaps they have in the window. Devices are set to it.
constexpr int kReportDpi = 96;

// Paints the report of rec, A4 portrait, in German, section by section: the firm's head (when
// set), title, file, program and the file's date, the description, the level chart (the overview
// for twelve measurements), the LeQ chart, the distribution, the figures table, the assessment
// (where a start time or assessment inputs are known), and the line for
// date and signature (when set); every page with a footer of file name, Kelvarn's version and
// page number. The painter is active on a device of kReportDpi with an A4 portrait page and no
// margins; newPage starts the next page (false: failed, the report stops). Charts are drawn as
// vectors. A logo that cannot be read is left out (ReportContentProblem tells). Returns the pages.
int PaintReport(QCPPainter& painter, const MeasurementRecord& rec, const ReportContent& content,
                const std::function<bool()>& newPage);

// Why content cannot be made into the report it asks for (a logo file that cannot be read, with
// its path); empty when it can. The commands below refuse such content.
QString ReportContentProblem(const ReportContent& content);

// The report as PDF bytes (QPdfWriter); empty when it could not be drawn.
QByteArray ReportPdf(const MeasurementRecord& rec, const ReportContent& content);

// Writes the report as a PDF file, replacing a file of that name only when the new one is
// complete. Messages as for measurement files.
CommandResult WriteReportPdf(const QString& path, const MeasurementRecord& rec,
                             const ReportContent& content);

// Prints the report on printer (A4 portrait, whatever it was set to), as one job named after the
// report. A failure carries the print service's message.
CommandResult PrintReport(QPrinter& printer, const MeasurementRecord& rec,
                          const ReportContent& content);

}  // namespace kelvarn
