// The sub-tab "Protokoll" of "&Auswertung": start times with their source, site and people,
// the calibration check and the markers of the current record. Every change goes straight into
// the measurement document's protocol, which the save writes and "Änderungen speichern?" guards.
#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTimeZone>
#include <QVBoxLayout>
#include <cmath>

#include "app/TForm1.h"
#include "cell/StartTimes.h"
#include "data/ProgramTable.h"
#include "eval/Figures.h"
#include "eval/MarkedFigures.h"
#include "files/Export.h"
#include "files/ProtocolFile.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

namespace kelvarn {

// The controls of the sub-tab; children of the window, found by their object names.
struct TForm1::ProtocolTab {
    QTableWidget* starts = nullptr;
    QDateTimeEdit* startEdit = nullptr;
    QLineEdit* site = nullptr;
    QLineEdit* operator_ = nullptr;
    QLineEdit* instrument = nullptr;
    QLineEdit* purpose = nullptr;
    QLineEdit* weather = nullptr;
    QLineEdit* reference = nullptr;
    QLineEdit* before = nullptr;
    QLineEdit* after = nullptr;
    QLabel* drift = nullptr;
    QTableWidget* markers = nullptr;
    // On the level chart: the shading of the markers, and a Shift-drag under way.
    std::vector<QCPAbstractItem*> shading;
    QCPItemRect* dragBand = nullptr;
    double dragFrom = 0;  // [unit of the chart's time axis]
    // "Uhrzeit": the level chart and table show the time of day instead of the time from the
    // start; the chart's own ticker is kept to go back to.
    QCheckBox* timeOfDay = nullptr;
    QSharedPointer<QCPAxisTicker> plainTicker;
    QString plainAxisLabel;   // the axis title the evaluation gave, while the times of day show
    QStringList plainColumn;  // the level table's first column before it showed times of day
};

namespace {

// Labels of the time axis as times of day: a tick at x (in the program's unit) is the start
// plus x units, in the local zone.
class TimeOfDayTicker : public QCPAxisTicker {
public:
    TimeOfDayTicker(const QDateTime& start, double msPerUnit)
        : start_(start.toLocalTime()), msPerUnit_(msPerUnit) {}

protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override {
        return start_.addMSecs(qint64(std::llround(tick * msPerUnit_)))
            .toString(QStringLiteral("HH:mm:ss"));
    }

private:
    QDateTime start_;
    double msPerUnit_;
};

}  // namespace

namespace {

QLineEdit* Line(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QString Db(const std::optional<double>& v) {
    return v ? QLocale().toString(*v, 'f', 1) : QString();
}

// A reading typed with the locale's decimal comma or a point; nullopt when empty. ok is false
// for anything else.
std::optional<double> Reading(const QString& text, bool& ok) {
    ok = true;
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    double v = QLocale().toDouble(t, &ok);
    if (!ok) v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        ok = false;
        return std::nullopt;
    }
    return v;
}

QString SecondsText(double s) {
    return NumberFormat::FromLocale().Format("%.3f", s);
}

}  // namespace

QWidget* TForm1::BuildProtokollTab() {
    protocolTab_ = std::make_shared<ProtocolTab>();
    ProtocolTab& t = *protocolTab_;
    TabSheetProtokoll = new QWidget;
    TabSheetProtokoll->setObjectName(QStringLiteral("TabSheetProtokoll"));
    auto* columns = new QHBoxLayout(TabSheetProtokoll);

    // Left: when and how. It scrolls rather than squeeze its fields where the window is low.
    auto* leftPanel = new QWidget;
    auto* left = new QVBoxLayout(leftPanel);
    left->setContentsMargins(0, 0, 0, 0);
    auto* startBox = new QGroupBox(QStringLiteral("Messbeginn"), TabSheetProtokoll);
    auto* startLayout = new QVBoxLayout(startBox);
    t.starts = new QTableWidget(0, 3, startBox);
    t.starts->setObjectName(QStringLiteral("ProtokollBeginn"));
    t.starts->setHorizontalHeaderLabels(
        {QStringLiteral("Messung"), QStringLiteral("Beginn"), QStringLiteral("Quelle")});
    t.starts->verticalHeader()->hide();
    t.starts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t.starts->setSelectionBehavior(QAbstractItemView::SelectRows);
    t.starts->setSelectionMode(QAbstractItemView::SingleSelection);
    // The start reads whole ("spätestens 11.12.2026 10:08:08") on one line: the number and the
    // source take what they need, the start the rest, and a few rows show without scrolling.
    t.starts->setWordWrap(false);
    t.starts->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    t.starts->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    t.starts->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    t.starts->setMinimumHeight(t.starts->horizontalHeader()->sizeHint().height() +
                               4 * t.starts->verticalHeader()->defaultSectionSize() +
                               2 * t.starts->frameWidth());
    startLayout->addWidget(t.starts);
    auto* startRow = new QHBoxLayout;
    t.startEdit = new QDateTimeEdit(startBox);
    t.startEdit->setObjectName(QStringLiteral("ProtokollBeginnEingabe"));
    t.startEdit->setDisplayFormat(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    t.startEdit->setCalendarPopup(true);
    t.startEdit->setDateTime(QDateTime::currentDateTime());
    auto* setStart = new QPushButton(QStringLiteral("Beginn &setzen"), startBox);
    setStart->setObjectName(QStringLiteral("ProtokollBeginnSetzen"));
    setStart->setToolTip(QStringLiteral("Setzt den Beginn der gewählten Messung (eingegeben)"));
    startRow->addWidget(t.startEdit, 1);
    startRow->addWidget(setStart);
    startLayout->addLayout(startRow);
    left->addWidget(startBox);

    auto* siteBox = new QGroupBox(QStringLiteral("Ort und Beteiligte"), TabSheetProtokoll);
    auto* form = new QFormLayout(siteBox);
    t.site = Line("Messort", siteBox);
    t.operator_ = Line("Messender", siteBox);
    t.instrument = Line("Messgeraet", siteBox);
    t.purpose = Line("Auftrag", siteBox);
    t.weather = Line("Wetter", siteBox);
    form->addRow(QStringLiteral("Messort:"), t.site);
    form->addRow(QStringLiteral("Messende(r):"), t.operator_);
    form->addRow(QStringLiteral("Messgerät:"), t.instrument);
    form->addRow(QStringLiteral("Auftrag/Zweck:"), t.purpose);
    form->addRow(QStringLiteral("Wetter:"), t.weather);
    left->addWidget(siteBox);

    auto* calBox = new QGroupBox(QStringLiteral("Kalibrierung"), TabSheetProtokoll);
    auto* cal = new QFormLayout(calBox);
    t.reference = Line("KalibratorPegel", calBox);
    t.before = Line("KalibrierungVorher", calBox);
    t.after = Line("KalibrierungNachher", calBox);
    t.drift = new QLabel(calBox);
    t.drift->setObjectName(QStringLiteral("KalibrierungAbweichung"));
    cal->addRow(QStringLiteral("Kalibrator/dB:"), t.reference);
    cal->addRow(QStringLiteral("vorher/dB:"), t.before);
    cal->addRow(QStringLiteral("nachher/dB:"), t.after);
    cal->addRow(t.drift);
    left->addWidget(calBox);
    left->addStretch(1);
    auto* leftScroll = new QScrollArea(TabSheetProtokoll);
    leftScroll->setObjectName(QStringLiteral("ProtokollLinks"));
    leftScroll->setFrameShape(QFrame::NoFrame);
    leftScroll->setWidgetResizable(true);
    leftScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    leftScroll->setWidget(leftPanel);
    // A little more for the starts, so that they read whole at the first window size.
    columns->addWidget(leftScroll, 6);

    // Right: the markers.
    auto* markBox = new QGroupBox(QStringLiteral("Marken"), TabSheetProtokoll);
    auto* markLayout = new QVBoxLayout(markBox);
    t.markers = new QTableWidget(0, 5, markBox);
    t.markers->setObjectName(QStringLiteral("ProtokollMarken"));
    t.markers->setHorizontalHeaderLabels({QStringLiteral("Messung"), QStringLiteral("von/s"),
                                          QStringLiteral("bis/s"), QStringLiteral("Art"),
                                          QStringLiteral("Text")});
    t.markers->verticalHeader()->hide();
    // Numbers and the kind take what they need; the text the rest.
    for (int c = 0; c < 4; ++c)
        t.markers->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    t.markers->horizontalHeader()->setStretchLastSection(true);
    markLayout->addWidget(t.markers);
    auto* markButtons = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Marke &hinzufügen"), markBox);
    add->setObjectName(QStringLiteral("MarkeHinzufuegen"));
    auto* remove = new QPushButton(QStringLiteral("&Marke entfernen"), markBox);
    remove->setObjectName(QStringLiteral("MarkeEntfernen"));
    markButtons->addWidget(add);
    markButtons->addWidget(remove);
    markButtons->addStretch(1);
    markLayout->addLayout(markButtons);
    columns->addWidget(markBox, 5);

    const std::pair<QLineEdit*, QString MeasurementProtocol::*> texts[] = {
        {t.site, &MeasurementProtocol::site},
        {t.operator_, &MeasurementProtocol::operator_},
        {t.instrument, &MeasurementProtocol::instrument},
        {t.purpose, &MeasurementProtocol::purpose},
        {t.weather, &MeasurementProtocol::weather}};
    for (const auto& [edit, field] : texts)
        connect(edit, &QLineEdit::textEdited, this, [this, f = field](const QString& text) {
            document_.EditProtocol([&](MeasurementProtocol& p) { p.*f = text; });
        });
    for (QLineEdit* e : {t.reference, t.before, t.after})
        connect(e, &QLineEdit::editingFinished, this, [this] { ProtocolCalibrationEdited(); });
    connect(setStart, &QPushButton::clicked, this, [this] { ProtokollBeginnSetzenClick(); });
    connect(t.starts, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previousRow, int) {
                if (row != previousRow) ShowSelectedStart();
            });
    connect(add, &QPushButton::clicked, this, [this] { MarkeHinzufuegenClick(); });
    connect(remove, &QPushButton::clicked, this, [this] { MarkeEntfernenClick(); });
    connect(t.markers, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { ProtocolMarkerEdited(item->row()); });

    // Beside "LeQ" on the level chart: the time of day where the start is known.
    t.timeOfDay = new QCheckBox(QStringLiteral("Uhrzeit"), Chart1);
    t.timeOfDay->setObjectName(QStringLiteral("UhrzeitBox"));
    t.timeOfDay->setToolTip(QStringLiteral("Zeigt die Uhrzeit statt der Zeit seit Messbeginn"));
    t.timeOfDay->move(LeqBox->x() + LeqBox->sizeHint().width() + 12, LeqBox->y());
    t.timeOfDay->setEnabled(false);
    t.plainTicker = Chart1->xAxis->ticker();
    connect(t.timeOfDay, &QCheckBox::toggled, this, [this] { ShowTimeOfDay(); });

    // A drag with Shift over "Pegel" proposes a marker for the range dragged over.
    connect(Chart1, &QCustomPlot::mousePress, this, [this](QMouseEvent* e) {
        if (!(e->modifiers() & Qt::ShiftModifier) || e->button() != Qt::LeftButton) return;
        ProtocolTab& tab = *protocolTab_;
        tab.dragFrom = Chart1->xAxis->pixelToCoord(e->position().x());
        if (!tab.dragBand) {
            tab.dragBand = new QCPItemRect(Chart1);
            tab.dragBand->setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
            tab.dragBand->setBrush(QColor(200, 0, 0, 40));
        }
        tab.dragBand->setVisible(true);
        MoveBand(tab.dragFrom, tab.dragFrom);
    });
    connect(Chart1, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) {
        ProtocolTab& tab = *protocolTab_;
        if (!tab.dragBand || !tab.dragBand->visible()) return;
        MoveBand(tab.dragFrom, Chart1->xAxis->pixelToCoord(e->position().x()));
    });
    connect(Chart1, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) {
        ProtocolTab& tab = *protocolTab_;
        if (!tab.dragBand || !tab.dragBand->visible()) return;
        tab.dragBand->setVisible(false);
        Chart1->replot();
        ProposeMarker(tab.dragFrom, Chart1->xAxis->pixelToCoord(e->position().x()));
    });
    return TabSheetProtokoll;
}

