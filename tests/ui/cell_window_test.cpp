// The cell commands of the window against the scripted cell: what the user
// sees (status line, message boxes, title, views) and what reaches the cell.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimeZone>
#include <algorithm>
#include <map>

#include "DocumentSupport.h"
#include "cell/LiveLevel.h"
#include "cell/StartDelay.h"
#include "cell/StartTimes.h"
#include "cell_support.h"
#include "data/ProgramTable.h"
#include "eval/Figures.h"
#include "widgets/Chart.h"

using namespace kelvarn;

namespace {

QStringList Events(CellModel& cell) {
    return cell.TakeEvents();
}

bool HasEvent(const QStringList& events, const QString& part) {
    for (const QString& e : events)
        if (e.contains(part)) return true;
    return false;
}

// A cell memory of program A whose samples are all `sample`.
std::vector<uint8_t> ProgramAMemory(uint8_t sample) {
    MeasurementRecord rec;
    BuildHeader(rec, 1);
    for (int k = 0; k < 1000; ++k) rec.bytes[size_t(10 + k)] = sample;
    return {rec.bytes.begin(), rec.bytes.end()};
}

MeasurementRecord Filled(uint8_t v) {
    MeasurementRecord rec;
    rec.bytes.fill(v);
    return rec;
}

class CellCommandTest : public CellWindowTest {
protected:
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) form->LiveTick();
    }
    // The levels of the live curve.
    std::vector<double> Curve() { return form->Controls().Chart4->Points(0).y; }
};

}  // namespace

// ----- program transfer

TEST_F(CellCommandTest, TransferOfTheStartKeyProgram) {
    Start();
    form->Controls().ProgBox->setCurrentIndex(3);  // D
    form->Controls().SendProgButton->click();
    const QStringList events = Events(*cell);
    EXPECT_TRUE(HasEvent(events, "program D, START key")) << events.join('\n').toStdString();
    EXPECT_TRUE(HasEvent(events, "run program D"));
    EXPECT_EQ(seams.notices, QStringList{"Messbeginn mit der START-Taste"});
    EXPECT_EQ(form->StatusText(), " Messprogramm D.BIN übertragen...");
    EXPECT_NE(std::find(link.clock.sleeps.begin(), link.clock.sleeps.end(), 500),
              link.clock.sleeps.end());
}

TEST_F(CellCommandTest, TimedTransferWritesTheDelayUpToThePickersTime) {
    Start();
    form->Controls().Binfile->setChecked(true);
    form->Controls().RadioZeit->click();
    EXPECT_FALSE(form->Controls().Binfile->isEnabled());
    EXPECT_TRUE(form->Controls().Binfile->isChecked()) << "the check mark stays";

    seams.now = QDateTime(QDate(2026, 12, 11), QTime(22, 58, 30));
    form->Controls().DateTimePicker1->setDateTime(QDateTime(QDate::currentDate(), QTime(1, 0, 35)));
    form->Controls().SendProgButton->click();
    // Past midnight: the delay runs into the next day.
    const QStringList events = Events(*cell);
    EXPECT_TRUE(HasEvent(events, "timed program B, start in 2:02:05"))
        << events.join('\n').toStdString();
    EXPECT_TRUE(HasEvent(events, "run program B"));
    EXPECT_EQ(seams.notices,
              QStringList{"Die Zelle blinkt num im Sekundentakt bis zum Start der Messung.\n"
                          "Messbeginn am 12.12.2026 um 01:00:35 (morgen: die Uhrzeit ist heute "
                          "schon vorbei)"});
    // Remembered for the read-out of program B; any other upload forgets it.
    EXPECT_EQ(ReadRememberedStart().row, 2);
    EXPECT_EQ(ReadRememberedStart().start,
              QDateTime(QDate(2026, 12, 12), QTime(1, 0, 35)).toOffsetFromUtc(3600));

    form->Controls().radiotaste->click();
    EXPECT_TRUE(form->Controls().Binfile->isEnabled());
}

TEST_F(CellCommandTest, TransferWithoutCellShowsTheBoxAndEmptiesTheStatus) {
    Start({.silent = true});
    form->Controls().SendProgButton->click();
    EXPECT_EQ(seams.notices, QStringList{"Hardware antwortet nicht!"});
    EXPECT_EQ(form->StatusText(), "");
    for (uint8_t b : port.written) EXPECT_TRUE(b == 12 || b == 13) << int(b);
}

