// The sub-tab "Protokoll" of "&Auswertung": what it shows is the document's protocol and view;
// what is typed goes to the document's protocol edits.
#include "app/tabs/ProtocolTab.h"

#include <qcustomplot.h>

#include <QCheckBox>
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
#include <tuple>

#include "app/Seams.h"
#include "cell/StartTimes.h"
#include "document/MeasurementDocument.h"
#include "document/ProtocolEdits.h"
#include "document/ResultTexts.h"
#include "document/TypedNumber.h"
#include "files/Export.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

namespace kelvarn {

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

QLineEdit* Line(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    return e;
}

QString Db(const std::optional<double>& v) {
    return v ? NumberFormat::FromLocale().Format("%.1f", *v) : QString();
}

QString SecondsText(double s) {
    return NumberFormat::FromLocale().Format("%.3f", s);
}

}  // namespace

ProtocolTab::ProtocolTab(const TabContext& context, const Reach& reach, QObject* parent)
    : QObject(parent), c_(context), r_(reach) {}

QWidget* ProtocolTab::Build() {
    page_ = new QWidget;
    page_->setObjectName(QStringLiteral("TabSheetProtokoll"));
    auto* columns = new QHBoxLayout(page_);

    // Left: when and how. It scrolls rather than squeeze its fields where the window is low.
    auto* leftPanel = new QWidget;
    auto* left = new QVBoxLayout(leftPanel);
    left->setContentsMargins(0, 0, 0, 0);
    auto* startBox = new QGroupBox(QStringLiteral("Messbeginn"), page_);
    auto* startLayout = new QVBoxLayout(startBox);
    starts_ = new QTableWidget(0, 3, startBox);
    starts_->setObjectName(QStringLiteral("ProtokollBeginn"));
    starts_->setHorizontalHeaderLabels(
        {QStringLiteral("Messung"), QStringLiteral("Beginn"), QStringLiteral("Quelle")});
    starts_->verticalHeader()->hide();
    starts_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    starts_->setSelectionBehavior(QAbstractItemView::SelectRows);
    starts_->setSelectionMode(QAbstractItemView::SingleSelection);
    // The start reads whole ("spätestens 11.12.2026 10:08:08") on one line: the number and the
    // source take what they need, the start the rest, and a few rows show without scrolling.
    starts_->setWordWrap(false);
    starts_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    starts_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    starts_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    starts_->setMinimumHeight(starts_->horizontalHeader()->sizeHint().height() +
                              4 * starts_->verticalHeader()->defaultSectionSize() +
                              2 * starts_->frameWidth());
    startLayout->addWidget(starts_);
    auto* startRow = new QHBoxLayout;
    startEdit_ = new QDateTimeEdit(startBox);
    startEdit_->setObjectName(QStringLiteral("ProtokollBeginnEingabe"));
    startEdit_->setDisplayFormat(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    startEdit_->setCalendarPopup(true);
    startEdit_->setDateTime(QDateTime::currentDateTime());
    auto* setStart = new QPushButton(QStringLiteral("Beginn &setzen"), startBox);
    setStart->setObjectName(QStringLiteral("ProtokollBeginnSetzen"));
    setStart->setToolTip(QStringLiteral("Setzt den Beginn der gewählten Messung (eingegeben)"));
    startRow->addWidget(startEdit_, 1);
    startRow->addWidget(setStart);
    startLayout->addLayout(startRow);
    left->addWidget(startBox);

    auto* siteBox = new QGroupBox(QStringLiteral("Ort und Beteiligte"), page_);
    auto* form = new QFormLayout(siteBox);
    site_ = Line("Messort", siteBox);
    operator_ = Line("Messender", siteBox);
    instrument_ = Line("Messgeraet", siteBox);
    purpose_ = Line("Auftrag", siteBox);
    weather_ = Line("Wetter", siteBox);
    form->addRow(QStringLiteral("Messort:"), site_);
    form->addRow(QStringLiteral("Messende(r):"), operator_);
    form->addRow(QStringLiteral("Messgerät:"), instrument_);
    form->addRow(QStringLiteral("Auftrag/Zweck:"), purpose_);
    form->addRow(QStringLiteral("Wetter:"), weather_);
    left->addWidget(siteBox);

    auto* calBox = new QGroupBox(QStringLiteral("Kalibrierung"), page_);
    auto* cal = new QFormLayout(calBox);
    reference_ = Line("KalibratorPegel", calBox);
    before_ = Line("KalibrierungVorher", calBox);
    after_ = Line("KalibrierungNachher", calBox);
    drift_ = new QLabel(calBox);
    drift_->setObjectName(QStringLiteral("KalibrierungAbweichung"));
    cal->addRow(QStringLiteral("Kalibrator/dB:"), reference_);
    cal->addRow(QStringLiteral("vorher/dB:"), before_);
    cal->addRow(QStringLiteral("nachher/dB:"), after_);
    cal->addRow(drift_);
    left->addWidget(calBox);
    left->addStretch(1);
    auto* leftScroll = new QScrollArea(page_);
    leftScroll->setObjectName(QStringLiteral("ProtokollLinks"));
    leftScroll->setFrameShape(QFrame::NoFrame);
    leftScroll->setWidgetResizable(true);
    leftScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    leftScroll->setWidget(leftPanel);
    // A little more for the starts, so that they read whole at the first window size.
    columns->addWidget(leftScroll, 6);

    // Right: the markers.
    auto* markBox = new QGroupBox(QStringLiteral("Marken"), page_);
    auto* markLayout = new QVBoxLayout(markBox);
    markers_ = new QTableWidget(0, 5, markBox);
    markers_->setObjectName(QStringLiteral("ProtokollMarken"));
    markers_->setHorizontalHeaderLabels({QStringLiteral("Messung"), QStringLiteral("von/s"),
                                         QStringLiteral("bis/s"), QStringLiteral("Art"),
                                         QStringLiteral("Text")});
    markers_->verticalHeader()->hide();
    // Numbers and the kind take what they need; the text the rest.
    for (int c = 0; c < 4; ++c)
        markers_->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    markers_->horizontalHeader()->setStretchLastSection(true);
    markLayout->addWidget(markers_);
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

    const std::pair<QLineEdit*, ProtocolField> texts[] = {{site_, ProtocolField::kSite},
                                                          {operator_, ProtocolField::kOperator},
                                                          {instrument_, ProtocolField::kInstrument},
                                                          {purpose_, ProtocolField::kPurpose},
                                                          {weather_, ProtocolField::kWeather}};
    for (const auto& [edit, field] : texts)
        connect(edit, &QLineEdit::textEdited, this, [this, f = field](const QString& text) {
            (void)SetProtocolText(c_.document, f, text);
        });
    for (QLineEdit* e : {reference_, before_, after_})
        connect(e, &QLineEdit::editingFinished, this, [this] { CalibrationEdited(); });
    connect(setStart, &QPushButton::clicked, this, [this] { SetStartClicked(); });
    connect(starts_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previousRow, int) {
                if (row != previousRow) ShowSelectedStart();
            });
    connect(add, &QPushButton::clicked, this, [this] { AddMarkerClicked(); });
    connect(remove, &QPushButton::clicked, this, [this] { RemoveMarkerClicked(); });
    connect(markers_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { MarkerEdited(item->row()); });

    WireChart();
    return page_;
}