void TForm1::ShowProtocol() {
    ProtocolTab& t = *protocolTab_;
    const MeasurementProtocol& p = document_.Protocol();
    const int count = ShapeOf(document_.Record()).Measurements();
    t.starts->setRowCount(count);
    for (int m = 1; m <= count; ++m) {
        const ProtocolStart* s = p.StartOf(m);
        const QStringList cells = {QString::number(m), s ? StartText(*s) : QString(),
                                   s ? StartSourceCaption(s->source) : QString()};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);  // whole, should the column be narrower
            t.starts->setItem(m - 1, c, item);
        }
    }
    if (count > 0 && t.starts->currentRow() < 0) t.starts->selectRow(0);

    const std::pair<QLineEdit*, const QString*> texts[] = {{t.site, &p.site},
                                                           {t.operator_, &p.operator_},
                                                           {t.instrument, &p.instrument},
                                                           {t.purpose, &p.purpose},
                                                           {t.weather, &p.weather}};
    for (const auto& [edit, value] : texts)
        if (edit->text() != *value) edit->setText(*value);
    ShowAssessmentProblem({});  // a notice on an earlier input of the assessment is done with
    t.reference->setText(Db(p.calibration.referenceDb));
    t.before->setText(Db(p.calibration.beforeDb));
    t.after->setText(Db(p.calibration.afterDb));
    ShowCalibrationDrift();

    {
        const QSignalBlocker block(t.markers);
        t.markers->setRowCount(int(p.markers.size()));
        for (size_t i = 0; i < p.markers.size(); ++i) {
            const ProtocolMarker& mk = p.markers[i];
            const QStringList cells = {QString::number(mk.measurement), SecondsText(mk.fromS),
                                       SecondsText(mk.toS), MarkerKindCaption(mk.kind), mk.text};
            for (int c = 0; c < 5; ++c)
                t.markers->setItem(int(i), c, new QTableWidgetItem(cells[c]));
        }
    }
    ShowProtocolFigures();
    ShowTimeOfDay();
}

