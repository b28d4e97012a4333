// The sub-tab "Protokoll": what it shows of the current record's protocol, and how edits there
// reach the protocol, the "Kennwerte" and the question before unsaved work is lost.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "app/TForm1.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

using namespace kelvarn;

namespace {

MeasurementRecord Record(int row, uint8_t sample) {
    MeasurementRecord rec;
    BuildHeader(rec, row);
    for (int i = 0; i < GetSampleTotal(rec); ++i) rec.bytes[size_t(10 + i)] = sample;
    return rec;
}

class ProtocolWindowTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    template <typename T>
    T* Find(const char* name) {
        T* w = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Show(const MeasurementRecord& rec, const MeasurementProtocol& p) {
        SetRecord(form, rec);
        form.Document().SetProtocol(p);
        form.ShowTime();
    }
    FakeSeams seams;
    TForm1 form{&seams};
};

}  // namespace

TEST_F(ProtocolWindowTest, ShowsStartsSiteCalibrationAndMarkers) {
    MeasurementProtocol p;
    p.SetStart(1, QDateTime::fromString("2026-06-10T21:37:12+02:00", Qt::ISODate),
               StartSource::kGeschaetzt);
    p.site = "Hof";
    p.calibration = {94.0, 94.1, 94.7, {}};
    ProtocolMarker mk;
    mk.fromS = 12;
    mk.toS = 30;
    mk.text = "Hund";
    mk.kind = MarkerKind::kEreignis;
    p.markers.push_back(mk);
    Show(Record(2, 150), p);

    const int tab = form.Controls().PageControl2->indexOf(form.Controls().TabSheetProtokoll);
    ASSERT_GE(tab, 0);
    EXPECT_EQ(form.Controls().PageControl2->tabText(tab), "Pro&tokoll");
    auto* starts = Find<QTableWidget>("ProtokollBeginn");
    ASSERT_EQ(starts->rowCount(), 1);
    EXPECT_EQ(starts->item(0, 1)->text(), "spätestens 10.06.2026 21:37:12");
    EXPECT_EQ(starts->item(0, 2)->text(), "geschätzt");
    EXPECT_EQ(Find<QLineEdit>("Messort")->text(), "Hof");
    EXPECT_EQ(Find<QLineEdit>("KalibrierungVorher")->text(), "94,1");
    EXPECT_EQ(Find<QLabel>("KalibrierungAbweichung")->text(),
              "Abweichung nachher − vorher: 0,6 dB\nKalibrierabweichung über 0,5 dB");
    auto* markers = Find<QTableWidget>("ProtokollMarken");
    ASSERT_EQ(markers->rowCount(), 1);
    EXPECT_EQ(markers->item(0, 1)->text(), "12,000");
    EXPECT_EQ(markers->item(0, 3)->text(), "Ereignis");
    EXPECT_EQ(markers->item(0, 4)->text(), "Hund");
    // An event leaves nothing out.
    EXPECT_EQ(form.Controls().GridKennwerte->Table().Rows(), 2);
}

TEST_F(ProtocolWindowTest, EditsGoIntoTheProtocolAndAreUnsavedWork) {
    Show(Record(2, 150), {});
    QTemporaryDir dir;
    seams.saveName = dir.filePath("m.dba");
    form.Speichern1Click();
    ASSERT_TRUE(form.MayClose());
    auto* site = Find<QLineEdit>("Messort");
    EXPECT_FALSE(form.isWindowModified());
    QTest::keyClicks(site, "Garten");
    EXPECT_EQ(form.Document().Protocol().site, "Garten");
    EXPECT_TRUE(form.isWindowModified()) << "the title marks the unsaved protocol";
    EXPECT_FALSE(form.MayClose());
    EXPECT_EQ(seams.saveQuestions, QStringList{"Änderungen speichern?"});

    auto* before = Find<QLineEdit>("KalibrierungVorher");
    auto* after = Find<QLineEdit>("KalibrierungNachher");
    before->setText("94,1");
    emit before->editingFinished();
    after->setText("93.6");
    emit after->editingFinished();
    EXPECT_EQ(form.Document().Protocol().calibration.beforeDb, 94.1);
    EXPECT_EQ(form.Document().Protocol().calibration.afterDb, 93.6);
    EXPECT_EQ(Find<QLabel>("KalibrierungAbweichung")->text(),
              "Abweichung nachher − vorher: -0,5 dB");
    after->setText("viel");
    emit after->editingFinished();
    EXPECT_EQ(form.Document().Protocol().calibration.afterDb, 93.6);
    EXPECT_EQ(after->text(), "93,6");
    EXPECT_EQ(form.StatusText(),
              " nachher: \"viel\" ist keine Zahl (Dezimalkomma oder -punkt, "
              "ohne Tausendertrennzeichen).");
}

