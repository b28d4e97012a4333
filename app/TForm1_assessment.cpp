// The sub-tab "Beurteilung" of "&Auswertung": the clock hours and periods of the current record,
// the daily noise exposure LEX,8h of a workplace and the rating level Lr of TA Lärm. Everything
// shown is computed by the assessment of the core from the record and its protocol; the
// inputs typed here go straight into the protocol ("workplace", "ta_laerm"), so they are
// saved in the ".KVP" file and marked as unsaved work like every other protocol edit.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimeZone>
#include <QVBoxLayout>
#include <cmath>

#include "app/MenuTable.h"
#include "app/TForm1.h"
#include "eval/Assessment.h"
#include "eval/AssessmentSetup.h"
#include "eval/AssessmentText.h"
#include "eval/AssessmentView.h"
#include "eval/Figures.h"
#include "widgets/Chart.h"
#include "widgets/ChartSetup.h"
#include "widgets/StringGrid.h"

namespace kelvarn {

// The controls of the sub-tab; children of the window, found by their object names.
struct TForm1::AssessmentTab {
    QTabWidget* pages = nullptr;
    QTableWidget* tasks = nullptr;
    QPlainTextEdit* lex = nullptr;
    QComboBox* area = nullptr;
    QComboBox* period = nullptr;
    QLineEdit* cMet = nullptr;
    QCheckBox* messabschlag = nullptr;
    QCheckBox* holiday = nullptr;
    QTableWidget* parts = nullptr;
    QPlainTextEdit* lr = nullptr;
    QLabel* problem = nullptr;      // what was wrong with the last input, or what could not be read
    QLabel* hoursReason = nullptr;  // why there are no clock hours
};

namespace {

// Columns of the task and part tables: the inputs first, then what the assessment found.
enum TaskColumn { kTaskM, kTaskFrom, kTaskTo, kTaskTe, kTaskCovered, kTaskLevel, kTaskNote };
enum PartColumn {
    kPartM,
    kPartFrom,
    kPartTo,
    kPartT,
    kPartKt,
    kPartKi,
    kPartKr,
    kPartCovered,
    kPartLevel,
    kPartNote
};
const double kKtChoices[] = {0, 3, 6};

QTimeZone Zone() {
    return QTimeZone::systemTimeZone();
}

// A number as it is typed: with the decimal comma or a point, no thousands separators (the
// tables write none either); nullopt when empty. ok is false for anything else.
std::optional<double> Typed(const QString& text, bool& ok) {
    ok = true;
    QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v)) {
        ok = false;
        return std::nullopt;
    }
    return v;
}

QString NumberText(double v) {
    return NumberFormat::FromLocale().Format("%.10g", v);
}

QString OptionalText(const std::optional<double>& v) {
    return v ? NumberText(*v) : QString();
}

// Puts text into a cell, keeping the item that is there: an edit that is being committed
// still holds it.
void SetCell(QTableWidget* t, int row, int col, const QString& text, bool editable) {
    QTableWidgetItem* item = t->item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        t->setItem(row, col, item);
    }
    if (item->text() != text) item->setText(text);
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable) flags |= Qt::ItemIsEditable;
    if (item->flags() != flags) item->setFlags(flags);
}

QString CellText(const QTableWidget* t, int row, int col) {
    const QTableWidgetItem* item = t->item(row, col);
    return item ? item->text() : QString();
}

QTableWidget* InputTable(const char* name, const QStringList& headings, QWidget* parent) {
    auto* t = new QTableWidget(0, int(headings.size()), parent);
    t->setObjectName(QString::fromLatin1(name));
    t->setHorizontalHeaderLabels(headings);
    t->verticalHeader()->hide();
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->horizontalHeader()->setStretchLastSection(true);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // Room to type into an empty "von/s" or "bis/s".
    t->horizontalHeader()->setMinimumSectionSize(56);
    t->horizontalHeader()->setSectionResizeMode(int(headings.size()) - 1, QHeaderView::Stretch);
    return t;
}

QPlainTextEdit* ResultText(const char* name, QWidget* parent) {
    auto* e = new QPlainTextEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return e;
}

// A table of inputs over its buttons and result text, with a divider the user can move; the
// result starts with room for its value and verdict, warnings and notes scroll.
QSplitter* TableOverResult(QTableWidget* table, QLayout* buttons, QPlainTextEdit* result) {
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(table);
    auto* lower = new QWidget;
    auto* layout = new QVBoxLayout(lower);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(buttons);
    layout->addWidget(result, 1);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);
    return split;
}

QPushButton* Button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

