// The sub-tab "Beurteilung": what it shows of the current record's assessment, and how the
// workplace tasks and the TA Lärm inputs typed there reach the protocol, its file and the
// results.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "app/TForm1.h"
#include "data/Protocol.h"
#include "eval/Assessment.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

using namespace kelvarn;

namespace {

// Program D (one hour of 600 samples of 6 s) at one level: byte / 2 - 25 dB(A).
MeasurementRecord OneHour(uint8_t sample) {
    MeasurementRecord rec;
    BuildHeader(rec, 4);
    for (int i = 0; i < GetSampleTotal(rec); ++i) rec.bytes[size_t(10 + i)] = sample;
    return rec;
}

// A start on Wednesday, 10 June 2026, in the zone the window assesses in.
MeasurementProtocol StartingAt(int hour, int minute = 0) {
    MeasurementProtocol p;
    p.SetStart(1, QDateTime(QDate(2026, 6, 10), QTime(hour, minute), QTimeZone::systemTimeZone()),
               StartSource::kEingegeben);
    return p;
}

int AreaIndex(AreaType type) {
    for (size_t i = 0; i < Areas().size(); ++i)
        if (Areas()[i].type == type) return int(i);
    return -1;
}

class AssessmentWindowTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    template <typename T>
    T* Find(const char* name, TForm1& f) {
        T* w = f.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    template <typename T>
    T* Find(const char* name) {
        return Find<T>(name, form);
    }
    void Show(const MeasurementRecord& rec, const MeasurementProtocol& p) {
        SetRecord(form, rec);
        form.Document().SetProtocol(p);
        form.ShowTime();
    }
    QString Lex() { return Find<QPlainTextEdit>("BeurteilungLex")->toPlainText(); }
    QString Lr() { return Find<QPlainTextEdit>("BeurteilungLr")->toPlainText(); }
    QTableWidget* Tasks() { return Find<QTableWidget>("BeurteilungTaetigkeiten"); }
    QTableWidget* Parts() { return Find<QTableWidget>("BeurteilungTeilzeiten"); }
    // The tasks the protocol holds; none without a workplace.
    std::vector<ExposureTask> StoredTasks() {
        const std::optional<WorkplaceInput>& w = form.Document().Protocol().workplace;
        return w ? w->tasks : std::vector<ExposureTask>{};
    }
    QString Problem() { return Find<QLabel>("BeurteilungHinweis")->text(); }
    FakeSeams seams;
    TForm1 form{&seams};
};

}  // namespace