TEST_F(ProtocolWindowTest, MarkersAreAddedEditedAndCutTheKennwerte) {
    // Program B: 60 s; the second half 30 dB louder.
    MeasurementRecord rec = Record(2, 150);
    for (int i = 500; i < 1000; ++i) rec.bytes[size_t(10 + i)] = 210;
    Show(rec, {});
    auto* markers = Find<QTableWidget>("ProtokollMarken");
    Find<QPushButton>("MarkeHinzufuegen")->click();
    ASSERT_EQ(form.Document().Protocol().markers.size(), 1u);
    EXPECT_EQ(form.Document().Protocol().markers[0].toS, 60.0);
    markers->item(0, 1)->setText("30");
    markers->item(0, 4)->setText("Lkw");
    EXPECT_EQ(form.Document().Protocol().markers[0].fromS, 30.0);
    EXPECT_EQ(form.Document().Protocol().markers[0].text, "Lkw");
    const TableText k = form.Controls().GridKennwerte->Table();
    ASSERT_EQ(k.Rows(), 3);
    EXPECT_EQ(k.Cell(0, 2), "1 ohne Fremdgeräusch");
    EXPECT_EQ(k.Cell(1, 2), " 500");
    EXPECT_EQ(k.Cell(3, 2), " 50,0");

    // A range outside the measurement is refused and shown as it was.
    markers->item(0, 2)->setText("61");
    EXPECT_EQ(form.StatusText(), " Marke 1: 30 s bis 61 s liegt nicht in Messung 1 (0 bis 60 s).");
    EXPECT_EQ(form.Document().Protocol().markers[0].toS, 60.0);
    QCoreApplication::processEvents();
    EXPECT_EQ(markers->item(0, 2)->text(), "60,000");
    markers->item(0, 3)->setText("Ereignis");
    EXPECT_EQ(form.Document().Protocol().markers[0].kind, MarkerKind::kEreignis);
    EXPECT_EQ(form.Controls().GridKennwerte->Table().Rows(), 2);

    markers->setCurrentCell(0, 0);
    Find<QPushButton>("MarkeEntfernen")->click();
    EXPECT_TRUE(form.Document().Protocol().markers.empty());
}

TEST_F(ProtocolWindowTest, AStartEnteredForASeriesOffersToFillTheOthers) {
    Show(Record(8, 150), {});  // program H: twelve measurements of 1 min
    auto* starts = Find<QTableWidget>("ProtokollBeginn");
    ASSERT_EQ(starts->rowCount(), 12);
    starts->selectRow(0);
    Find<QDateTimeEdit>("ProtokollBeginnEingabe")
        ->setDateTime(QDateTime(QDate(2026, 6, 10), QTime(10, 0, 0)));
    seams.answers = {true};
    Find<QPushButton>("ProtokollBeginnSetzen")->click();
    ASSERT_EQ(seams.asked.size(), 1);
    EXPECT_TRUE(seams.asked[0].endsWith("Die Messungen 2 bis 12 lückenlos anschließen?"));
    ASSERT_EQ(form.Document().Protocol().starts.size(), 12u);
    EXPECT_EQ(form.Document().Protocol().StartOf(12)->start.toSecsSinceEpoch() -
                  form.Document().Protocol().StartOf(1)->start.toSecsSinceEpoch(),
              11 * 60);
    EXPECT_EQ(starts->item(11, 2)->text(), "eingegeben");
    EXPECT_EQ(starts->item(0, 1)->text(), "10.06.2026 10:00:00");

    // Declined: only the one chosen.
    starts->selectRow(5);
    Find<QDateTimeEdit>("ProtokollBeginnEingabe")
        ->setDateTime(QDateTime(QDate(2026, 6, 10), QTime(12, 0, 0)));
    seams.answers = {false};
    Find<QPushButton>("ProtokollBeginnSetzen")->click();
    EXPECT_EQ(form.Document().Protocol().StartOf(6)->start.time(), QTime(12, 0, 0));
    EXPECT_EQ(form.Document().Protocol().StartOf(7)->start.time(), QTime(10, 6, 0));
}

