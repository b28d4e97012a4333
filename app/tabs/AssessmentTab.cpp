// The sub-tab "Beurteilung" of "&Auswertung": every value shown is the document view's
// assessment; every input typed goes to the document's assessment edits.
#include "app/tabs/AssessmentTab.h"

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
#include <QVBoxLayout>

#include "app/MenuTable.h"
#include "app/Seams.h"
#include "document/AssessmentEdits.h"
#include "document/MeasurementDocument.h"
#include "document/ResultTexts.h"
#include "document/TypedNumber.h"
#include "eval/AssessmentText.h"
#include "eval/AssessmentView.h"
#include "widgets/Chart.h"
#include "widgets/ChartSetup.h"
#include "widgets/StringGrid.h"

namespace kelvarn {

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

}  // namespace

AssessmentTab::AssessmentTab(const TabContext& context, QObject* parent)
    : QObject(parent), c_(context) {}

QWidget* AssessmentTab::Build() {
    page_ = new QWidget;
    page_->setObjectName(QStringLiteral("TabSheetBeurteilung"));
    auto* outer = new QVBoxLayout(page_);
    outer->setContentsMargins(2, 2, 2, 2);
    pages_ = new QTabWidget(page_);
    pages_->setObjectName(QStringLiteral("PageControlBeurteilung"));
    pages_->setDocumentMode(true);
    outer->addWidget(pages_);
    problem_ = new QLabel(page_);
    problem_->setObjectName(QStringLiteral("BeurteilungHinweis"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    problem_->hide();
    outer->addWidget(problem_);

    // Clock hours: the chart beside their table.
    hourChart_ = new TChart(QStringLiteral("ChartBeurteilung"), QStringLiteral("Stundenpegel"));
    SetUpHourlyChart(*hourChart_);
    hourTable_ = new StringGrid(QStringLiteral("GridStunden"));
    // The table's four columns stay in sight beside the chart at the window's first size.
    auto* hours = new QSplitter(Qt::Horizontal);
    hours->addWidget(hourChart_);
    hours->addWidget(hourTable_);
    hours->setStretchFactor(0, 1);
    hours->setStretchFactor(1, 1);
    hours->setSizes({330, 490});
    auto* hoursPage = new QWidget;
    auto* hoursLayout = new QVBoxLayout(hoursPage);
    hoursLayout->setContentsMargins(0, 0, 0, 0);
    hoursReason_ = new QLabel(hoursPage);
    hoursReason_->setObjectName(QStringLiteral("BeurteilungStundenHinweis"));
    hoursReason_->setWordWrap(true);
    hoursReason_->hide();
    hoursLayout->addWidget(hoursReason_);
    hoursLayout->addWidget(hours, 1);
    pages_->addTab(hoursPage, QStringLiteral("Stu&nden"));

    // Periods with Lden and the loudest night hour, over the measurements.
    auto* periods = new QSplitter(Qt::Vertical);
    periodTable_ = new StringGrid(QStringLiteral("GridZeitraeume"));
    measurementTable_ = new StringGrid(QStringLiteral("GridMessungen"));
    periods->addWidget(periodTable_);
    periods->addWidget(measurementTable_);
    periods->setStretchFactor(0, 3);
    periods->setStretchFactor(1, 2);
    pages_->addTab(periods, QStringLiteral("Zeiträ&ume"));

    // The workplace: tasks with their exposure times.
    auto* work = new QWidget;
    auto* workLayout = new QVBoxLayout(work);
    workLayout->setContentsMargins(4, 4, 4, 4);
    tasks_ =
        InputTable("BeurteilungTaetigkeiten",
                   {QStringLiteral("Messung"), QStringLiteral("von/s"), QStringLiteral("bis/s"),
                    QStringLiteral("Te/h"), QStringLiteral("erfasst/h"),
                    QStringLiteral("LAeq/dB(A)"), QStringLiteral("Hinweis")},
                   work);
    tasks_->setToolTip(
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
    lex_ = ResultText("BeurteilungLex", work);
    workLayout->addWidget(TableOverResult(tasks_, taskButtons, lex_), 1);
    pages_->addTab(work, QStringLiteral("Arbeitsplatz (LE&X,8h)"));

    // TA Lärm: the settings, the parts of the rating time, the result.
    auto* ta = new QWidget;
    auto* taLayout = new QVBoxLayout(ta);
    taLayout->setContentsMargins(4, 4, 4, 4);
    area_ = new QComboBox(ta);
    area_->setObjectName(QStringLiteral("BeurteilungGebiet"));
    for (const AreaInfo& a : Areas())
        area_->addItem(
            QStringLiteral("%1 (%2/%3 dB(A))").arg(a.name).arg(a.dayLimit).arg(a.nightLimit));
    area_->setCurrentIndex(
        int(std::find_if(Areas().begin(), Areas().end(),
                         [](const AreaInfo& a) { return a.type == TaLaermInput{}.area; }) -
            Areas().begin()));
    area_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    area_->setMinimumContentsLength(12);
    // Where the window is too narrow for the chosen area's whole name, its tooltip has it.
    area_->setToolTip(area_->currentText());
    connect(area_, &QComboBox::currentTextChanged, area_, &QWidget::setToolTip);
    period_ = new QComboBox(ta);
    period_->setObjectName(QStringLiteral("BeurteilungZeitraum"));
    period_->addItems({QStringLiteral("Tag (Tr = 16 h)"), QStringLiteral("Nacht (Tr = 1 h)")});
    period_->setToolTip(QStringLiteral(
        "Tag: 06–22 Uhr, Tr = 16 h. Nacht: die lauteste volle Nachtstunde, Tr = 1 h"));
    cMet_ = new QLineEdit(ta);
    cMet_->setObjectName(QStringLiteral("BeurteilungCmet"));
    cMet_->setMaximumWidth(48);
    messabschlag_ = new QCheckBox(QStringLiteral("Messabschlag 3 dB (Überwachungsmessung)"), ta);
    messabschlag_->setObjectName(QStringLiteral("BeurteilungMessabschlag"));
    holiday_ = new QCheckBox(QStringLiteral("Sonn- oder Feiertag"), ta);
    holiday_->setObjectName(QStringLiteral("BeurteilungFeiertag"));
    holiday_->setToolTip(
        QStringLiteral("Ruhezeiten an Sonn- und Feiertagen: 06–09, 13–15 und 20–22 Uhr"));
    QPushButton* nightHour =
        Button(QStringLiteral("Lauteste Nachtstunde übernehmen"), "NachtstundeUebernehmen", ta);
    nightHour->setToolTip(
        QStringLiteral("Setzt die lauteste ganz gemessene Nachtstunde als Teilzeit (Nacht)"));
    // The area's long names get the width left, down to the window's smallest size; the
    // ticks keep their whole captions on a row of their own.
    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("Gebiet:"), ta));
    choices->addWidget(area_, 1);
    choices->addWidget(new QLabel(QStringLiteral("Zeitraum:"), ta));
    choices->addWidget(period_);
    choices->addWidget(new QLabel(QStringLiteral("Cmet/dB:"), ta));
    choices->addWidget(cMet_);
    auto* ticks = new QHBoxLayout;
    ticks->addWidget(messabschlag_);
    ticks->addWidget(holiday_);
    ticks->addStretch(1);
    taLayout->addLayout(choices);
    taLayout->addLayout(ticks);
    parts_ = InputTable("BeurteilungTeilzeiten",
                        {QStringLiteral("Messung"), QStringLiteral("von/s"),
                         QStringLiteral("bis/s"), QStringLiteral("T_j/h"), QStringLiteral("KT/dB"),
                         QStringLiteral("KI/dB"), QStringLiteral("KR"), QStringLiteral("erfasst/h"),
                         QStringLiteral("LAeq/dB(A)"), QStringLiteral("Hinweis")},
                        ta);
    parts_->setToolTip(
        QStringLiteral("von/bis leer: die ganze Messung. KR: Zuschlag für Ruhezeiten, 6 dB"));
    auto* partButtons = new QHBoxLayout;
    QPushButton* addPart = Button(QStringLiteral("Teilzeit hinzufügen"), "TeilzeitHinzufuegen", ta);
    QPushButton* removePart = Button(QStringLiteral("Teilzeit entfernen"), "TeilzeitEntfernen", ta);
    partButtons->addWidget(addPart);
    partButtons->addWidget(removePart);
    partButtons->addWidget(nightHour);
    partButtons->addStretch(1);
    lr_ = ResultText("BeurteilungLr", ta);
    taLayout->addWidget(TableOverResult(parts_, partButtons, lr_), 1);
    pages_->addTab(ta, QStringLiteral("TA L&ärm"));

    for (QWidget* w :
         std::initializer_list<QWidget*>{hourChart_, hourTable_, periodTable_, measurementTable_})
        AddContextMenu(c_.window, w);

    connect(addTask, &QPushButton::clicked, this, [this] { AddTask(); });
    connect(removeTask, &QPushButton::clicked, this, [this] { RemoveTask(); });
    connect(addPart, &QPushButton::clicked, this, [this] { AddPart(); });
    connect(removePart, &QPushButton::clicked, this, [this] { RemovePart(); });
    connect(nightHour, &QPushButton::clicked, this, [this] { TakeNightHour(); });
    connect(tasks_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { TaskEdited(item->row()); });
    connect(parts_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { PartEdited(item->row()); });
    for (QComboBox* c : {area_, period_})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { SettingsEdited(); });
    for (QCheckBox* c : {messabschlag_, holiday_})
        connect(c, &QCheckBox::toggled, this, [this] { SettingsEdited(); });
    connect(cMet_, &QLineEdit::editingFinished, this, [this] { SettingsEdited(); });
    return page_;
}