TEST_F(CellCommandTest, TransferWithMissingProgramFileStopsSilently) {
    Start();
    form->Controls().Binfile->setChecked(true);
    form->Controls().SendProgButton->click();
    EXPECT_EQ(form->StatusText(), "Dateifehler 2. " + QDir::current().absoluteFilePath("B.BIN"));
    EXPECT_TRUE(seams.notices.isEmpty());
    EXPECT_FALSE(HasEvent(Events(*cell), "run program"));
}

// ----- read-out and query

TEST_F(CellCommandTest, ReadOutFillsTheRecordAndEvaluatesIt) {
    Start({.program = 2});
    form->Controls().Au1->trigger();
    MeasurementRecord expected = cell->Memory();
    expected.bytes[8] = 1;
    expected.bytes[9] = 1;
    EXPECT_EQ(form->Document().Record(), expected);
    EXPECT_EQ(form->StatusText(), " OK.");
    EXPECT_EQ(form->windowTitle(), "KELVARN - OhneName.dba[*]");
    EXPECT_EQ(form->Document().ProposedSaveName(), "OhneName.dba");
    EXPECT_EQ(form->Controls().RichEdit1->toPlainText(), "Bemerkungen hier ...");
    EXPECT_FALSE(form->Controls().ProgressBar1->isVisibleTo(form.get()));
    EXPECT_EQ(form->Controls().ProgressBar1->maximum(), 1000);
    EXPECT_EQ(form->Controls().ProgressBar1->value(), 1000);
    EXPECT_EQ(form->Controls().PageControl1->currentWidget(), form->Controls().TabSheet4);
    EXPECT_EQ(form->Controls().Chart1->PointCount(0), 1000);
    EXPECT_TRUE(seams.notices.isEmpty());
}

TEST_F(CellCommandTest, ReadOutSetsTheLatestPossibleStartOrTheRememberedTimedStart) {
    const QDateTime now(QDate(2026, 6, 10), QTime(12, 0, 0), QTimeZone("Europe/Berlin"));
    seams.now = now;
    Start({.program = 2});
    ForgetRememberedStart();
    form->Controls().Au1->trigger();
    const int measured = MeasuredCount(form->Document().Record().bytes.data() + 10, 1000, 1);
    ASSERT_GT(measured, 0);
    ASSERT_EQ(form->Document().Protocol().starts.size(), 1u);
    EXPECT_EQ(form->Document().Protocol().starts[0].source, StartSource::kGeschaetzt);
    EXPECT_EQ(form->Document().Protocol().starts[0].start, now.addMSecs(-measured * 60));
    EXPECT_EQ(form->Document().Protocol().starts[0].start.offsetFromUtc(), 7200);
    EXPECT_TRUE(seams.asked.isEmpty());

    // A timed start of program B remembered from the upload: offered, and taken.
    const QDateTime timed = QDateTime::fromString("2026-06-10T09:00:00+02:00", Qt::ISODate);
    ASSERT_TRUE(RememberStart({2, timed}));
    seams.answers = {true, false};
    seams.saveAnswers.assign(4, Seams::SaveAnswer::No);  // the last read-out is in no file
    form->Controls().Au1->trigger();
    ASSERT_EQ(seams.asked.size(), 1);
    EXPECT_TRUE(
        seams.asked[0].contains("Programm B wurde für den 10.06.2026 um 09:00:00 "
                                "zeitgesteuert gestartet."))
        << seams.asked.join('|').toStdString();
    ASSERT_EQ(form->Document().Protocol().starts.size(), 1u);
    EXPECT_EQ(form->Document().Protocol().starts[0].source, StartSource::kZeitstart);
    EXPECT_EQ(form->Document().Protocol().starts[0].start, timed);
    // Declined: the estimate.
    form->Controls().Au1->trigger();
    EXPECT_EQ(form->Document().Protocol().starts[0].source, StartSource::kGeschaetzt);
    // A start after the read-out is not offered.
    ASSERT_TRUE(RememberStart({2, now.addSecs(60)}));
    form->Controls().Au1->trigger();
    EXPECT_EQ(seams.asked.size(), 2);
    ForgetRememberedStart();
}