void ProtocolTab::Show() {
    const MeasurementProtocol& p = c_.document.Protocol();
    const int count = c_.document.View().shape.Measurements();
    starts_->setRowCount(count);
    for (int m = 1; m <= count; ++m) {
        const ProtocolStart* s = p.StartOf(m);
        const QStringList cells = {QString::number(m), s ? StartText(*s) : QString(),
                                   s ? StartSourceCaption(s->source) : QString()};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);  // whole, should the column be narrower
            starts_->setItem(m - 1, c, item);
        }
    }
    if (count > 0 && starts_->currentRow() < 0) starts_->selectRow(0);

    const std::pair<QLineEdit*, const QString*> texts[] = {{site_, &p.site},
                                                           {operator_, &p.operator_},
                                                           {instrument_, &p.instrument},
                                                           {purpose_, &p.purpose},
                                                           {weather_, &p.weather}};
    for (const auto& [edit, value] : texts)
        if (edit->text() != *value) edit->setText(*value);
    // A notice on an earlier input of the assessment is done with.
    if (r_.protocolShown) r_.protocolShown();
    reference_->setText(Db(p.calibration.referenceDb));
    before_->setText(Db(p.calibration.beforeDb));
    after_->setText(Db(p.calibration.afterDb));
    ShowCalibration();

    {
        const QSignalBlocker block(markers_);
        markers_->setRowCount(int(p.markers.size()));
        for (size_t i = 0; i < p.markers.size(); ++i) {
            const ProtocolMarker& mk = p.markers[i];
            const QStringList cells = {QString::number(mk.measurement), SecondsText(mk.fromS),
                                       SecondsText(mk.toS), MarkerKindCaption(mk.kind), mk.text};
            for (int c = 0; c < 5; ++c)
                markers_->setItem(int(i), c, new QTableWidgetItem(cells[c]));
        }
    }
    ShowFigures();
    ShowTimeOfDay();
}