void AssessmentTab::Show() {
    const NumberFormat fmt = NumberFormat::FromLocale();
    const DocumentView& view = c_.document.View();
    const AssessmentInput& in = view.assessmentSetup.input;
    const Assessment& a = view.assessment;

    // The TA Lärm settings as stored, or as a new assessment starts.
    const TaLaermInput ta = in.taLaerm.value_or(TaLaermInput{});
    {
        const QSignalBlocker b1(area_), b2(period_), b3(messabschlag_), b4(holiday_);
        for (size_t i = 0; i < Areas().size(); ++i)
            if (Areas()[i].type == ta.area) area_->setCurrentIndex(int(i));
        period_->setCurrentIndex(ta.period == RatingPeriod::Nacht ? 1 : 0);
        messabschlag_->setChecked(ta.messabschlag);
        holiday_->setChecked(ta.holiday);
        cMet_->setText(NumberText(ta.cMetDb));
    }
    const AreaInfo& area = AreaOf(ta.area);
    const int limit = ta.period == RatingPeriod::Tag ? area.dayLimit : area.nightLimit;

    hourTable_->SetTable(kelvarn::HourTable(a, fmt));
    periodTable_->SetTable(kelvarn::PeriodTable(a, fmt));
    measurementTable_->SetTable(MeasurementLevelTable(a, fmt));
    ShowHourlyChart(*hourChart_, HourlyChart(a, limit));
    hoursReason_->setText(
        a.hours ? QString()
                : QStringLiteral("Stunden und Zeiträume nicht berechnet: ") + a.timeReason +
                      QStringLiteral(". Der Beginn wird unter „Protokoll“ gesetzt."));
    hoursReason_->setVisible(!a.hours);

    ShowTasks();
    lex_->setPlainText(ExposureLines(a, fmt).join(QLatin1Char('\n')));
    ShowParts();
    lr_->setPlainText((RatingLines(a, in, fmt) << IndicativeNote()).join(QLatin1Char('\n')));

    // Inputs of the protocol file that could not be read stay unread until they are entered
    // here anew; until then the tab says so.
    const QStringList& problems = view.assessmentSetup.problems;
    if (!problems.isEmpty()) {
        problem_->setText(QStringLiteral("Nicht gelesen: ") + problems.join(QStringLiteral("; ")) +
                          QStringLiteral(". Eine Eingabe hier ersetzt diese Angaben."));
        problem_->show();
    }
}