// The TA Lärm input as the controls show it, with the parts as stored.
TaLaermInput SettingsOf(const QComboBox* area, const QComboBox* period, const QCheckBox* abschlag,
                        const QCheckBox* holiday, double cMet, std::vector<RatingPart> parts) {
    TaLaermInput in;
    in.area = Areas()[size_t(std::max(area->currentIndex(), 0))].type;
    in.period = period->currentIndex() == 1 ? RatingPeriod::Nacht : RatingPeriod::Tag;
    in.cMetDb = cMet;
    in.messabschlag = abschlag->isChecked();
    in.holiday = holiday->isChecked();
    in.parts = std::move(parts);
    return in;
}

bool IsDefault(const TaLaermInput& in) {
    const TaLaermInput d;
    return in.parts.empty() && in.area == d.area && in.period == d.period &&
           in.cMetDb == d.cMetDb && in.messabschlag == d.messabschlag && in.holiday == d.holiday;
}

}  // namespace

QWidget* TForm1::BuildBeurteilungTab() {
    assessmentTab_ = std::make_shared<AssessmentTab>();
    AssessmentTab& t = *assessmentTab_;
    TabSheetBeurteilung = new QWidget;
    TabSheetBeurteilung->setObjectName(QStringLiteral("TabSheetBeurteilung"));
    auto* outer = new QVBoxLayout(TabSheetBeurteilung);
    outer->setContentsMargins(2, 2, 2, 2);
    t.pages = new QTabWidget(TabSheetBeurteilung);
    t.pages->setObjectName(QStringLiteral("PageControlBeurteilung"));
    t.pages->setDocumentMode(true);
    outer->addWidget(t.pages);
    t.problem = new QLabel(TabSheetBeurteilung);
    t.problem->setObjectName(QStringLiteral("BeurteilungHinweis"));
    t.problem->setWordWrap(true);
    t.problem->setStyleSheet(QStringLiteral("color: #b00000"));
    t.problem->hide();
    outer->addWidget(t.problem);

    // Clock hours: the chart beside their table.
    ChartBeurteilung =
        new TChart(QStringLiteral("ChartBeurteilung"), QStringLiteral("Stundenpegel"));
    SetUpHourlyChart(*ChartBeurteilung);
    GridStunden = new StringGrid(QStringLiteral("GridStunden"));
    // The table's four columns stay in sight beside the chart at the window's first size.
    auto* hours = new QSplitter(Qt::Horizontal);
    hours->addWidget(ChartBeurteilung);
    hours->addWidget(GridStunden);
    hours->setStretchFactor(0, 1);
    hours->setStretchFactor(1, 1);
    hours->setSizes({330, 490});
    auto* hoursPage = new QWidget;
    auto* hoursLayout = new QVBoxLayout(hoursPage);
    hoursLayout->setContentsMargins(0, 0, 0, 0);
    t.hoursReason = new QLabel(hoursPage);
    t.hoursReason->setObjectName(QStringLiteral("BeurteilungStundenHinweis"));
    t.hoursReason->setWordWrap(true);
    t.hoursReason->hide();
    hoursLayout->addWidget(t.hoursReason);
    hoursLayout->addWidget(hours, 1);
    t.pages->addTab(hoursPage, QStringLiteral("Stu&nden"));

    // Periods with Lden and the loudest night hour, over the measurements.
    auto* periods = new QSplitter(Qt::Vertical);
    GridZeitraeume = new StringGrid(QStringLiteral("GridZeitraeume"));
    GridMessungen = new StringGrid(QStringLiteral("GridMessungen"));
    periods->addWidget(GridZeitraeume);
    periods->addWidget(GridMessungen);
    periods->setStretchFactor(0, 3);
    periods->setStretchFactor(1, 2);
    t.pages->addTab(periods, QStringLiteral("Zeiträ&ume"));

    // The workplace: tasks with their exposure times.
    auto* work = new QWidget;
    auto* workLayout = new QVBoxLayout(work);
    workLayout->setContentsMargins(4, 4, 4, 4);
    t.tasks =
        InputTable("BeurteilungTaetigkeiten",
                   {QStringLiteral("Messung"), QStringLiteral("von/s"), QStringLiteral("bis/s"),
                    QStringLiteral("Te/h"), QStringLiteral("erfasst/h"),
                    QStringLiteral("LAeq/dB(A)"), QStringLiteral("Hinweis")},
                   work);
    t.tasks->setToolTip(
        QStringLiteral("von/bis leer: die ganze Messung. Te: Einwirkzeit der Tätigkeit am "
                       "Arbeitstag"));
    auto* taskButtons = new QHBoxLayout;
    QPushButton* addTask =
        Button(QStringLiteral("Tätigkeit hin&zufügen"), "TaetigkeitHinzufuegen", work);
    QPushButton* removeTask =
        Button(QStringLiteral("Tätigkeit ent&fernen"), "TaetigkeitEntfernen", work);
    taskButtons->addWidget(addTask);
    taskButtons->addWidget(removeTask);
    taskButtons->addStretch(1);
    t.lex = ResultText("BeurteilungLex", work);
    workLayout->addWidget(TableOverResult(t.tasks, taskButtons, t.lex), 1);
    t.pages->addTab(work, QStringLiteral("Arbeitsplatz (LE&X,8h)"));

    // TA Lärm: the settings, the parts of the rating time, the result.
    auto* ta = new QWidget;
    auto* taLayout = new QVBoxLayout(ta);
    taLayout->setContentsMargins(4, 4, 4, 4);
    t.area = new QComboBox(ta);
    t.area->setObjectName(QStringLiteral("BeurteilungGebiet"));
    for (const AreaInfo& a : Areas())
        t.area->addItem(
            QStringLiteral("%1 (%2/%3 dB(A))").arg(a.name).arg(a.dayLimit).arg(a.nightLimit));
    t.area->setCurrentIndex(
        int(std::find_if(Areas().begin(), Areas().end(),
                         [](const AreaInfo& a) { return a.type == TaLaermInput{}.area; }) -
            Areas().begin()));
    t.area->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    t.area->setMinimumContentsLength(12);
    // Where the window is too narrow for the chosen area's whole name, its tooltip has it.
    t.area->setToolTip(t.area->currentText());
    connect(t.area, &QComboBox::currentTextChanged, t.area, &QWidget::setToolTip);
    t.period = new QComboBox(ta);
    t.period->setObjectName(QStringLiteral("BeurteilungZeitraum"));
    t.period->addItems({QStringLiteral("Tag (Tr = 16 h)"), QStringLiteral("Nacht (Tr = 1 h)")});
    t.period->setToolTip(QStringLiteral(
        "Tag: 06–22 Uhr, Tr = 16 h. Nacht: die lauteste volle Nachtstunde, Tr = 1 h"));
    t.cMet = new QLineEdit(ta);
    t.cMet->setObjectName(QStringLiteral("BeurteilungCmet"));
    t.cMet->setMaximumWidth(48);
    t.messabschlag = new QCheckBox(QStringLiteral("Messabschlag 3 dB (Überwachungsmessung)"), ta);
    t.messabschlag->setObjectName(QStringLiteral("BeurteilungMessabschlag"));
    t.holiday = new QCheckBox(QStringLiteral("Sonn- oder Feiertag"), ta);
    t.holiday->setObjectName(QStringLiteral("BeurteilungFeiertag"));
    t.holiday->setToolTip(
        QStringLiteral("Ruhezeiten an Sonn- und Feiertagen: 06–09, 13–15 und 20–22 Uhr"));
    QPushButton* nightHour =
        Button(QStringLiteral("Lauteste Nachtstunde übernehmen"), "NachtstundeUebernehmen", ta);
    nightHour->setToolTip(
        QStringLiteral("Setzt die lauteste ganz gemessene Nachtstunde als Teilzeit (Nacht)"));
    // The area's long names get the width left, down to the window's smallest size; the
    // ticks keep their whole captions on a row of their own.
    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("Gebiet:"), ta));
    choices->addWidget(t.area, 1);
    choices->addWidget(new QLabel(QStringLiteral("Zeitraum:"), ta));
    choices->addWidget(t.period);
    choices->addWidget(new QLabel(QStringLiteral("Cmet/dB:"), ta));
    choices->addWidget(t.cMet);
    auto* ticks = new QHBoxLayout;
    ticks->addWidget(t.messabschlag);
    ticks->addWidget(t.holiday);
    ticks->addStretch(1);
    taLayout->addLayout(choices);
    taLayout->addLayout(ticks);
    t.parts =
        InputTable("BeurteilungTeilzeiten",
                   {QStringLiteral("Messung"), QStringLiteral("von/s"), QStringLiteral("bis/s"),
                    QStringLiteral("T_j/h"), QStringLiteral("KT/dB"), QStringLiteral("KI/dB"),
                    QStringLiteral("KR"), QStringLiteral("erfasst/h"), QStringLiteral("LAeq/dB(A)"),
                    QStringLiteral("Hinweis")},
                   ta);
    t.parts->setToolTip(
        QStringLiteral("von/bis leer: die ganze Messung. KR: Zuschlag für Ruhezeiten, 6 dB"));
    auto* partButtons = new QHBoxLayout;
    QPushButton* addPart = Button(QStringLiteral("Teilzeit hinzufügen"), "TeilzeitHinzufuegen", ta);
    QPushButton* removePart = Button(QStringLiteral("Teilzeit entfernen"), "TeilzeitEntfernen", ta);
    partButtons->addWidget(addPart);
    partButtons->addWidget(removePart);
    partButtons->addWidget(nightHour);
    partButtons->addStretch(1);
    t.lr = ResultText("BeurteilungLr", ta);
    taLayout->addWidget(TableOverResult(t.parts, partButtons, t.lr), 1);
    t.pages->addTab(ta, QStringLiteral("TA L&ärm"));

    for (QWidget* w : std::initializer_list<QWidget*>{ChartBeurteilung, GridStunden, GridZeitraeume,
                                                      GridMessungen})
        AddContextMenu(this, w);

    connect(addTask, &QPushButton::clicked, this, [this] { TaetigkeitHinzufuegenClick(); });
    connect(removeTask, &QPushButton::clicked, this, [this] { TaetigkeitEntfernenClick(); });
    connect(addPart, &QPushButton::clicked, this, [this] { TeilzeitHinzufuegenClick(); });
    connect(removePart, &QPushButton::clicked, this, [this] { TeilzeitEntfernenClick(); });
    connect(nightHour, &QPushButton::clicked, this, [this] { NachtstundeUebernehmenClick(); });
    connect(t.tasks, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { AssessmentTaskEdited(item->row()); });
    connect(t.parts, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { AssessmentPartEdited(item->row()); });
    for (QComboBox* c : {t.area, t.period})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { TaLaermSettingsEdited(); });
    for (QCheckBox* c : {t.messabschlag, t.holiday})
        connect(c, &QCheckBox::toggled, this, [this] { TaLaermSettingsEdited(); });
    connect(t.cMet, &QLineEdit::editingFinished, this, [this] { TaLaermSettingsEdited(); });
    return TabSheetBeurteilung;
}