TEST_F(CellCommandTest, ReadOutOfTwelveMeasurementsShowsTheOverview) {
    Start({.program = 7});
    // The bar runs once over both passes (500 and 6000 samples), never back to its start.
    std::vector<int> shown;
    QObject::connect(form->Controls().ProgressBar1, &QProgressBar::valueChanged,
                     [&shown](int v) { shown.push_back(v); });
    form->Controls().Au1->trigger();
    EXPECT_EQ(form->Document().Record().bytes[9], 12);
    EXPECT_EQ(form->Controls().ProgressBar1->maximum(), 500 + 6000);
    EXPECT_EQ(form->Controls().ProgressBar1->value(), 500 + 6000);
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_TRUE(form->Controls().PageControl2->isTabVisible(
        form->Controls().PageControl2->indexOf(form->Controls().TabSheet9)));
    EXPECT_EQ(form->StatusText(), " OK.");
}

TEST_F(CellCommandTest, IncompleteReadOutIsAFailureButKeepsAndEvaluatesWhatArrived) {
    Start({.program = 2, .stopReadAfter = 8 + 500});
    form->Controls().Au1->trigger();
    // The cause is named, in the box and on the status line alike.
    EXPECT_EQ(form->StatusText(),
              " Auslesen unvollständig! Nur 500 von 1000 Messwerten empfangen. Zelle antwortet "
              "nicht mehr.");
    EXPECT_EQ(seams.notices,
              QStringList{"Auslesen unvollständig! Nur 500 von 1000 Messwerten empfangen. Zelle "
                          "antwortet nicht mehr."});
    EXPECT_EQ(form->Document().Record().bytes[10 + 499], cell->Memory().bytes[10 + 499]);
    EXPECT_EQ(form->Document().Record().bytes[10 + 500], 0);
    EXPECT_EQ(form->windowTitle(), "KELVARN - OhneName.dba[*]");
    EXPECT_EQ(form->Controls().PageControl1->currentWidget(), form->Controls().TabSheet4);

    // And it can be saved as it is.
    seams.saveName = WorkPath("teil.dba");
    form->Controls().Speichern1->trigger();
    QFile f(seams.saveName);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray saved = f.readAll();
    EXPECT_EQ(saved,
              QByteArray(reinterpret_cast<const char*>(form->Document().Record().bytes.data()),
                         MeasurementRecord::kSize));
}

TEST_F(CellCommandTest, DefectiveHeaderShowsItsBoxAndKeepsTheRecord) {
    Start({.program = 2, .badHeader = true});
    SetRecord(*form, Filled(0x55));
    seams.saveAnswers = {Seams::SaveAnswer::No};  // the record shown is in no file
    form->Controls().Au1->trigger();
    EXPECT_EQ(seams.notices, QStringList{" Datensatz ist defekt!  Bitte Batterieen überprüfen."});
    EXPECT_EQ(form->StatusText(), " Fehler.");
    // The title still names no file, and marks the record in hand as in none.
    EXPECT_EQ(form->windowTitle(), "Kelvarn[*]");
    EXPECT_EQ(form->Document().Record(), Filled(0x55)) << "what the evaluation shows stays savable";
}

TEST_F(CellCommandTest, ReadOutWithoutCellIsNotReady) {
    Start({.silent = true});
    form->Controls().Au1->trigger();
    EXPECT_EQ(seams.notices, QStringList{"Hardware nicht bereit! Zelle antwortet nicht."});
    EXPECT_EQ(form->StatusText(), " Hardware nicht bereit! Zelle antwortet nicht.");
    EXPECT_FALSE(form->Controls().ProgressBar1->isVisibleTo(form.get()));
}

TEST_F(CellCommandTest, QueryShowsTheLetterOrUnknown) {
    Start({.program = 5});
    SetRecord(*form, Filled(0x12));
    form->Controls().Button2->click();
    EXPECT_EQ(form->StatusText(), " Gefundener Messtyp: E");
    EXPECT_EQ(form->Document().Record(), Filled(0x12));

    Replace({.silent = true});
    form->Controls().Button2->click();
    EXPECT_EQ(form->StatusText(),
              " Gefundener Messtyp: Unbekannt. Möglicherweise sollte die Hardware aus- und "
              "eingeschaltet werden.");
}

// ----- start from the PC and the live level