void TForm1::ShowTimeOfDay() {
    ProtocolTab& t = *protocolTab_;
    const ProtocolStart* s = document_.Protocol().StartOf(1);
    const bool known = s && s->start.isValid() && ShapeOf(document_.Record()).Measurements() == 1;
    t.timeOfDay->setEnabled(known);
    const ProgramRow& program = Programs().ProgramForInterval(GetInterval(document_.Record()));
    const double msPerUnit = TimeDivisor(program.DurationUnit);
    const bool on = known && t.timeOfDay->isChecked();
    Chart1->xAxis->setTicker(
        on ? QSharedPointer<QCPAxisTicker>(new TimeOfDayTicker(s->start, msPerUnit))
           : t.plainTicker);
    // The axis title says what the labels are: "t/h" over times of day would mislead.
    const QString kTimeOfDayAxis = QStringLiteral("Uhrzeit");
    const QString axisLabel = Chart1->xAxis->label();
    if (on && axisLabel != kTimeOfDayAxis) {
        t.plainAxisLabel = axisLabel;
        Chart1->xAxis->setLabel(kTimeOfDayAxis);
    } else if (!on && axisLabel == kTimeOfDayAxis) {
        Chart1->xAxis->setLabel(t.plainAxisLabel);
    }
    Chart1->replot(QCustomPlot::rpQueuedReplot);
    // The table's first column: the time of day of each point, or again the time from the
    // start it had (the evaluation never heads it "Uhrzeit").
    TableText table = grid->Table();
    const bool shown = table.Cell(0, 0) == QLatin1String("Uhrzeit");
    if (on == shown) return;
    if (on) {
        t.plainColumn.clear();
        const QStringList times =
            IntervalBeginnings(s->start, GetInterval(document_.Record()), table.Rows() - 1);
        for (int r = 0; r < table.Rows(); ++r) {
            t.plainColumn << table.Cell(0, r);
            table.SetCell(0, r,
                          r == 0 ? QStringLiteral("Uhrzeit")
                                 : QDateTime::fromString(times[r - 1], Qt::ISODateWithMs)
                                       .toString(QStringLiteral("HH:mm:ss")));
        }
    } else {
        for (int r = 0; r < table.Rows() && r < t.plainColumn.size(); ++r)
            table.SetCell(0, r, t.plainColumn[r]);
    }
    grid->SetTable(table);
}