TEST_F(AssessmentWindowTest, ShowsTheHoursAndPeriodsOfARecordWithAStart) {
    const int tab = form.Controls().PageControl2->indexOf(form.Controls().TabSheetBeurteilung);
    ASSERT_GE(tab, 0);
    EXPECT_EQ(form.Controls().PageControl2->tabText(tab), "&Beurteilung");

    // Without a start there are no clock hours: each place says why instead of a level.
    Show(OneHour(150), {});
    EXPECT_EQ(form.Controls().GridStunden->RowCount(), 1);
    const TableText none = form.Controls().GridZeitraeume->Table();
    EXPECT_EQ(none.Cell(2, 1), "–");
    EXPECT_FALSE(none.Cell(3, 1).isEmpty());
    auto* reason = Find<QLabel>("BeurteilungStundenHinweis");
    EXPECT_TRUE(
        reason->text().startsWith("Stunden und Zeiträume nicht berechnet: " + none.Cell(3, 1)))
        << reason->text().toStdString();
    EXPECT_FALSE(reason->isHidden());
    EXPECT_EQ(form.Controls().GridMessungen->Cell(5, 1), "50,0")
        << "the measurement's level needs no start";

    // 21:30 to 22:30: half a day hour and half a night hour at 50 dB(A).
    Show(OneHour(150), StartingAt(21, 30));
    const TableText hours = form.Controls().GridStunden->Table();
    ASSERT_EQ(hours.Rows(), 3);
    EXPECT_TRUE(hours.Cell(0, 1).startsWith("10.06.2026 21:00:00"))
        << hours.Cell(0, 1).toStdString();
    EXPECT_EQ(hours.Cell(1, 1), "Tag");
    EXPECT_EQ(hours.Cell(2, 1), "30,0");
    EXPECT_EQ(hours.Cell(3, 1), "50,0");
    EXPECT_EQ(hours.Cell(1, 2), "Nacht");
    const TableText periods = form.Controls().GridZeitraeume->Table();
    EXPECT_EQ(periods.Cell(1, 1), "0,50");
    EXPECT_EQ(periods.Cell(2, 1), "50,0");
    EXPECT_EQ(periods.Cell(2, 2), "50,0");
    // No Lden without day (06-18) time, no whole night hour: reasons, not levels.
    EXPECT_EQ(periods.Cell(2, 6), "–");
    EXPECT_FALSE(periods.Cell(3, 6).isEmpty());
    EXPECT_EQ(periods.Cell(2, 7), "–");
    EXPECT_FALSE(periods.Cell(3, 7).isEmpty());
    // One day bar, one night bar, and the limit of the area by day (allgemeines Wohngebiet).
    EXPECT_TRUE(reason->isHidden());
    EXPECT_EQ(form.Controls().ChartBeurteilung->Points(0).y, std::vector<double>{50.0});
    EXPECT_EQ(form.Controls().ChartBeurteilung->Points(1).y, std::vector<double>{50.0});
    EXPECT_EQ(form.Controls().ChartBeurteilung->Points(2).y, (std::vector<double>{55.0, 55.0}));
    // A marker of foreign noise over the first half hour leaves the night hour alone.
    Find<QPushButton>("MarkeHinzufuegen")->click();
    auto* markers = Find<QTableWidget>("ProtokollMarken");
    markers->item(0, 2)->setText("1800");
    EXPECT_EQ(form.Controls().GridStunden->Cell(2, 1), "0,0");
    EXPECT_EQ(form.Controls().GridStunden->Cell(3, 1), "–");
    EXPECT_EQ(form.Controls().GridMessungen->Cell(4, 1), "1800");
    EXPECT_EQ(form.Controls().ChartBeurteilung->PointCount(0), 0);
    EXPECT_EQ(form.Controls().ChartBeurteilung->Points(1).y, std::vector<double>{50.0});
    // The area's night limit once Nacht is chosen; choosing alone is an input kept.
    Find<QComboBox>("BeurteilungZeitraum")->setCurrentIndex(1);
    EXPECT_EQ(form.Controls().ChartBeurteilung->Points(2).y, (std::vector<double>{40.0, 40.0}));
    ASSERT_TRUE(form.Document().Protocol().taLaerm);
    EXPECT_EQ(form.Document().Protocol().taLaerm->period, RatingPeriod::Nacht);
}