void TForm1::ShowAssessment() {
    AssessmentTab& t = *assessmentTab_;
    const NumberFormat fmt = NumberFormat::FromLocale();
    const AssessmentSetup setup = SetUpAssessment(document_.Record(), document_.Protocol(), Zone());
    const AssessmentInput& in = setup.input;
    const Assessment a = Assess(in);

    // The TA Lärm settings as stored, or as a new assessment starts.
    const TaLaermInput ta = in.taLaerm.value_or(TaLaermInput{});
    {
        const QSignalBlocker b1(t.area), b2(t.period), b3(t.messabschlag), b4(t.holiday);
        for (size_t i = 0; i < Areas().size(); ++i)
            if (Areas()[i].type == ta.area) t.area->setCurrentIndex(int(i));
        t.period->setCurrentIndex(ta.period == RatingPeriod::Nacht ? 1 : 0);
        t.messabschlag->setChecked(ta.messabschlag);
        t.holiday->setChecked(ta.holiday);
        t.cMet->setText(NumberText(ta.cMetDb));
    }
    const AreaInfo& area = AreaOf(ta.area);
    const int limit = ta.period == RatingPeriod::Tag ? area.dayLimit : area.nightLimit;

    GridStunden->SetTable(HourTable(a, fmt));
    GridZeitraeume->SetTable(PeriodTable(a, fmt));
    GridMessungen->SetTable(MeasurementLevelTable(a, fmt));
    ShowHourlyChart(*ChartBeurteilung, HourlyChart(a, limit));
    t.hoursReason->setText(
        a.hours ? QString()
                : QStringLiteral("Stunden und Zeiträume nicht berechnet: ") + a.timeReason +
                      QStringLiteral(". Der Beginn wird unter „Protokoll“ gesetzt."));
    t.hoursReason->setVisible(!a.hours);

    // Tasks: the inputs as stored, then what the assessment found for each.
    {
        const QSignalBlocker block(t.tasks);
        const TableText results = ExposureTable(a, in, fmt);
        t.tasks->setRowCount(int(in.tasks.size()));
        for (int r = 0; r < int(in.tasks.size()); ++r) {
            const ExposureTask& task = in.tasks[size_t(r)];
            SetCell(t.tasks, r, kTaskM, QString::number(task.range.measurement), true);
            SetCell(t.tasks, r, kTaskFrom, OptionalText(task.range.fromS), true);
            SetCell(t.tasks, r, kTaskTo, OptionalText(task.range.toS), true);
            SetCell(t.tasks, r, kTaskTe, NumberText(task.teH), true);
            SetCell(t.tasks, r, kTaskCovered, results.Cell(3, r + 1), false);
            SetCell(t.tasks, r, kTaskLevel, results.Cell(4, r + 1), false);
            SetCell(t.tasks, r, kTaskNote, results.Cell(5, r + 1), false);
        }
    }
    QStringList lex;
    if (!a.exposure) {
        lex << QStringLiteral("LEX,8h: keine Tätigkeiten angegeben.");
    } else if (!a.exposure->lex8h) {
        lex << QStringLiteral("LEX,8h: nicht berechnet: ") + a.exposure->reason;
    } else {
        lex << QStringLiteral("LEX,8h = %1 dB(A)").arg(fmt.Format("%.1f", *a.exposure->rounded));
        lex << a.exposure->verdict;
    }
    lex << QStringLiteral("LEX,8h = 10·lg Σ (Te/8 h)·10^(0,1·LAeq,Te)") << ExposureNotes();
    t.lex->setPlainText(lex.join(QLatin1Char('\n')));

    // Parts of the rating time, likewise.
    {
        const QSignalBlocker block(t.parts);
        const TableText results = RatingTable(a, in, fmt);
        const int n = int(ta.parts.size());
        t.parts->setRowCount(n);
        for (int r = 0; r < n; ++r) {
            const RatingPart& p = ta.parts[size_t(r)];
            SetCell(t.parts, r, kPartM, QString::number(p.range.measurement), true);
            SetCell(t.parts, r, kPartFrom, OptionalText(p.range.fromS), true);
            SetCell(t.parts, r, kPartTo, OptionalText(p.range.toS), true);
            SetCell(t.parts, r, kPartT, NumberText(p.tH), true);
            SetCell(t.parts, r, kPartKi, NumberText(p.kiDb), true);
            SetCell(t.parts, r, kPartKr, QString(), false);
            QTableWidgetItem* kr = t.parts->item(r, kPartKr);
            kr->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            kr->setCheckState(p.kr ? Qt::Checked : Qt::Unchecked);
            SetCell(t.parts, r, kPartCovered, results.Cell(3, r + 1), false);
            SetCell(t.parts, r, kPartLevel, results.Cell(4, r + 1), false);
            SetCell(t.parts, r, kPartNote, results.Cell(8, r + 1), false);
            auto* kt = qobject_cast<QComboBox*>(t.parts->cellWidget(r, kPartKt));
            if (!kt) {
                kt = new QComboBox;
                kt->setObjectName(QStringLiteral("BeurteilungKT"));
                for (double v : kKtChoices) kt->addItem(NumberText(v));
                connect(kt, &QComboBox::activated, this, [this, kt] {
                    QTableWidget* table = assessmentTab_->parts;
                    for (int row = 0; row < table->rowCount(); ++row)
                        if (table->cellWidget(row, kPartKt) == kt) AssessmentPartEdited(row);
                });
                t.parts->setCellWidget(r, kPartKt, kt);
            }
            const QSignalBlocker blockKt(kt);
            const int choice = int(std::find(std::begin(kKtChoices), std::end(kKtChoices), p.ktDb) -
                                   std::begin(kKtChoices));
            // A stored KT that is none of the three stays shown, so the reason beside it fits.
            if (choice >= 3) {
                if (kt->count() == 3) kt->addItem(QString());
                kt->setItemText(3, NumberText(p.ktDb));
                kt->setCurrentIndex(3);
            } else {
                if (kt->count() > 3) kt->removeItem(3);
                kt->setCurrentIndex(choice);
            }
        }
    }
    QStringList lr;
    lr << QStringLiteral("Gebiet: %1, Immissionsrichtwert %2: %3 dB(A)")
              .arg(area.name, ta.period == RatingPeriod::Tag ? QStringLiteral("tags")
                                                             : QStringLiteral("nachts"))
              .arg(limit);
    if (!a.rating) {
        lr << QStringLiteral("Lr: keine Teilzeiten angegeben.");
    } else if (!a.rating->lr) {
        lr << QStringLiteral("Lr: nicht berechnet: ") + a.rating->reason;
    } else {
        const RatingResult& r = *a.rating;
        lr << RatingValueText(r, ta.messabschlag, fmt)
           << QStringLiteral("gerundet %1 dB(A), Immissionsrichtwert %2 dB(A): %3")
                  .arg(*r.rounded)
                  .arg(r.limit)
                  .arg(r.verdict);
    }
    if (a.rating)
        for (const QString& w : a.rating->warnings) lr << QStringLiteral("Warnung: ") + w;
    lr << QStringLiteral("Lr = 10·lg[(1/Tr)·Σ T_j·10^(0,1·(LAeq,j − Cmet + KT,j + KI,j + KR,j))]")
       << RatingNotes() << IndicativeNote();
    t.lr->setPlainText(lr.join(QLatin1Char('\n')));

    // Inputs of the protocol file that could not be read stay unread until they are entered
    // here anew; until then the tab says so.
    if (!setup.problems.isEmpty()) {
        t.problem->setText(QStringLiteral("Nicht gelesen: ") +
                           setup.problems.join(QStringLiteral("; ")) +
                           QStringLiteral(". Eine Eingabe hier ersetzt diese Angaben."));
        t.problem->show();
    }
}