void TForm1::MoveBand(double from, double to) {
    QCPItemRect* band = protocolTab_->dragBand;
    const QCPRange y = Chart1->yAxis->range();
    band->topLeft->setCoords(std::min(from, to), y.upper);
    band->bottomRight->setCoords(std::max(from, to), y.lower);
    Chart1->replot(QCustomPlot::rpQueuedReplot);
}

void TForm1::ProposeMarker(double from, double to) {
    // Chart coordinates are in the program's unit; markers in seconds of measurement 1.
    const ProtocolShape shape = ShapeOf(document_.Record());
    if (shape.Measurements() == 0) return;
    const ProgramRow& program = Programs().ProgramForInterval(GetInterval(document_.Record()));
    const double toSeconds = TimeDivisor(program.DurationUnit) / 1000.0;
    ProtocolMarker mk;
    mk.fromS = std::clamp(std::min(from, to) * toSeconds, 0.0, shape.seconds[0]);
    mk.toS = std::clamp(std::max(from, to) * toSeconds, 0.0, shape.seconds[0]);
    if (!(mk.fromS < mk.toS)) return;
    document_.EditProtocol([&](MeasurementProtocol& p) { p.markers.push_back(mk); });
    ShowProtocol();
    const int count = int(document_.Protocol().markers.size());
    protocolTab_->markers->setCurrentCell(count - 1, 3);
    SetStatus(QStringLiteral(" Marke %1 vorgeschlagen: %2 s bis %3 s, Fremdgeräusch (Protokoll).")
                  .arg(count)
                  .arg(SecondsText(mk.fromS), SecondsText(mk.toS)));
}