TEST_F(AssessmentWindowTest, EditingATaskGivesTheLex8h) {
    Show(OneHour(220), StartingAt(8));  // 85 dB(A)
    EXPECT_TRUE(Lex().startsWith("LEX,8h: keine Tätigkeiten angegeben."));

    // The first task: the whole measurement for the whole day.
    Find<QPushButton>("TaetigkeitHinzufuegen")->click();
    ASSERT_EQ(StoredTasks().size(), 1u);
    EXPECT_EQ(Tasks()->item(0, 3)->text(), "8");
    EXPECT_EQ(Tasks()->item(0, 5)->text(), "85,0");
    EXPECT_TRUE(
        Lex().startsWith("LEX,8h = 85,0 dB(A)\n"
                         "Unterer Auslösewert 80 dB(A) überschritten\n"
                         "Oberer Auslösewert 85 dB(A) erreicht"))
        << Lex().toStdString();

    // Half the exposure time: 3 dB less, under the upper action value.
    Tasks()->item(0, 3)->setText("4");
    EXPECT_EQ(StoredTasks()[0].teH, 4.0);
    EXPECT_TRUE(
        Lex().startsWith("LEX,8h = 82,0 dB(A)\n"
                         "Unterer Auslösewert 80 dB(A) überschritten\n"
                         "Oberer Auslösewert 85 dB(A) nicht erreicht"))
        << Lex().toStdString();

    // A second task fills the day: its first half hour, for the other 4 h.
    Find<QPushButton>("TaetigkeitHinzufuegen")->click();
    ASSERT_EQ(Tasks()->rowCount(), 2);
    EXPECT_EQ(Tasks()->item(1, 3)->text(), "4");
    Tasks()->item(1, 2)->setText("1800");
    const std::vector<ExposureTask> tasks = StoredTasks();
    ASSERT_EQ(tasks.size(), 2u);
    EXPECT_EQ(tasks[1].range.toS, 1800.0);
    EXPECT_FALSE(tasks[1].range.fromS);
    EXPECT_EQ(Tasks()->item(1, 4)->text(), "0,50");
    EXPECT_TRUE(Lex().startsWith("LEX,8h = 85,0 dB(A)\n")) << Lex().toStdString();

    Tasks()->setCurrentCell(0, 0);
    Find<QPushButton>("TaetigkeitEntfernen")->click();
    ASSERT_EQ(StoredTasks().size(), 1u);
    EXPECT_EQ(StoredTasks()[0].range.toS, 1800.0);
    EXPECT_TRUE(Lex().startsWith("LEX,8h = 82,0 dB(A)\n")) << Lex().toStdString();
}

TEST_F(AssessmentWindowTest, AnInvalidTaskSaysWhyAndKeepsWhatWasStored) {
    struct Case {
        int column;
        const char* text;
        bool stored;         // a number that can be kept, though it gives no level
        const char* reason;  // in the row's "Hinweis", or in the tab's notice when refused
    };
    const Case cases[] = {
        {1, "4000", true, "Bereich leer (von nicht vor bis)"},  // from after to (3600 s)
        {3, "0", true, "Einwirkzeit Te muss über 0 h und höchstens 24 h sein"},
        {1, "abc", false,
         "Tätigkeit 1: von: \"abc\" ist keine Zahl (Dezimalkomma oder -punkt, ohne "
         "Tausendertrennzeichen)."},
        {0, "2", false, "Tätigkeit 1: Messung \"2\" gibt es nicht (1 bis 1)."},
        {2, "1,5,", false,
         "Tätigkeit 1: bis: \"1,5,\" ist keine Zahl (Dezimalkomma oder -punkt, ohne "
         "Tausendertrennzeichen)."},
    };
    constexpr int kTe = 3;
    Show(OneHour(150), {});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        MeasurementProtocol p;
        p.workplace = WorkplaceInput{{ExposureTask{{1, std::nullopt, 3600.0}, 8}}};
        form.Document().SetProtocol(p);
        ASSERT_TRUE(Lex().startsWith("LEX,8h = 50,0 dB(A)"));

        Tasks()->item(0, c.column)->setText(QString::fromUtf8(c.text));
        QCoreApplication::processEvents();
        const std::vector<ExposureTask> tasks = StoredTasks();
        ASSERT_EQ(tasks.size(), 1u);
        if (c.stored) {
            EXPECT_EQ(Tasks()->item(0, 6)->text(), QString::fromUtf8(c.reason));
            EXPECT_EQ(Lex().section('\n', 0, 0),
                      "LEX,8h: nicht berechnet: Tätigkeit 1: " + QString::fromUtf8(c.reason));
        } else {
            EXPECT_EQ(Problem(), QString::fromUtf8(c.reason));
            EXPECT_EQ(form.StatusText(), " " + QString::fromUtf8(c.reason));
            EXPECT_EQ(tasks[0].range.measurement, 1);
            EXPECT_FALSE(tasks[0].range.fromS);
            EXPECT_EQ(tasks[0].range.toS, 3600.0);
            // The row shows the task as stored again.
            EXPECT_EQ(Tasks()->item(0, c.column)->text(),
                      QStringList({"1", "", "3600", "8"})[c.column]);
            EXPECT_TRUE(Lex().startsWith("LEX,8h = 50,0 dB(A)"));
            // A good input afterwards clears the notice, also from the status line.
            Tasks()->item(0, kTe)->setText("6");
            EXPECT_EQ(Problem(), "");
            EXPECT_EQ(form.StatusText(), "");
        }
    }
}