TEST_F(CellCommandTest, ProgramAFromThePcShowsAThousandSamples) {
    Start();
    // Maximum and minimum are named, and empty until the first level.
    for (QLabel* value : {form->Controls().LabelMax, form->Controls().LabelMin}) {
        auto* name = form->findChild<QLabel*>(value->objectName() + "Caption");
        ASSERT_NE(name, nullptr);
        EXPECT_EQ(name->text(), value == form->Controls().LabelMax ? "Max:" : "Min:");
        EXPECT_EQ(name->parentWidget(), value->parentWidget());
        EXPECT_EQ(value->text(), "");
    }
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    EXPECT_EQ(form->Controls().LabelMax->text(), "");
    EXPECT_EQ(form->Controls().LabelMin->text(), "");
    const QStringList events = Events(*cell);
    EXPECT_TRUE(HasEvent(events, "program A, START key"));
    EXPECT_TRUE(HasEvent(events, "run program A"));
    EXPECT_TRUE(HasEvent(events, "live start, program A, 1000 samples"));
    EXPECT_EQ(form->StatusText(), " Messung läuft ...");
    EXPECT_EQ(form->Live().Row(), 1);
    EXPECT_EQ(form->Controls().Chart4->xAxis->label(), "t/s");
    EXPECT_EQ(form->Controls().Chart4->xAxis->range(), QCPRange(0, 10));
    EXPECT_EQ(form->Controls().directbar->maximum(), 1000);
    EXPECT_TRUE(form->LiveRunning());

    Ticks(999);
    EXPECT_EQ(form->StatusText(), " Programm A, Messwert 999");
    EXPECT_TRUE(form->LiveRunning());
    Ticks(1);  // the end test comes first, then the last sample
    EXPECT_FALSE(form->LiveRunning());
    EXPECT_EQ(form->StatusText(), " Programm A, Messwert 1000");
    EXPECT_EQ(form->Live().Count(), 1000);
    EXPECT_EQ(form->Controls().directbar->value(), 1000);

    const SeriesData line = form->Controls().Chart4->Points(0);
    ASSERT_EQ(line.Count(), 1000);
    EXPECT_NEAR(line.x.back(), 9.99, 1e-9);
    std::map<double, int> histogram;
    for (int k = 0; k < 1000; ++k) {
        ASSERT_EQ(line.y[size_t(k)], SampleToLevel(cell->Memory().bytes[size_t(10 + k)])) << k;
        ++histogram[line.y[size_t(k)]];
    }
    const double last = line.y.back();
    EXPECT_EQ(form->Controls().Panel1->text(), QLocale().toString(last, 'f', 1).rightJustified(5));
    EXPECT_EQ(form->Controls().dbabar->value(), RoundHalfEven(last));
    const auto [lo, hi] = std::minmax_element(line.y.begin(), line.y.end());
    EXPECT_EQ(form->Controls().LabelMax->text(), QLocale().toString(*hi));
    EXPECT_EQ(form->Controls().LabelMin->text(), QLocale().toString(*lo));

    const SeriesData bars = form->Controls().Chart5->Points(0);
    ASSERT_EQ(size_t(bars.Count()), histogram.size());
    size_t i = 0;
    for (const auto& [level, count] : histogram) {
        EXPECT_EQ(bars.x[i], level);
        EXPECT_EQ(bars.y[i], count);
        ++i;
    }
}

TEST_F(CellCommandTest, AutomaticRestartStartsAgainAfterOneSampleLess) {
    Start();
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().dauerbox->setChecked(true);
    form->Controls().Button1->click();
    Ticks(999);
    Events(*cell);
    port.written.clear();
    Ticks(1);
    EXPECT_EQ(form->StatusText(), " Messung läuft ...");
    EXPECT_EQ(form->Live().Count(), 0);
    EXPECT_EQ(form->Controls().Chart4->PointCount(0), 0);
    EXPECT_EQ(form->Controls().Chart5->PointCount(0), 0);
    EXPECT_TRUE(form->LiveRunning());
    ASSERT_FALSE(port.written.empty());
    EXPECT_EQ(port.written.front(), 12) << "the whole start sequence, connection check first";
    const QStringList events = Events(*cell);
    EXPECT_TRUE(HasEvent(events, "program A, START key"));
    EXPECT_TRUE(HasEvent(events, "live start, program A"));
}