// The field begins at the chosen measurement's start, so that a correction of an estimate
// changes it instead of retyping date and time; where none is known, what it holds stays.
TEST_F(ProtocolWindowTest, TheStartFieldShowsTheChosenMeasurementsStart) {
    MeasurementProtocol p;
    const QDateTime first = QDateTime::fromString("2026-06-10T10:00:00+02:00", Qt::ISODate);
    const QDateTime third = QDateTime::fromString("2026-06-10T10:02:00+02:00", Qt::ISODate);
    p.SetStart(1, first, StartSource::kGeschaetzt);
    p.SetStart(3, third, StartSource::kGeschaetzt);
    Show(Record(8, 150), p);  // program H: twelve measurements
    auto* starts = Find<QTableWidget>("ProtokollBeginn");
    auto* field = Find<QDateTimeEdit>("ProtokollBeginnEingabe");
    starts->selectRow(2);
    EXPECT_EQ(field->dateTime().toSecsSinceEpoch(), third.toSecsSinceEpoch());
    starts->selectRow(0);
    EXPECT_EQ(field->dateTime().toSecsSinceEpoch(), first.toSecsSinceEpoch());

    const QDateTime typed(QDate(2026, 6, 11), QTime(8, 0, 0));
    field->setDateTime(typed);
    starts->selectRow(4);
    EXPECT_EQ(field->dateTime(), typed);

    // A measurement opened with its start shows it at once, also where the same row stays
    // chosen.
    starts->selectRow(0);
    MeasurementProtocol other;
    other.SetStart(1, third, StartSource::kEingegeben);
    form.Document().TakeOver(Record(2, 120), other, QDateTime());
    form.ShowTime();
    EXPECT_EQ(field->dateTime().toSecsSinceEpoch(), third.toSecsSinceEpoch());
}

// At the window's first size the starts read whole, and a marker's text has room beside its
// numbers.
TEST_F(ProtocolWindowTest, StartsAndMarkersReadWholeAtTheFirstWindowSize) {
    MeasurementProtocol p;
    p.SetStart(1, QDateTime::fromString("2026-12-11T10:12:56+01:00", Qt::ISODate),
               StartSource::kGeschaetzt);
    ProtocolMarker mk;
    mk.toS = 10;
    mk.kind = MarkerKind::kFremdgeraeusch;
    p.markers.push_back(mk);
    Show(Record(8, 150), p);
    form.show();
    form.Controls().PageControl2->setCurrentWidget(form.Controls().TabSheetProtokoll);
    QApplication::processEvents();
    auto* starts = Find<QTableWidget>("ProtokollBeginn");
    const QString start = starts->item(0, 1)->text();
    ASSERT_TRUE(start.startsWith("spätestens ")) << start.toStdString();
    EXPECT_GE(starts->columnWidth(1), starts->fontMetrics().horizontalAdvance(start))
        << "the start is not cut";
    auto* markers = Find<QTableWidget>("ProtokollMarken");
    int beside = 0;
    for (int c = 0; c < 4; ++c) beside += markers->columnWidth(c);
    EXPECT_LT(beside, markers->viewport()->width()) << "the text column starts in view";
}