void ProtocolTab::ShowTimeOfDay() {
    const ProtocolStart* s = c_.document.Protocol().StartOf(1);
    const bool known = s && s->start.isValid() && c_.document.View().shape.Measurements() == 1;
    timeOfDay_->setEnabled(known);
    const double msPerUnit = ChartUnitSeconds(c_.document.View()) * 1000.0;
    const bool on = known && timeOfDay_->isChecked();
    r_.levelChart->xAxis->setTicker(
        on ? QSharedPointer<QCPAxisTicker>(new TimeOfDayTicker(s->start, msPerUnit))
           : plainTicker_);
    // The axis title says what the labels are: "t/h" over times of day would mislead.
    const QString kTimeOfDayAxis = QStringLiteral("Uhrzeit");
    const QString axisLabel = r_.levelChart->xAxis->label();
    if (on && axisLabel != kTimeOfDayAxis) {
        plainAxisLabel_ = axisLabel;
        r_.levelChart->xAxis->setLabel(kTimeOfDayAxis);
    } else if (!on && axisLabel == kTimeOfDayAxis) {
        r_.levelChart->xAxis->setLabel(plainAxisLabel_);
    }
    r_.levelChart->replot(QCustomPlot::rpQueuedReplot);
    // The table's first column: the time of day of each point, or again the time from the
    // start it had (the evaluation never heads it "Uhrzeit").
    TableText table = r_.levelTable->Table();
    const bool shown = table.Cell(0, 0) == QLatin1String("Uhrzeit");
    if (on == shown) return;
    if (on) {
        plainColumn_.clear();
        const QStringList times =
            IntervalBeginnings(s->start, GetInterval(c_.document.Record()), table.Rows() - 1);
        for (int r = 0; r < table.Rows(); ++r) {
            plainColumn_ << table.Cell(0, r);
            table.SetCell(0, r,
                          r == 0 ? QStringLiteral("Uhrzeit")
                                 : QDateTime::fromString(times[r - 1], Qt::ISODateWithMs)
                                       .toString(QStringLiteral("HH:mm:ss")));
        }
    } else {
        for (int r = 0; r < table.Rows() && r < plainColumn_.size(); ++r)
            table.SetCell(0, r, plainColumn_[r]);
    }
    r_.levelTable->SetTable(table);
}

void ProtocolTab::MoveBand(double from, double to) {
    QCPItemRect* band = dragBand_;
    const QCPRange y = r_.levelChart->yAxis->range();
    band->topLeft->setCoords(std::min(from, to), y.upper);
    band->bottomRight->setCoords(std::max(from, to), y.lower);
    r_.levelChart->replot(QCustomPlot::rpQueuedReplot);
}

void ProtocolTab::ProposeMarker(double from, double to) {
    // Chart coordinates are in the program's unit; markers in seconds of measurement 1.
    const std::optional<ProtocolMarker> mk = MarkerFromChartSpan(c_.document.View(), from, to);
    if (!mk) return;
    if (const EditResult r = AddMarker(c_.document, *mk); !r.Ok()) {
        c_.setStatus(QLatin1Char(' ') + r.problem);
        return;
    }
    Show();
    const int count = int(c_.document.Protocol().markers.size());
    markers_->setCurrentCell(count - 1, 3);
    c_.setStatus(
        QStringLiteral(" Marke %1 vorgeschlagen: %2 s bis %3 s, Fremdgeräusch (Protokoll).")
            .arg(count)
            .arg(SecondsText(mk->fromS), SecondsText(mk->toS)));
}