TEST_F(AssessmentWindowTest, TaLaermInputsGiveLrAndComeBackFromTheFile) {
    Show(OneHour(170), StartingAt(10));  // 60 dB(A), 10:00 to 11:00 on a Wednesday
    QTemporaryDir dir;
    seams.saveName = dir.filePath("lr.dba");
    form.Speichern1Click();
    ASSERT_FALSE(form.isWindowModified());
    auto* area = Find<QComboBox>("BeurteilungGebiet");
    area->setCurrentIndex(AreaIndex(AreaType::Misch));
    EXPECT_EQ(area->toolTip(), area->currentText()) << "the whole name, however narrow the box";
    Find<QPushButton>("TeilzeitHinzufuegen")->click();
    ASSERT_EQ(Parts()->rowCount(), 1);
    EXPECT_EQ(Parts()->item(0, 3)->text(), "1") << "the measured hour, within Tr";
    auto* kt = qobject_cast<QComboBox*>(Parts()->cellWidget(0, 4));
    ASSERT_NE(kt, nullptr);
    kt->setCurrentIndex(1);
    emit kt->activated(1);
    // Lr = 10 lg(1/16 h · 1 h · 10^(0,1·(60 + 3))) = 50,96 dB(A).
    EXPECT_TRUE(
        Lr().contains("\nLr = 51,0 dB(A)\n"
                      "gerundet 51 dB(A), Immissionsrichtwert 60 dB(A): "
                      "Immissionsrichtwert orientierend eingehalten\n"))
        << Lr().toStdString();

    Parts()->item(0, 3)->setText("16");
    EXPECT_TRUE(
        Lr().contains("\nLr = 63,0 dB(A)\ngerundet 63 dB(A), Immissionsrichtwert 60 "
                      "dB(A): Immissionsrichtwert orientierend überschritten\n"))
        << Lr().toStdString();
    Find<QCheckBox>("BeurteilungMessabschlag")->setChecked(true);
    const QString result =
        "\nLr = 63,0 dB(A); Vergleichswert nach Nr. 6.9 = 60,0 dB(A)\n"
        "gerundet 60 dB(A), Immissionsrichtwert 60 dB(A): Immissionsrichtwert orientierend "
        "eingehalten\n";
    EXPECT_TRUE(Lr().contains(result)) << Lr().toStdString();
    EXPECT_TRUE(form.isWindowModified());

    const std::optional<TaLaermInput>& stored = form.Document().Protocol().taLaerm;
    ASSERT_TRUE(stored && stored->parts.size() == 1);
    EXPECT_EQ(stored->area, AreaType::Misch);
    EXPECT_TRUE(stored->messabschlag);
    EXPECT_EQ(stored->parts[0].tH, 16.0);
    EXPECT_EQ(stored->parts[0].ktDb, 3.0);

    form.Speichern1Click();
    EXPECT_FALSE(form.isWindowModified());

    FakeSeams seams2;
    TForm1 opened{&seams2};
    opened.OpenMeasurementFile(seams.saveName);
    EXPECT_FALSE(opened.isWindowModified()) << "showing the inputs changes nothing";
    EXPECT_EQ(Find<QComboBox>("BeurteilungGebiet", opened)->currentIndex(),
              AreaIndex(AreaType::Misch));
    EXPECT_TRUE(Find<QCheckBox>("BeurteilungMessabschlag", opened)->isChecked());
    auto* parts = Find<QTableWidget>("BeurteilungTeilzeiten", opened);
    ASSERT_EQ(parts->rowCount(), 1);
    EXPECT_EQ(parts->item(0, 3)->text(), "16");
    EXPECT_EQ(qobject_cast<QComboBox*>(parts->cellWidget(0, 4))->currentText(), "3");
    EXPECT_TRUE(Find<QPlainTextEdit>("BeurteilungLr", opened)->toPlainText().contains(result));
}