void TForm1::ShowAssessmentProblem(const QString& problem) {
    AssessmentTab& t = *assessmentTab_;
    // A notice that is done with leaves the status line too, unless something else spoke since.
    if (problem.isEmpty() && !t.problem->text().isEmpty() &&
        StatusText() == QLatin1Char(' ') + t.problem->text())
        SetStatus(QString());
    t.problem->setText(problem);
    t.problem->setVisible(!problem.isEmpty());
    if (!problem.isEmpty()) SetStatus(QLatin1Char(' ') + problem);
}

void TForm1::TaetigkeitHinzufuegenClick() {
    const AssessmentSetup setup = SetUpAssessment(document_.Record(), document_.Protocol(), Zone());
    const int count = int(setup.input.measurements.size());
    if (count == 0) {
        ShowAssessmentProblem(QStringLiteral("Keine Messung geladen."));
        return;
    }
    std::vector<ExposureTask> tasks = setup.input.tasks;
    ExposureTask task;
    // The next measurement of a series; the day's rest of 8 h as the exposure time.
    task.range.measurement = std::min(int(tasks.size()) + 1, count);
    double te = 0;
    for (const ExposureTask& other : tasks) te += other.teH;
    task.teH = std::max(8.0 - te, 0.0);
    tasks.push_back(task);
    ShowAssessmentProblem({});
    document_.EditProtocol([&](MeasurementProtocol& p) { SetWorkplaceTasks(p, tasks); });
    ShowAssessment();
    assessmentTab_->tasks->setCurrentCell(int(tasks.size()) - 1, kTaskTe);
}