// Closing the window ends a live measurement too: it asks as a command does, and Nein keeps
// both the window and the measurement.
TEST_F(CellCommandTest, ClosingDuringALiveMeasurementAsksFirst) {
    Start();
    form->show();
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    Ticks(5);
    seams.asked.clear();
    seams.answers = {false};
    EXPECT_FALSE(form->close());
    EXPECT_EQ(seams.asked,
              QStringList{ApplicationTitle() + "|Die laufende Messung wird beendet. Fortfahren?"});
    EXPECT_TRUE(form->LiveRunning());
    Ticks(1);
    EXPECT_EQ(form->Live().Count(), 6) << "the measurement goes on";

    seams.answers = {true};
    EXPECT_TRUE(form->close());
}

// The measurement reaches its end while the question before another command is open: its
// automatic restart waits for the answer. Ja runs the command instead of the restart; Nein
// restarts as if nothing had been asked.
TEST_F(CellCommandTest, ARestartDueDuringTheQuestionWaitsForTheAnswer) {
    for (const bool yes : {true, false}) {
        SCOPED_TRACE(yes ? "Ja" : "Nein");
        Start();
        form->Controls().ProgBox->setCurrentIndex(0);
        form->Controls().dauerbox->setChecked(true);
        form->Controls().Button1->click();
        Ticks(999);
        ASSERT_TRUE(form->LiveRunning());
        Events(*cell);
        seams.answers = {yes};
        seams.onAsk = [&] { Ticks(1); };    // the measurement's end comes now
        form->Controls().Button2->click();  // the program query
        seams.onAsk = nullptr;
        const QStringList events = Events(*cell);
        EXPECT_EQ(HasEvent(events, "live start"), !yes) << events.join("; ").toStdString();
        EXPECT_EQ(form->LiveRunning(), !yes);
        if (yes) {
            EXPECT_EQ(form->StatusText(), " Gefundener Messtyp: A");
        } else {
            EXPECT_EQ(form->StatusText(), " Messung läuft ...");
            EXPECT_EQ(form->Live().Count(), 0) << "started afresh";
        }
        form.reset();
    }
}

TEST_F(CellCommandTest, ALiveZeroByteStopsWithFehler) {
    Start({.liveZeroAfter = 5});
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    Ticks(6);
    EXPECT_EQ(form->StatusText(), " Fehler.");
    EXPECT_FALSE(form->LiveRunning());
    EXPECT_EQ(form->Controls().Chart4->PointCount(0), 5) << "the views keep what they show";
    EXPECT_EQ(form->Live().Count(), 5);
}

TEST_F(CellCommandTest, StartWithoutCellOrWithUnknownProgram) {
    Start({.silent = true});
    form->Controls().Button1->click();
    EXPECT_EQ(form->StatusText(), " Hardware antwortet nicht.");
    EXPECT_FALSE(form->LiveRunning());

    Replace({.badHeader = true});
    form->Controls().Button1->click();
    EXPECT_EQ(form->StatusText(), " Messprogramm nicht korrekt.");
    EXPECT_EQ(form->Live().Row(), -1);
    EXPECT_FALSE(HasEvent(Events(*cell), "run program")) << "the program went in, no run command";
    EXPECT_FALSE(form->LiveRunning());
}