// Which part is offered KR is the core's rule (a table of cases there); here: the offer shows as
// the tick, its note in the tab's notice, and a tick set by hand reaches the protocol.
TEST_F(AssessmentWindowTest, TheKrOfferShowsAsTheTickAndItsNoteAsTheNotice) {
    Show(OneHour(150), StartingAt(6));
    Find<QPushButton>("TeilzeitHinzufuegen")->click();
    ASSERT_EQ(Parts()->rowCount(), 1);
    EXPECT_EQ(Parts()->item(0, 6)->checkState(), Qt::Checked);
    EXPECT_EQ(Problem(), "");

    Show(OneHour(150), StartingAt(6, 30));
    Find<QPushButton>("TeilzeitHinzufuegen")->click();
    EXPECT_EQ(Problem(),
              "Teilzeit 1 liegt nur zu 0,50 von 1,00 h in den Ruhezeiten; für KR eine eigene "
              "Teilzeit anlegen.");
    EXPECT_EQ(Parts()->item(0, 6)->checkState(), Qt::Unchecked);
    Parts()->item(0, 6)->setCheckState(Qt::Checked);
    EXPECT_TRUE(form.Document().Protocol().taLaerm->parts[0].kr);
}

TEST_F(AssessmentWindowTest, TheLoudestNightHourBecomesThePartForNacht) {
    Show(OneHour(150), StartingAt(10));
    Find<QPushButton>("NachtstundeUebernehmen")->click();
    EXPECT_TRUE(Problem().startsWith("Keine lauteste Nachtstunde: ")) << Problem().toStdString();
    EXPECT_FALSE(form.Document().Protocol().taLaerm);

    MeasurementProtocol p = StartingAt(23);
    TaLaermInput in;
    in.parts.push_back({{1, 0.0, 600.0}, 2, 0, 0, false});
    p.taLaerm = in;
    Show(OneHour(150), p);
    // Declined: the parts stay.
    seams.answers = {false};
    Find<QPushButton>("NachtstundeUebernehmen")->click();
    ASSERT_EQ(seams.asked.size(), 1);
    EXPECT_TRUE(seams.asked[0].endsWith("Die Teilzeiten durch die lauteste Nachtstunde ersetzen?"));
    EXPECT_EQ(form.Document().Protocol().taLaerm->parts[0].tH, 2.0);

    Find<QPushButton>("NachtstundeUebernehmen")->click();
    const std::optional<TaLaermInput> ta = form.Document().Protocol().taLaerm;
    ASSERT_TRUE(ta);
    EXPECT_EQ(ta->period, RatingPeriod::Nacht);
    ASSERT_EQ(ta->parts.size(), 1u);
    EXPECT_EQ(ta->parts[0].range.fromS, 0.0);
    EXPECT_EQ(ta->parts[0].range.toS, 3600.0);
    EXPECT_EQ(ta->parts[0].tH, 1.0);
    EXPECT_EQ(Find<QComboBox>("BeurteilungZeitraum")->currentIndex(), 1);
    EXPECT_TRUE(
        Lr().contains("\nLr = 50,0 dB(A)\ngerundet 50 dB(A), Immissionsrichtwert 40 "
                      "dB(A): Immissionsrichtwert orientierend überschritten\n"))
        << Lr().toStdString();
}