void TForm1::TaetigkeitEntfernenClick() {
    std::vector<ExposureTask> tasks = WorkplaceTasksOf(document_.Protocol());
    const int row = assessmentTab_->tasks->currentRow();
    if (row < 0 || row >= int(tasks.size())) return;
    tasks.erase(tasks.begin() + row);
    document_.EditProtocol([&](MeasurementProtocol& p) { SetWorkplaceTasks(p, tasks); });
    ShowAssessment();
}

namespace {

// A range typed into a row: measurement, from and to; problem says what is wrong.
MeasurementRange TypedRange(const QTableWidget* t, int row, int count, QString& problem) {
    MeasurementRange r;
    bool okM = false, okFrom = true, okTo = true;
    const QString m = CellText(t, row, 0).trimmed();
    r.measurement = m.toInt(&okM);
    r.fromS = Typed(CellText(t, row, 1), okFrom);
    r.toS = Typed(CellText(t, row, 2), okTo);
    if (!okM || r.measurement < 1 || r.measurement > count)
        problem = QStringLiteral("Messung \"%1\" gibt es nicht (1 bis %2)").arg(m).arg(count);
    else if (!okFrom)
        problem = QStringLiteral("von \"%1\" ist keine Zahl").arg(CellText(t, row, 1));
    else if (!okTo)
        problem = QStringLiteral("bis \"%1\" ist keine Zahl").arg(CellText(t, row, 2));
    return r;
}

double TypedValue(const QString& text, const QString& name, QString& problem) {
    bool ok = true;
    const std::optional<double> v = Typed(text, ok);
    if (!ok && problem.isEmpty())
        problem = QStringLiteral("%1 \"%2\" ist keine Zahl").arg(name, text);
    return v.value_or(0);
}

}  // namespace