void TForm1::ShowMarkerShading() {
    ProtocolTab& t = *protocolTab_;
    for (QCPAbstractItem* item : t.shading) Chart1->removeItem(item);
    t.shading.clear();
    const ProgramRow& program = Programs().ProgramForInterval(GetInterval(document_.Record()));
    const double toUnit = 1000.0 / TimeDivisor(program.DurationUnit);
    for (const ProtocolMarker& mk : document_.Protocol().markers) {
        if (mk.measurement != 1) continue;
        // Left-out ranges grey over the whole height; events outlined with their text on top.
        auto* rect = new QCPItemRect(Chart1);
        rect->topLeft->setTypeX(QCPItemPosition::ptPlotCoords);
        rect->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
        rect->bottomRight->setTypeX(QCPItemPosition::ptPlotCoords);
        rect->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
        rect->topLeft->setCoords(mk.fromS * toUnit, 0);
        rect->bottomRight->setCoords(mk.toS * toUnit, 1);
        const bool left = mk.kind == MarkerKind::kFremdgeraeusch;
        rect->setPen(left ? Qt::NoPen : QPen(QColor(0, 120, 0), 1, Qt::DashLine));
        rect->setBrush(left ? QColor(120, 120, 120, 70) : QColor(0, 160, 0, 25));
        t.shading.push_back(rect);
        if (!left && !mk.text.isEmpty()) {
            auto* label = new QCPItemText(Chart1);
            label->position->setTypeX(QCPItemPosition::ptPlotCoords);
            label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
            label->position->setCoords((mk.fromS + mk.toS) / 2 * toUnit, 0.02);
            label->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
            label->setText(mk.text);
            label->setColor(QColor(0, 100, 0));
            t.shading.push_back(label);
        }
    }
    Chart1->replot(QCustomPlot::rpQueuedReplot);
}