void ProtocolTab::ShowMarkerShading() {
    for (QCPAbstractItem* item : shading_) r_.levelChart->removeItem(item);
    shading_.clear();
    const double toUnit = 1.0 / ChartUnitSeconds(c_.document.View());
    for (const ProtocolMarker& mk : c_.document.Protocol().markers) {
        if (mk.measurement != 1) continue;
        // Left-out ranges grey over the whole height; events outlined with their text on top.
        auto* rect = new QCPItemRect(r_.levelChart);
        rect->topLeft->setTypeX(QCPItemPosition::ptPlotCoords);
        rect->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
        rect->bottomRight->setTypeX(QCPItemPosition::ptPlotCoords);
        rect->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
        rect->topLeft->setCoords(mk.fromS * toUnit, 0);
        rect->bottomRight->setCoords(mk.toS * toUnit, 1);
        const bool left = mk.kind == MarkerKind::kFremdgeraeusch;
        rect->setPen(left ? Qt::NoPen : QPen(QColor(0, 120, 0), 1, Qt::DashLine));
        rect->setBrush(left ? QColor(120, 120, 120, 70) : QColor(0, 160, 0, 25));
        shading_.push_back(rect);
        if (!left && !mk.text.isEmpty()) {
            auto* label = new QCPItemText(r_.levelChart);
            label->position->setTypeX(QCPItemPosition::ptPlotCoords);
            label->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
            label->position->setCoords((mk.fromS + mk.toS) / 2 * toUnit, 0.02);
            label->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
            label->setText(mk.text);
            label->setColor(QColor(0, 100, 0));
            shading_.push_back(label);
        }
    }
    r_.levelChart->replot(QCustomPlot::rpQueuedReplot);
}

void ProtocolTab::WireChart() {
    // Beside "LeQ" on the level chart: the time of day where the start is known.
    timeOfDay_ = new QCheckBox(QStringLiteral("Uhrzeit"), r_.levelChart);
    timeOfDay_->setObjectName(QStringLiteral("UhrzeitBox"));
    timeOfDay_->setToolTip(QStringLiteral("Zeigt die Uhrzeit statt der Zeit seit Messbeginn"));
    timeOfDay_->move(r_.leqBox->x() + r_.leqBox->sizeHint().width() + 12, r_.leqBox->y());
    timeOfDay_->setEnabled(false);
    plainTicker_ = r_.levelChart->xAxis->ticker();
    connect(timeOfDay_, &QCheckBox::toggled, this, [this] { ShowTimeOfDay(); });

    // A drag with Shift over "Pegel" proposes a marker for the range dragged over.
    connect(r_.levelChart, &QCustomPlot::mousePress, this, [this](QMouseEvent* e) {
        if (!(e->modifiers() & Qt::ShiftModifier) || e->button() != Qt::LeftButton) return;
        dragFrom_ = r_.levelChart->xAxis->pixelToCoord(e->position().x());
        if (!dragBand_) {
            dragBand_ = new QCPItemRect(r_.levelChart);
            dragBand_->setPen(QPen(QColor(200, 0, 0), 1, Qt::DashLine));
            dragBand_->setBrush(QColor(200, 0, 0, 40));
        }
        dragBand_->setVisible(true);
        MoveBand(dragFrom_, dragFrom_);
    });
    connect(r_.levelChart, &QCustomPlot::mouseMove, this, [this](QMouseEvent* e) {
        if (!dragBand_ || !dragBand_->visible()) return;
        MoveBand(dragFrom_, r_.levelChart->xAxis->pixelToCoord(e->position().x()));
    });
    connect(r_.levelChart, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* e) {
        if (!dragBand_ || !dragBand_->visible()) return;
        dragBand_->setVisible(false);
        r_.levelChart->replot();
        ProposeMarker(dragFrom_, r_.levelChart->xAxis->pixelToCoord(e->position().x()));
    });
}

void ProtocolTab::ShowCalibration() {
    const ProtocolCalibration& c = c_.document.Protocol().calibration;
    drift_->setText(CalibrationDriftLines(c, NumberFormat::FromLocale()).join(QLatin1Char('\n')));
    drift_->setStyleSheet(CalibrationDriftFlagged(c) ? QStringLiteral("color: red") : QString());
}

void ProtocolTab::ShowFigures() {
    // The "Kennwerte" gain a row "ohne Fremdgeräusch" for each measurement that markers cut.
    r_.figures->SetTable(c_.document.View().evaluation.figuresTable);
    ShowMarkerShading();
}

void ProtocolTab::CalibrationEdited() {
    ProtocolCalibration c = c_.document.Protocol().calibration;
    const std::tuple<QLineEdit*, std::optional<double>*, QString> fields[] = {
        {reference_, &c.referenceDb, QStringLiteral("Kalibrator")},
        {before_, &c.beforeDb, QStringLiteral("vorher")},
        {after_, &c.afterDb, QStringLiteral("nachher")}};
    for (const auto& [edit, value, name] : fields) {
        const TypedNumber n = ReadTypedNumber(edit->text(), name);
        if (n.Ok()) {
            *value = n.value;
        } else {
            c_.setStatus(QLatin1Char(' ') + n.problem + QLatin1Char('.'));
            edit->setText(Db(*value));
        }
    }
    (void)SetCalibration(c_.document, c);
    ShowCalibration();
}