void AssessmentTab::ShowTasks() {
    // The inputs as stored, then what the assessment found for each.
    const NumberFormat fmt = NumberFormat::FromLocale();
    const DocumentView& view = c_.document.View();
    const AssessmentInput& in = view.assessmentSetup.input;
    const QSignalBlocker block(tasks_);
    const TableText results = ExposureTable(view.assessment, in, fmt);
    tasks_->setRowCount(int(in.tasks.size()));
    for (int r = 0; r < int(in.tasks.size()); ++r) {
        const ExposureTask& task = in.tasks[size_t(r)];
        SetCell(tasks_, r, kTaskM, QString::number(task.range.measurement), true);
        SetCell(tasks_, r, kTaskFrom, OptionalText(task.range.fromS), true);
        SetCell(tasks_, r, kTaskTo, OptionalText(task.range.toS), true);
        SetCell(tasks_, r, kTaskTe, NumberText(task.teH), true);
        SetCell(tasks_, r, kTaskCovered, results.Cell(3, r + 1), false);
        SetCell(tasks_, r, kTaskLevel, results.Cell(4, r + 1), false);
        SetCell(tasks_, r, kTaskNote, results.Cell(5, r + 1), false);
    }
}

void AssessmentTab::ShowParts() {
    const NumberFormat fmt = NumberFormat::FromLocale();
    const DocumentView& view = c_.document.View();
    const AssessmentInput& in = view.assessmentSetup.input;
    const TaLaermInput ta = in.taLaerm.value_or(TaLaermInput{});
    const QSignalBlocker block(parts_);
    const TableText results = RatingTable(view.assessment, in, fmt);
    const int n = int(ta.parts.size());
    parts_->setRowCount(n);
    for (int r = 0; r < n; ++r) {
        const RatingPart& p = ta.parts[size_t(r)];
        SetCell(parts_, r, kPartM, QString::number(p.range.measurement), true);
        SetCell(parts_, r, kPartFrom, OptionalText(p.range.fromS), true);
        SetCell(parts_, r, kPartTo, OptionalText(p.range.toS), true);
        SetCell(parts_, r, kPartT, NumberText(p.tH), true);
        SetCell(parts_, r, kPartKi, NumberText(p.kiDb), true);
        SetCell(parts_, r, kPartKr, QString(), false);
        QTableWidgetItem* kr = parts_->item(r, kPartKr);
        kr->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        kr->setCheckState(p.kr ? Qt::Checked : Qt::Unchecked);
        SetCell(parts_, r, kPartCovered, results.Cell(3, r + 1), false);
        SetCell(parts_, r, kPartLevel, results.Cell(4, r + 1), false);
        SetCell(parts_, r, kPartNote, results.Cell(8, r + 1), false);
        auto* kt = qobject_cast<QComboBox*>(parts_->cellWidget(r, kPartKt));
        if (!kt) {
            kt = new QComboBox;
            kt->setObjectName(QStringLiteral("BeurteilungKT"));
            for (double v : kKtChoices) kt->addItem(NumberText(v));
            connect(kt, &QComboBox::activated, this, [this, kt] {
                for (int row = 0; row < parts_->rowCount(); ++row)
                    if (parts_->cellWidget(row, kPartKt) == kt) PartEdited(row);
            });
            parts_->setCellWidget(r, kPartKt, kt);
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

void AssessmentTab::ShowProblem(const QString& problem) {
    // A notice that is done with leaves the status line too, unless something else spoke since.
    if (problem.isEmpty() && !problem_->text().isEmpty() &&
        c_.statusText() == QLatin1Char(' ') + problem_->text())
        c_.setStatus(QString());
    problem_->setText(problem);
    problem_->setVisible(!problem.isEmpty());
    if (!problem.isEmpty()) c_.setStatus(QLatin1Char(' ') + problem);
}

void AssessmentTab::Done(const QString& problem, const QString& note) {
    // The tab shows the changed protocol already: it follows every change of it.
    ShowProblem(problem.isEmpty() ? note : problem);
}

void AssessmentTab::ApplyRowEdit(const QString& typingProblem, bool typedWell,
                                 const std::function<EditResult()>& edit) {
    const EditResult r = typedWell ? edit() : EditResult::Refused(typingProblem);
    if (r.Ok()) return Done({}, r.note);
    ShowProblem(r.problem);
    ShowAgainLater();
}

void AssessmentTab::ShowAgainLater() {
    QMetaObject::invokeMethod(
        this, [this] { Show(); }, Qt::QueuedConnection);
}

TaLaermSettings AssessmentTab::ShownSettings(double storedCmet) const {
    TaLaermSettings s;
    s.area = Areas()[size_t(std::max(area_->currentIndex(), 0))].type;
    s.period = period_->currentIndex() == 1 ? RatingPeriod::Nacht : RatingPeriod::Tag;
    const TypedNumber cMet = ReadTypedNumber(cMet_->text(), QStringLiteral("Cmet"));
    s.cMetDb = cMet.Ok() ? cMet.value.value_or(0) : storedCmet;
    s.messabschlag = messabschlag_->isChecked();
    s.holiday = holiday_->isChecked();
    return s;
}

namespace {

double StoredCmet(const MeasurementDocument& doc) {
    const std::optional<TaLaermInput>& ta = doc.View().assessmentSetup.input.taLaerm;
    return ta ? ta->cMetDb : 0;
}

// A range typed into a row: measurement, from and to; problem says what is wrong.
MeasurementRange TypedRange(const QTableWidget* t, int row, int count, QString& problem) {
    MeasurementRange r;
    bool okM = false;
    const QString m = CellText(t, row, 0).trimmed();
    r.measurement = m.toInt(&okM);
    const TypedNumber from = ReadTypedNumber(CellText(t, row, 1), QStringLiteral("von"));
    const TypedNumber to = ReadTypedNumber(CellText(t, row, 2), QStringLiteral("bis"));
    r.fromS = from.value;
    r.toS = to.value;
    if (!okM || r.measurement < 1 || r.measurement > count)
        problem = QStringLiteral("Messung \"%1\" gibt es nicht (1 bis %2)").arg(m).arg(count);
    else if (!from.Ok())
        problem = from.problem;
    else if (!to.Ok())
        problem = to.problem;
    return r;
}

// A value typed into a cell, 0 when empty; the first problem of a row is kept.
double TypedValue(const QString& text, const QString& name, QString& problem) {
    const TypedNumber n = ReadTypedNumber(text, name);
    if (!n.Ok() && problem.isEmpty()) problem = n.problem;
    return n.value.value_or(0);
}

}  // namespace

void AssessmentTab::AddTask() {
    const EditResult r = kelvarn::AddTask(c_.document);
    Done(r.problem, r.note);
    if (r.Ok()) tasks_->setCurrentCell(tasks_->rowCount() - 1, kTaskTe);
}

void AssessmentTab::RemoveTask() {
    const int row = tasks_->currentRow();
    if (row < 0 || row >= tasks_->rowCount()) return;
    const EditResult r = kelvarn::RemoveTask(c_.document, row);
    Done(r.problem, r.note);
}

void AssessmentTab::TaskEdited(int row) {
    if (row < 0 || row >= tasks_->rowCount()) return;
    const int count = int(c_.document.View().assessmentSetup.input.measurements.size());
    QString problem;
    ExposureTask task;
    task.range = TypedRange(tasks_, row, count, problem);
    task.teH = TypedValue(CellText(tasks_, row, kTaskTe), QStringLiteral("Te"), problem);
    ApplyRowEdit(QStringLiteral("Tätigkeit %1: %2.").arg(row + 1).arg(problem), problem.isEmpty(),
                 [&] { return ChangeTask(c_.document, row, task); });
}

void AssessmentTab::AddPart() {
    const EditResult r = kelvarn::AddPart(c_.document, ShownSettings(StoredCmet(c_.document)));
    Done(r.problem, r.note);
    if (r.Ok()) parts_->setCurrentCell(parts_->rowCount() - 1, kPartT);
}

void AssessmentTab::RemovePart() {
    const int row = parts_->currentRow();
    if (row < 0 || row >= parts_->rowCount()) return;
    const EditResult r = kelvarn::RemovePart(c_.document, row);
    Done(r.problem, r.note);
}

void AssessmentTab::PartEdited(int row) {
    const std::optional<TaLaermInput>& ta = c_.document.View().assessmentSetup.input.taLaerm;
    if (!ta || row < 0 || row >= int(ta->parts.size())) return;
    const int count = int(c_.document.View().assessmentSetup.input.measurements.size());
    QString problem;
    RatingPart part;
    part.range = TypedRange(parts_, row, count, problem);
    part.tH = TypedValue(CellText(parts_, row, kPartT), QStringLiteral("T_j"), problem);
    part.kiDb = TypedValue(CellText(parts_, row, kPartKi), QStringLiteral("KI"), problem);
    const auto* kt = qobject_cast<QComboBox*>(parts_->cellWidget(row, kPartKt));
    part.ktDb = kt && kt->currentIndex() >= 0 && kt->currentIndex() < 3
                    ? kKtChoices[kt->currentIndex()]
                    : ta->parts[size_t(row)].ktDb;
    const QTableWidgetItem* kr = parts_->item(row, kPartKr);
    part.kr = kr && kr->checkState() == Qt::Checked;
    ApplyRowEdit(QStringLiteral("Teilzeit %1: %2.").arg(row + 1).arg(problem), problem.isEmpty(),
                 [&] { return ChangePart(c_.document, row, part); });
}

void AssessmentTab::SettingsEdited() {
    const double stored = StoredCmet(c_.document);
    const TypedNumber cMet = ReadTypedNumber(cMet_->text(), QStringLiteral("Cmet"));
    if (!cMet.Ok()) {
        ShowProblem(cMet.problem + QLatin1Char('.'));
        cMet_->setText(NumberText(stored));
        return;
    }
    const EditResult r = SetTaLaermSettings(c_.document, ShownSettings(stored));
    Done(r.problem, r.note);
}

void AssessmentTab::TakeNightHour() {
    const std::optional<TaLaermInput>& stored = c_.document.View().assessmentSetup.input.taLaerm;
    if (c_.document.View().assessment.loudestNightHour && stored && !stored->parts.empty() &&
        !c_.seams.Ask(c_.window, ApplicationTitle(),
                      QStringLiteral("Die Teilzeiten durch die lauteste Nachtstunde ersetzen?")))
        return;
    const EditResult r = TakeLoudestNightHour(c_.document, ShownSettings(StoredCmet(c_.document)));
    if (!r.Ok()) {
        ShowProblem(r.problem);
        return;
    }
    Done({}, {});
    c_.setStatus(QLatin1Char(' ') + r.note);
}

}  // namespace kelvarn