TEST_F(CellCommandTest, TakeOverTurnsTheLiveCurveIntoTheRecord) {
    // A cell that keeps its memory: the program file is none of Kelvarn's.
    Put("A.BIN", QByteArray("\x01\x02\x03", 3));
    Start({.memoryFile = ProgramAMemory(141)});
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Binfile->setChecked(true);
    seams.now = QDateTime(QDate(2026, 10, 25), QTime(2, 30, 0), QTimeZone("Europe/Berlin"));
    form->Controls().Button1->click();
    ASSERT_EQ(form->Live().Row(), 1);
    Ticks(100);
    ASSERT_EQ(Curve(), std::vector<double>(100, 45.5));

    SetRecord(*form, Filled(0x33));
    seams.saveAnswers.assign(4, Seams::SaveAnswer::No);  // each record shown is in no file
    const QDateTime started = seams.now;
    form->Document().EditProtocol([](MeasurementProtocol& p) { p.site = "Hof"; });
    form->Controls().Button3->click();
    // The start from the PC is the take-over's start time; the site stays.
    ASSERT_EQ(form->Document().Protocol().starts.size(), 1u);
    EXPECT_EQ(form->Document().Protocol().starts[0].source, StartSource::kPcStart);
    EXPECT_EQ(form->Document().Protocol().starts[0].start, started);
    EXPECT_EQ(form->Document().Protocol().site, "Hof");
    // Samples that never arrived are no levels, not the rest of whatever
    // record was shown before.
    MeasurementRecord expected;
    BuildHeader(expected, 1);
    for (int k = 0; k < 100; ++k) expected.bytes[size_t(10 + k)] = 141;
    EXPECT_EQ(form->Document().Record(), expected);
    EXPECT_EQ(form->Controls().PageControl1->currentWidget(), form->Controls().TabSheet4);
    EXPECT_EQ(form->StatusText(), " 100 von 1000 Messwerten übernommen.");

    // Every "Zur Auswertung" of the live views does the same.
    for (const char* name : {"ZurAuswertung1", "ZurAuswertung2", "ZurAuswertung3"}) {
        SCOPED_TRACE(name);
        SetRecord(*form, Filled(0x33));
        QAction* action = form->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr);
        action->trigger();
        EXPECT_EQ(form->Document().Record(), expected);
    }
    EXPECT_TRUE(seams.notices.isEmpty());
}

TEST_F(CellCommandTest, TakeOverWithoutLiveCurveDoesNothing) {
    Start();
    SetRecord(*form, Filled(0x33));
    form->Controls().Button3->click();
    EXPECT_EQ(form->Document().Record(), Filled(0x33));
    EXPECT_EQ(form->Controls().PageControl1->currentWidget(), form->Controls().TabSheet1);
    EXPECT_TRUE(seams.notices.isEmpty());
}

TEST_F(CellCommandTest, TakeOverAfterAStartWithoutProgramIsRefused) {
    Start();
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    Ticks(10);
    Replace({.badHeader = true});
    form->Controls().Button1->click();
    ASSERT_EQ(form->Live().Row(), -1);
    ASSERT_EQ(form->Controls().Chart4->PointCount(0), 10) << "a failed start leaves the views";

    SetRecord(*form, Filled(0x33));
    form->Controls().Button3->click();
    EXPECT_EQ(seams.notices,
              QStringList{"Die Direktmessung kann nicht übernommen werden: Messprogramm nicht "
                          "korrekt."});
    EXPECT_EQ(form->Document().Record(), Filled(0x33));
    EXPECT_EQ(form->Controls().PageControl1->currentWidget(), form->Controls().TabSheet1);
}

TEST_F(CellCommandTest, EndTestFollowsTheProgramSelectedNow) {
    Start();
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    Ticks(10);
    form->Controls().ProgBox->setCurrentIndex(6);  // G: 500 samples
    Ticks(489);
    EXPECT_TRUE(form->LiveRunning());
    Ticks(1);
    EXPECT_FALSE(form->LiveRunning());
    EXPECT_EQ(form->StatusText(), " Programm A, Messwert 500");
    EXPECT_EQ(form->Controls().directbar->maximum(), 1000)
        << "the bar stays that of the program running";
}

TEST_F(CellCommandTest, DigitsGrowWithThePanelAndStayWithinIt) {
    Start();
    form->show();
    form->Controls().PageControl1->setCurrentWidget(form->Controls().TabSheet2);
    const QString widest = QLocale().toString(888.8, 'f', 1);
    // A panel wider than tall: a third of its height, in points.
    form->resize(1200, 500);
    QApplication::processEvents();
    const int h1 = form->Controls().Panel1->height();
    ASSERT_GT(form->Controls().Panel1->width(), 2 * h1);
    EXPECT_EQ(form->Controls().Panel1->font().pointSize(), h1 / 3);

    form->resize(1200, 800);
    QApplication::processEvents();
    const int h2 = form->Controls().Panel1->height();
    EXPECT_GT(h2, h1);
    EXPECT_GT(form->Controls().Panel1->font().pointSize(), h1 / 3) << "grows with the height";
    EXPECT_LE(form->Controls().Panel1->font().pointSize(), h2 / 3);
    EXPECT_LE(QFontMetrics(form->Controls().Panel1->font()).horizontalAdvance(widest),
              form->Controls().Panel1->contentsRect().width())
        << "the widest level is never cut off";
    EXPECT_EQ(form->size(), QSize(1200, 800)) << "the digits do not push the window";
}