void TForm1::ShowCalibrationDrift() {
    const ProtocolCalibration& c = document_.Protocol().calibration;
    const std::optional<double> d = CalibrationDrift(c);
    QString text =
        d ? QStringLiteral("Abweichung nachher − vorher: %1 dB").arg(QLocale().toString(*d, 'f', 1))
          : QString();
    if (CalibrationDriftFlagged(c)) text += QStringLiteral("\nKalibrierabweichung über 0,5 dB");
    protocolTab_->drift->setText(text);
    protocolTab_->drift->setStyleSheet(CalibrationDriftFlagged(c) ? QStringLiteral("color: red")
                                                                  : QString());
}

void TForm1::ShowProtocolFigures() {
    // The "Kennwerte" gain a row "ohne Fremdgeräusch" for each measurement that markers cut.
    const RecordFigures figures = ComputeFigures(document_.Record());
    GridKennwerte->SetTable(FiguresTableWithProtocol(
        document_.Record(), figures, document_.Protocol(), NumberFormat::FromLocale()));
    ShowMarkerShading();
    ShowAssessment();  // starts and markers are the assessment's time line
}

void TForm1::ProtocolCalibrationEdited() {
    ProtocolTab& t = *protocolTab_;
    ProtocolCalibration c = document_.Protocol().calibration;
    const std::pair<QLineEdit*, std::optional<double>*> fields[] = {
        {t.reference, &c.referenceDb}, {t.before, &c.beforeDb}, {t.after, &c.afterDb}};
    for (const auto& [edit, value] : fields) {
        bool ok = true;
        const std::optional<double> v = Reading(edit->text(), ok);
        if (ok) {
            *value = v;
        } else {
            SetStatus(QStringLiteral(" \"%1\" ist keine Zahl.").arg(edit->text()));
            edit->setText(Db(*value));
        }
    }
    document_.EditProtocol([&](MeasurementProtocol& p) { p.calibration = c; });
    ShowCalibrationDrift();
}

void TForm1::ShowSelectedStart() {
    // The field starts from the chosen measurement's start where one is known, so that a
    // correction changes it rather than retyping it; otherwise what was typed stays.
    ProtocolTab& t = *protocolTab_;
    const ProtocolStart* s = document_.Protocol().StartOf(std::max(t.starts->currentRow(), 0) + 1);
    if (s && s->start.isValid())
        t.startEdit->setDateTime(s->start.toTimeZone(QTimeZone::systemTimeZone()));
}

void TForm1::ProtokollBeginnSetzenClick() {
    ProtocolTab& t = *protocolTab_;
    const ProtocolShape shape = ShapeOf(document_.Record());
    const int m = std::max(t.starts->currentRow(), 0) + 1;
    if (m > shape.Measurements()) return;
    const QDateTime typed = t.startEdit->dateTime();
    const QDateTime start =
        ParseStartInput(typed.toString(Qt::ISODate), QTimeZone::systemTimeZone());
    if (!start.isValid()) {
        SetStatus(QStringLiteral(" Diese Uhrzeit gibt es an diesem Tag nicht."));
        return;
    }
    document_.EditProtocol(
        [&](MeasurementProtocol& p) { p.SetStart(m, start, StartSource::kEingegeben); });
    if (m < shape.Measurements() &&
        seams_->Ask(this, ApplicationTitle(),
                    QStringLiteral("Die Messungen %1 bis %2 lückenlos anschließen?")
                        .arg(m + 1)
                        .arg(shape.Measurements())))
        document_.EditProtocol([&](MeasurementProtocol& p) {
            FillBackToBack(p, m, shape.Measurements(), shape.seconds[size_t(m - 1)],
                           QTimeZone::systemTimeZone());
        });
    ShowProtocol();
}