TEST_F(ProtocolWindowTest, AShiftDragOverPegelProposesAMarkerAndShadesIt) {
    Show(Record(2, 150), {});  // program B: the time axis in seconds, 0 to 60
    form.resize(1000, 800);
    form.show();
    form.Controls().PageControl2->setCurrentWidget(form.Controls().TabSheet6);
    QCoreApplication::processEvents();
    form.Controls().Chart1->replot();
    const auto at = [&](double minutes) {
        return QPoint(int(form.Controls().Chart1->xAxis->coordToPixel(minutes)),
                      int(form.Controls().Chart1->yAxis->coordToPixel(
                          form.Controls().Chart1->yAxis->range().center())));
    };
    const int itemsBefore = form.Controls().Chart1->itemCount();
    // Without Shift nothing is proposed.
    QTest::mousePress(form.Controls().Chart1, Qt::LeftButton, Qt::NoModifier, at(12));
    QTest::mouseRelease(form.Controls().Chart1, Qt::LeftButton, Qt::NoModifier, at(30));
    EXPECT_TRUE(form.Document().Protocol().markers.empty());

    QTest::mousePress(form.Controls().Chart1, Qt::LeftButton, Qt::ShiftModifier, at(30));
    QMouseEvent move(QEvent::MouseMove, at(12), form.Controls().Chart1->mapToGlobal(at(12)),
                     Qt::LeftButton, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(form.Controls().Chart1, &move);
    QTest::mouseRelease(form.Controls().Chart1, Qt::LeftButton, Qt::ShiftModifier, at(12));
    ASSERT_EQ(form.Document().Protocol().markers.size(), 1u);
    const ProtocolMarker& mk = form.Document().Protocol().markers[0];
    EXPECT_EQ(mk.kind, MarkerKind::kFremdgeraeusch);
    EXPECT_NEAR(mk.fromS, 12.0, 0.5);  // to a pixel
    EXPECT_NEAR(mk.toS, 30.0, 0.5);
    EXPECT_TRUE(form.StatusText().startsWith(" Marke 1 vorgeschlagen: "));
    // Its range is shaded on the chart; the Kennwerte gain their second row.
    EXPECT_EQ(form.Controls().Chart1->itemCount(),
              itemsBefore + 2);  // the drag band and the shading
    EXPECT_EQ(form.Controls().GridKennwerte->Table().Cell(0, 2), "1 ohne Fremdgeräusch");
}

TEST_F(ProtocolWindowTest, TheLevelTableAndChartCanShowTheTimeOfDay) {
    MeasurementProtocol p;
    const QDateTime start = QDateTime::fromString("2026-06-10T21:37:12+02:00", Qt::ISODate);
    p.SetStart(1, start, StartSource::kPcStart);
    Show(Record(2, 150), p);  // program B: a point every 60 ms
    auto* box = Find<QCheckBox>("UhrzeitBox");
    ASSERT_TRUE(box->isEnabled());
    EXPECT_FALSE(box->isChecked());  // the time from the start stays the default
    const TableText before = form.Controls().grid->Table();
    const QString axisTitle = form.Controls().Chart1->xAxis->label();
    box->setChecked(true);
    EXPECT_EQ(form.Controls().grid->Table().Cell(0, 0), "Uhrzeit");
    EXPECT_EQ(form.Controls().Chart1->xAxis->label(), "Uhrzeit");
    EXPECT_EQ(form.Controls().grid->Table().Cell(0, 1), start.toLocalTime().toString("HH:mm:ss"));
    // Point 1001 would be 60 s on: point 18 is 1,02 s after the start.
    EXPECT_EQ(form.Controls().grid->Table().Cell(0, 18),
              start.addMSecs(1020).toLocalTime().toString("HH:mm:ss"));
    EXPECT_EQ(form.Controls().grid->Table().Cell(1, 1), before.Cell(1, 1));
    // The chart's axis labels are times of day as well.
    QVector<double> ticks;
    QVector<QString> labels;
    form.Controls().Chart1->xAxis->ticker()->generate(QCPRange(0, 1), QLocale(), 'g', 6, ticks,
                                                      nullptr, &labels);
    ASSERT_FALSE(labels.isEmpty());
    EXPECT_EQ(labels[0],
              start.addMSecs(qint64(ticks[0] * 60000)).toLocalTime().toString("HH:mm:ss"));
    box->setChecked(false);
    EXPECT_EQ(form.Controls().grid->Table(), before);
    EXPECT_EQ(form.Controls().Chart1->xAxis->label(), axisTitle);

    // Without a start the toggle cannot be used.
    Show(Record(2, 150), {});
    EXPECT_FALSE(box->isEnabled());
}
