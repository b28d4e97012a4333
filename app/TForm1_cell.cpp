// The window's cell commands that bring a measurement into the document: the read-out and the
// take-over of the live measurement. The protocol lives in cell/, what they write into the
// protocol in document/.
#include <QAction>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTextEdit>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <utility>

#include "app/TForm1.h"
#include "cell/CellResult.h"
#include "cell/CellSession.h"
#include "cell/CellTasks.h"
#include "cell/LiveLevel.h"
#include "cell/ProgramTransfer.h"
#include "cell/ReadOut.h"
#include "cell/StartTimes.h"
#include "data/ProgramTable.h"
#include "document/ArrivalProtocol.h"
#include "eval/Figures.h"
#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "widgets/Chart.h"

namespace kelvarn {

void TForm1::WireCell() {
    // The take-over is offered by the button and by every live view.
    connect(Button3, &QPushButton::clicked, this, [this] { TakeOverLive(); });
    for (const char* name : {"ZurAuswertung1", "ZurAuswertung2", "ZurAuswertung3"}) {
        if (QAction* a = findChild<QAction*>(QString::fromLatin1(name)))
            connect(a, &QAction::triggered, this, [this] { TakeOverLive(); });
    }
}

void TForm1::ReadOutCell() {
    // Asked before anything goes to the cell, so that Abbrechen changes nothing anywhere.
    if (cell_.Busy() || !MayReplaceWork()) return;
    // Read into a copy: a read-out that yields no data leaves the record
    // that the evaluation shows, so nothing unsaved is lost.
    auto read = std::make_shared<MeasurementRecord>(document_.Record());
    auto result = std::make_shared<CellResult>();
    const int port = cell_.Port();
    cell_.Start(
        [=, this](SerialLink& link, CellProgress& progress) {
            *result = ReadOutCommand(link, port, *read, progress);
        },
        [this, read, result] {
            // Nothing arrived (no cell, a damaged header, a cancel before the data): the record
            // stays.
            if (!result->Ok() && (result->total == 0 || result->cause == CellCause::kDamaged)) {
                cell_.ShowResult(*result);
                return;
            }
            // What arrived is evaluated and can be saved, also when the data
            // stopped part-way or the read-out was cancelled; then the user
            // is told how much is missing.
            const CellText text = CellMessage(*result);
            SetStatus(text.status);
            const QDateTime now = seams_->Now();
            document_.ReadOut(*read,
                              ReadOutProtocol(*read, now,
                                              [this](const QString& question) {
                                                  return seams_->Ask(this, ApplicationTitle(),
                                                                     question);
                                              }),
                              now);
            ShowTime();
            if (!text.notice.isEmpty()) seams_->Notice(this, text.notice);
        });
}

void TForm1::TakeOverLive() {
    if (cell_.Busy() || cell_.Session().Live().Count() == 0) return;
    if (!IsProgramRow(cell_.Session().Live().Row())) {
        // The last start found no program: there is no header to give the
        // curve, and the record stays as it is.
        seams_->Notice(this, QStringLiteral("Die Direktmessung kann nicht übernommen werden: "
                                            "Messprogramm nicht korrekt."));
        return;
    }
    if (!MayReplaceWork()) return;
    // The take-over writes the header and the samples taken over into the record in hand; the
    // bytes after them stay.
    MeasurementRecord record = document_.Record();
    cell_.Session().Live().TakeOver(record);
    document_.TakeOver(record, TakeOverProtocol(document_.Protocol(), cell_.Run().StartedAt()),
                       seams_->Now());
    ShowTime();
    SetStatus(QStringLiteral(" %1 von %2 Messwerten übernommen.")
                  .arg(cell_.Session().Live().Count())
                  .arg(Programs().Row(cell_.Session().Live().Row()).Points));
}

}  // namespace kelvarn