void TForm1::AssessmentTaskEdited(int row) {
    AssessmentTab& t = *assessmentTab_;
    std::vector<ExposureTask> tasks = WorkplaceTasksOf(document_.Protocol());
    if (row < 0 || row >= int(tasks.size())) return;
    const int count = int(SetUpAssessment(document_.Record(), document_.Protocol(), Zone())
                              .input.measurements.size());
    QString problem;
    ExposureTask task;
    task.range = TypedRange(t.tasks, row, count, problem);
    task.teH = TypedValue(CellText(t.tasks, row, kTaskTe), QStringLiteral("Te"), problem);
    if (!problem.isEmpty()) {
        ShowAssessmentProblem(QStringLiteral("Tätigkeit %1: %2.").arg(row + 1).arg(problem));
        // The row shows the task as it was again, once the edit under way has ended.
        QMetaObject::invokeMethod(
            this, [this] { ShowAssessment(); }, Qt::QueuedConnection);
        return;
    }
    ShowAssessmentProblem({});
    tasks[size_t(row)] = task;
    document_.EditProtocol([&](MeasurementProtocol& p) { SetWorkplaceTasks(p, tasks); });
    ShowAssessment();
}

namespace {

// Whether a part lies wholly in the rest periods where they count (by day, in the areas that
// have them): then KR is ticked for it as it is added or moved. A part that lies there only in
// part is named in note, since KR belongs to a part of its own.
bool RestPeriodOffered(const AssessmentInput& in, const TaLaermInput& ta, const RatingPart& p,
                       int partNumber, QString& note) {
    if (ta.period != RatingPeriod::Tag || !AreaOf(ta.area).restPeriods) return false;
    const int m = p.range.measurement;
    if (m < 1 || m > int(in.measurements.size())) return false;
    const std::optional<RestShare> share =
        RestPeriodShare(in.measurements[size_t(m - 1)], p.range, in.zone, ta.holiday);
    if (!share || share->coveredS <= 0 || share->inRestS <= 0) return false;
    // Half a second of slack for ranges typed to the second over samples of fractions.
    if (share->inRestS >= share->coveredS - 0.5) return true;
    const NumberFormat fmt = NumberFormat::FromLocale();
    note = QStringLiteral(
               "Teilzeit %1 liegt nur zu %2 von %3 h in den Ruhezeiten; für KR eine eigene "
               "Teilzeit anlegen.")
               .arg(partNumber)
               .arg(fmt.Format("%.2f", share->inRestS / 3600.0),
                    fmt.Format("%.2f", share->coveredS / 3600.0));
    return false;
}

}  // namespace