void ProtocolTab::ShowSelectedStart() {
    // The field starts from the chosen measurement's start where one is known, so that a
    // correction changes it rather than retyping it; otherwise what was typed stays.
    const ProtocolStart* s = c_.document.Protocol().StartOf(std::max(starts_->currentRow(), 0) + 1);
    if (s && s->start.isValid())
        startEdit_->setDateTime(s->start.toTimeZone(QTimeZone::systemTimeZone()));
}

void ProtocolTab::SetStartClicked() {
    const int count = c_.document.View().shape.Measurements();
    const int m = std::max(starts_->currentRow(), 0) + 1;
    if (m > count) return;
    const QDateTime typed = startEdit_->dateTime();
    const QDateTime start =
        ParseStartInput(typed.toString(Qt::ISODate), QTimeZone::systemTimeZone());
    if (!start.isValid()) {
        c_.setStatus(QStringLiteral(" Diese Uhrzeit gibt es an diesem Tag nicht."));
        return;
    }
    if (const EditResult r = SetStart(c_.document, m, start); !r.Ok()) {
        c_.setStatus(QLatin1Char(' ') + r.problem);
        return;
    }
    if (m < count &&
        c_.seams.Ask(
            c_.window, ApplicationTitle(),
            QStringLiteral("Die Messungen %1 bis %2 lückenlos anschließen?").arg(m + 1).arg(count)))
        (void)FillSeries(c_.document, m, QTimeZone::systemTimeZone());
    Show();
}

void ProtocolTab::AddMarkerClicked() {
    const ProtocolShape& shape = c_.document.View().shape;
    if (shape.Measurements() == 0) return;
    ProtocolMarker mk;
    mk.measurement = 1;
    mk.fromS = 0;
    mk.toS = shape.seconds[0];
    if (const EditResult r = AddMarker(c_.document, mk); !r.Ok()) {
        c_.setStatus(QLatin1Char(' ') + r.problem);
        return;
    }
    Show();
    markers_->setCurrentCell(int(c_.document.Protocol().markers.size()) - 1, 1);
}

void ProtocolTab::RemoveMarkerClicked() {
    const int row = markers_->currentRow();
    if (row < 0) return;
    if (RemoveMarker(c_.document, row).Ok()) Show();
}

void ProtocolTab::MarkerEdited(int row) {
    if (row < 0 || row >= int(c_.document.Protocol().markers.size())) return;
    const auto cell = [&](int c) {
        return markers_->item(row, c) ? markers_->item(row, c)->text() : QString();
    };
    ProtocolMarker mk = c_.document.Protocol().markers[size_t(row)];
    bool okM = false;
    const int m = cell(0).trimmed().toInt(&okM);
    const TypedNumber from = ReadRequiredNumber(cell(1), QStringLiteral("von"));
    const TypedNumber to = ReadRequiredNumber(cell(2), QStringLiteral("bis"));
    const QString kind = cell(3).trimmed();
    QString problem;
    if (!okM)
        problem = QStringLiteral("Messung %1 gibt es nicht").arg(cell(0));
    else if (!from.Ok() || !to.Ok())
        problem = from.Ok() ? to.problem : from.problem;
    else if (kind.compare(MarkerKindCaption(MarkerKind::kFremdgeraeusch), Qt::CaseInsensitive) !=
                 0 &&
             kind.compare(MarkerKindCaption(MarkerKind::kEreignis), Qt::CaseInsensitive) != 0)
        problem = QStringLiteral("Art ist Fremdgeräusch oder Ereignis");
    if (problem.isEmpty()) {
        mk.measurement = m;
        mk.fromS = *from.value;
        mk.toS = *to.value;
        mk.kind = kind.compare(MarkerKindCaption(MarkerKind::kEreignis), Qt::CaseInsensitive) == 0
                      ? MarkerKind::kEreignis
                      : MarkerKind::kFremdgeraeusch;
        mk.text = cell(4);
        if (const EditResult r = ChangeMarker(c_.document, row, mk); !r.Ok())
            c_.setStatus(QLatin1Char(' ') + r.problem);
        else
            return ShowFigures();
    } else {
        c_.setStatus(QStringLiteral(" Marke %1: %2.").arg(row + 1).arg(problem));
    }
    // The table shows the marker as it was again, once the edit that is still under way has
    // ended.
    QMetaObject::invokeMethod(
        this, [this] { Show(); }, Qt::QueuedConnection);
}

}  // namespace kelvarn