void TForm1::MarkeHinzufuegenClick() {
    const ProtocolShape shape = ShapeOf(document_.Record());
    if (shape.Measurements() == 0) return;
    ProtocolMarker mk;
    mk.measurement = 1;
    mk.fromS = 0;
    mk.toS = shape.seconds[0];
    document_.EditProtocol([&](MeasurementProtocol& p) { p.markers.push_back(mk); });
    ShowProtocol();
    protocolTab_->markers->setCurrentCell(int(document_.Protocol().markers.size()) - 1, 1);
}

void TForm1::MarkeEntfernenClick() {
    const int row = protocolTab_->markers->currentRow();
    if (row < 0 || row >= int(document_.Protocol().markers.size())) return;
    document_.EditProtocol(
        [row](MeasurementProtocol& p) { p.markers.erase(p.markers.begin() + row); });
    ShowProtocol();
}

void TForm1::ProtocolMarkerEdited(int row) {
    QTableWidget* table = protocolTab_->markers;
    if (row < 0 || row >= int(document_.Protocol().markers.size())) return;
    const auto cell = [&](int c) {
        return table->item(row, c) ? table->item(row, c)->text() : QString();
    };
    ProtocolMarker mk = document_.Protocol().markers[size_t(row)];
    bool okM = false, okFrom = true, okTo = true;
    const int m = cell(0).trimmed().toInt(&okM);
    const std::optional<double> from = Reading(cell(1), okFrom), to = Reading(cell(2), okTo);
    const QString kind = cell(3).trimmed();
    const ProtocolShape shape = ShapeOf(document_.Record());
    QString problem;
    if (!okM || m < 1 || m > shape.Measurements())
        problem = QStringLiteral("Messung %1 gibt es nicht").arg(cell(0));
    else if (!okFrom || !okTo || !from || !to)
        problem = QStringLiteral("von und bis müssen Zahlen sein");
    else if (!(*from < *to))
        problem = QStringLiteral("von ist nicht kleiner als bis");
    else if (*from < 0 || *to > shape.seconds[size_t(m - 1)] + 1e-6)
        problem = QStringLiteral("liegt nicht in Messung %1").arg(m);
    else if (kind.compare(MarkerKindCaption(MarkerKind::kFremdgeraeusch), Qt::CaseInsensitive) !=
                 0 &&
             kind.compare(MarkerKindCaption(MarkerKind::kEreignis), Qt::CaseInsensitive) != 0)
        problem = QStringLiteral("Art ist Fremdgeräusch oder Ereignis");
    if (!problem.isEmpty()) {
        SetStatus(QStringLiteral(" Marke %1: %2.").arg(row + 1).arg(problem));
        // The table shows the marker as it was again, once the edit that is still under way
        // has ended.
        QMetaObject::invokeMethod(
            this, [this] { ShowProtocol(); }, Qt::QueuedConnection);
        return;
    }
    mk.measurement = m;
    mk.fromS = *from;
    mk.toS = *to;
    mk.kind = kind.compare(MarkerKindCaption(MarkerKind::kEreignis), Qt::CaseInsensitive) == 0
                  ? MarkerKind::kEreignis
                  : MarkerKind::kFremdgeraeusch;
    mk.text = cell(4);
    document_.EditProtocol([&](MeasurementProtocol& p) { p.markers[size_t(row)] = mk; });
    ShowProtocolFigures();
}

}  // namespace kelvarn