void TForm1::TeilzeitHinzufuegenClick() {
    AssessmentTab& t = *assessmentTab_;
    const AssessmentSetup setup = SetUpAssessment(document_.Record(), document_.Protocol(), Zone());
    const int count = int(setup.input.measurements.size());
    if (count == 0) {
        ShowAssessmentProblem(QStringLiteral("Keine Messung geladen."));
        return;
    }
    bool ok = true;
    const std::optional<double> cMet = Typed(t.cMet->text(), ok);
    TaLaermInput ta =
        SettingsOf(t.area, t.period, t.messabschlag, t.holiday, cMet.value_or(0),
                   setup.input.taLaerm ? setup.input.taLaerm->parts : std::vector<RatingPart>{});
    RatingPart part;
    part.range.measurement = std::min(int(ta.parts.size()) + 1, count);
    // The measured time of the measurement as its share of the rating time, at most Tr.
    const Assessment a = Assess(setup.input);
    const double trH = ta.period == RatingPeriod::Tag ? 16.0 : 1.0;
    const double coveredH =
        a.measurements[size_t(part.range.measurement - 1)].level.coveredS / 3600.0;
    part.tH = std::min(coveredH, trH);
    QString note;
    part.kr = RestPeriodOffered(setup.input, ta, part, int(ta.parts.size()) + 1, note);
    ta.parts.push_back(part);
    ShowAssessmentProblem(note);
    document_.EditProtocol([&](MeasurementProtocol& p) { SetTaLaerm(p, ta); });
    ShowAssessment();
    t.parts->setCurrentCell(int(ta.parts.size()) - 1, kPartT);
}

void TForm1::TeilzeitEntfernenClick() {
    std::optional<TaLaermInput> ta = TaLaermOf(document_.Protocol());
    const int row = assessmentTab_->parts->currentRow();
    if (!ta || row < 0 || row >= int(ta->parts.size())) return;
    ta->parts.erase(ta->parts.begin() + row);
    document_.EditProtocol(
        [&](MeasurementProtocol& p) { SetTaLaerm(p, IsDefault(*ta) ? std::nullopt : ta); });
    ShowAssessment();
}

void TForm1::AssessmentPartEdited(int row) {
    AssessmentTab& t = *assessmentTab_;
    std::optional<TaLaermInput> ta = TaLaermOf(document_.Protocol());
    if (!ta || row < 0 || row >= int(ta->parts.size())) return;
    const AssessmentSetup setup = SetUpAssessment(document_.Record(), document_.Protocol(), Zone());
    const int count = int(setup.input.measurements.size());
    QString problem;
    RatingPart part;
    part.range = TypedRange(t.parts, row, count, problem);
    part.tH = TypedValue(CellText(t.parts, row, kPartT), QStringLiteral("T_j"), problem);
    part.kiDb = TypedValue(CellText(t.parts, row, kPartKi), QStringLiteral("KI"), problem);
    const auto* kt = qobject_cast<QComboBox*>(t.parts->cellWidget(row, kPartKt));
    const RatingPart& old = ta->parts[size_t(row)];
    part.ktDb = kt && kt->currentIndex() >= 0 && kt->currentIndex() < 3
                    ? kKtChoices[kt->currentIndex()]
                    : old.ktDb;
    const QTableWidgetItem* kr = t.parts->item(row, kPartKr);
    part.kr = kr && kr->checkState() == Qt::Checked;
    if (!problem.isEmpty()) {
        ShowAssessmentProblem(QStringLiteral("Teilzeit %1: %2.").arg(row + 1).arg(problem));
        QMetaObject::invokeMethod(
            this, [this] { ShowAssessment(); }, Qt::QueuedConnection);
        return;
    }
    // A part moved to another time is offered KR anew, as one that is added.
    QString note;
    const bool moved = part.range.measurement != old.range.measurement ||
                       part.range.fromS != old.range.fromS || part.range.toS != old.range.toS;
    if (moved) part.kr = RestPeriodOffered(setup.input, *ta, part, row + 1, note);
    ShowAssessmentProblem(note);
    ta->parts[size_t(row)] = part;
    document_.EditProtocol([&](MeasurementProtocol& p) { SetTaLaerm(p, ta); });
    ShowAssessment();
}

void TForm1::TaLaermSettingsEdited() {
    AssessmentTab& t = *assessmentTab_;
    const std::optional<TaLaermInput> stored = TaLaermOf(document_.Protocol());
    const TaLaermInput before = stored.value_or(TaLaermInput{});
    bool ok = true;
    const std::optional<double> cMet = Typed(t.cMet->text(), ok);
    if (!ok) {
        ShowAssessmentProblem(QStringLiteral("Cmet \"%1\" ist keine Zahl.").arg(t.cMet->text()));
        t.cMet->setText(NumberText(before.cMetDb));
        return;
    }
    const TaLaermInput ta =
        SettingsOf(t.area, t.period, t.messabschlag, t.holiday, cMet.value_or(0), before.parts);
    ShowAssessmentProblem({});
    // Looking at the choices without changing them leaves the protocol as it was.
    if (!stored && IsDefault(ta)) {
        ShowAssessment();
        return;
    }
    document_.EditProtocol([&](MeasurementProtocol& p) {
        SetTaLaerm(p, IsDefault(ta) ? std::nullopt : std::optional<TaLaermInput>(ta));
    });
    ShowAssessment();
}

void TForm1::NachtstundeUebernehmenClick() {
    AssessmentTab& t = *assessmentTab_;
    const AssessmentSetup setup = SetUpAssessment(document_.Record(), document_.Protocol(), Zone());
    const Assessment a = Assess(setup.input);
    if (!a.loudestNightHour) {
        ShowAssessmentProblem(QStringLiteral("Keine lauteste Nachtstunde: ") + a.nightHourReason +
                              QLatin1Char('.'));
        return;
    }
    const std::optional<TaLaermInput> stored = TaLaermOf(document_.Protocol());
    if (stored && !stored->parts.empty() &&
        !seams_->Ask(this, ApplicationTitle(),
                     QStringLiteral("Die Teilzeiten durch die lauteste Nachtstunde ersetzen?")))
        return;
    bool ok = true;
    const std::optional<double> cMet = Typed(t.cMet->text(), ok);
    TaLaermInput ta = SettingsOf(t.area, t.period, t.messabschlag, t.holiday,
                                 ok ? cMet.value_or(0) : stored.value_or(TaLaermInput{}).cMetDb,
                                 NightHourParts(setup.input.measurements, *a.loudestNightHour));
    ta.period = RatingPeriod::Nacht;
    ShowAssessmentProblem({});
    document_.EditProtocol([&](MeasurementProtocol& p) { SetTaLaerm(p, ta); });
    ShowAssessment();
    SetStatus(QStringLiteral(" Lauteste Nachtstunde ab %1 als Teilzeit übernommen.")
                  .arg(LocalTimeText(a.loudestNightHour->start)));
}

}  // namespace kelvarn
