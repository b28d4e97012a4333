#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "app/TForm1.h"
#include "widgets/Chart.h"
#include "widgets/StringGrid.h"

using namespace kelvarn;

namespace {

QString TabText(QTabWidget* tabs, QWidget* page) {
    return tabs->tabText(tabs->indexOf(page));
}

bool TabVisible(QTabWidget* tabs, QWidget* page) {
    return tabs->isTabVisible(tabs->indexOf(page));
}

class WindowTest : public ::testing::Test {
protected:
    FakeSeams seams;
    TForm1 form{&seams};
};

}  // namespace

TEST_F(WindowTest, StartsAsTheProgramIsKnown) {
    EXPECT_EQ(form.windowTitle(), "Kelvarn");
    EXPECT_EQ(form.size(), QSize(800, 596));
    EXPECT_EQ(form.minimumSize(), QSize(640, 480));
    EXPECT_EQ(form.Controls().PageControl1->currentWidget(), form.Controls().TabSheet1);
    EXPECT_EQ(form.StatusText(),
              " Nach der DOS-Version 1.1 vom Oktober 2000 im Vertrieb der Tessaro Computer GmbH.");
    EXPECT_EQ(TabText(form.Controls().PageControl1, form.Controls().TabSheet1), "&Kelvarn");
    EXPECT_EQ(TabText(form.Controls().PageControl1, form.Controls().TabSheet2), "D&irekt");
    EXPECT_EQ(TabText(form.Controls().PageControl1, form.Controls().TabSheet4), "&Auswertung");
    EXPECT_EQ(TabText(form.Controls().PageControl1, form.Controls().TabSheet13), "&Einstellungen");
    EXPECT_FALSE(form.Controls().ProgressBar1->isVisibleTo(&form));
    EXPECT_EQ(form.Controls().RichEdit1->toPlainText(), "Beschreibung\n");
    EXPECT_EQ(form.Controls().ProgBox->currentIndex(), 1);
    EXPECT_EQ(form.Controls().ProgBox->currentText(), "B -  1 Minute ");
    EXPECT_EQ(form.Controls().ComBox->count(), 17);
    EXPECT_EQ(form.Controls().ComBox->itemText(0), "kein Port");
    EXPECT_EQ(form.Controls().ComBox->itemText(16), "COM 16");
    EXPECT_TRUE(form.Controls().radiotaste->isChecked());
    EXPECT_EQ(form.Controls().Panel1->text(), "0");
    EXPECT_EQ(form.Document().Record(), MeasurementRecord{});
    EXPECT_FALSE(form.Controls().Timer1->isActive());
}

// A message with its cause wraps into a second line; the page above keeps its place and size
// whichever message the status line shows.
TEST_F(WindowTest, TheStatusLineShowsALongMessageWholeWithoutMovingThePage) {
    form.show();
    const QString shortText = QStringLiteral(" Messung gestoppt.");
    const QString longText = QStringLiteral(
        "Auslesen unvollständig! Es wurden nur 117 von 1000 Messwerten gelesen. "
        "Zelle antwortet nicht mehr. Bitte prüfen Sie die Verbindung und die "
        "Batterie der Zelle und lesen Sie erneut aus.");
    QRect page;
    for (const QString& text : {shortText, longText, shortText}) {
        form.SetStatus(text);
        QApplication::processEvents();
        const QRect now = form.Controls().PageControl1->geometry();
        if (page.isValid()) {
            EXPECT_EQ(now, page) << text.toStdString();
        }
        page = now;
        const QLabel* line = form.Controls().StatusBar1;
        const QRect needed = line->fontMetrics().boundingRect(
            line->contentsRect(), Qt::TextWordWrap | int(line->alignment()), text);
        EXPECT_LE(needed.height(), line->contentsRect().height()) << "shown whole";
        EXPECT_EQ(line->toolTip(), text.trimmed());
    }
}

TEST_F(WindowTest, MenuHasItsEntriesInOrder) {
    QStringList entries;
    for (QAction* a : form.Controls().Datei1->actions())
        entries << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(entries, (QStringList{"&Auslesen der Zelle", "-", "&Öffnen ...", "&Speichern als ...",
                                    "E&xportieren ...", "-", "Bericht als &PDF ...",
                                    "Bericht d&rucken ...", "-", "&Beenden"}));
    EXPECT_EQ(form.Controls().Datei1->title(), "&Datei");
}

TEST_F(WindowTest, ControlsCarryTheirNames) {
    for (const char* name : {"PageControl1",
                             "PageControl2",
                             "PageControl3",
                             "TabSheet6",
                             "TabSheet3",
                             "TabSheet7",
                             "TabSheet9",
                             "TabSheet15",
                             "TabSheet8",
                             "Chart1",
                             "Chart2",
                             "Chart3",
                             "Chart4",
                             "Chart5",
                             "Chart6",
                             "Chart12Leq",
                             "grid",
                             "gridspek",
                             "Grid12",
                             "GridLeQ",
                             "Grid12Leq",
                             "GridSpek12",
                             "LeqBox",
                             "Leq12Box",
                             "Memo2",
                             "RichEdit1",
                             "ProgBox",
                             "SendProgButton",
                             "radiotaste",
                             "RadioZeit",
                             "DateTimePicker1",
                             "Binfile",
                             "Button1",
                             "Button2",
                             "Button3",
                             "Button4",
                             "ComBox",
                             "dauerbox",
                             "directbar",
                             "dbabar",
                             "LabelMax",
                             "LabelMin",
                             "Panel1",
                             "Panel2",
                             "Panel6",
                             "WebLabel1",
                             "StatusBar1",
                             "ProgressBar1",
                             "Pegel1",
                             "Pegel12",
                             "Timer1",
                             "TabSheet1",
                             "TabSheet2",
                             "TabSheet4",
                             "TabSheet13",
                             "TabSheet10",
                             "TabSheet11",
                             "TabSheet12",
                             "TabSheet16",
                             "TabSheetProtokoll",
                             "TabSheetBeurteilung",
                             "GridKennwerte",
                             "ChartBeurteilung",
                             "GridStunden",
                             "GridZeitraeume",
                             "GridMessungen",
                             "StoppButton",
                             "AbbrechenButton",
                             "PortDevice"}) {
        EXPECT_NE(form.findChild<QObject*>(name), nullptr) << name;
    }
}

TEST_F(WindowTest, ChartsHaveTheirTitlesAxesAndSeries) {
    struct Case {
        TChart* chart;
        QString title;
        QStringList series;
    };
    const Case cases[] = {
        {form.Controls().Chart1,
         "Schallpegeldiagramm",
         {"Block 1", "Block 2", "Block 3", "Block 4", "Block 5", "Block 6", "Block 7", "Block 8",
          "Block 9", "Block 10", "Block 11", "Block 12", "LeQ", "L01", "L95"}},
        {form.Controls().Chart3,
         "Pegel in der Übersicht",
         {"Block1", "Block2", "Block3", "Block4", "Block5", "Block6", "Block7", "Block8", "Block9",
          "Block10", "Block11", "Block12", "LeQ", "L01", "L95"}},
        {form.Controls().Chart6, "Äquivalenzpegeldiagramm", {"L95", "Leq", "L01"}},
        {form.Controls().Chart12Leq, "Äquivalenzen in der Übersicht", {"LeQ", "L01", "L95"}},
        {form.Controls().Chart2, "Verteilung", {"Verteilung"}},
        {form.Controls().Chart4, "Direktmessung", {"Direkt"}},
        {form.Controls().Chart5, "Verteilung", {"Verteilung"}},
    };
    for (const Case& c : cases) {
        QStringList names;
        for (int i = 0; i < c.chart->SeriesCount(); ++i) names << c.chart->SeriesName(i);
        EXPECT_EQ(c.chart->Title(), c.title);
        EXPECT_EQ(names, c.series) << c.title.toStdString();
    }
    EXPECT_EQ(form.Controls().Chart1->yAxis->label(), "L in dB(A)");
    EXPECT_EQ(form.Controls().Chart1->yAxis->range(), QCPRange(0, 110));
    EXPECT_EQ(form.Controls().Chart3->xAxis->range(), QCPRange(0, 13));
    EXPECT_EQ(form.Controls().Chart4->xAxis->label(), "t in s");
    EXPECT_EQ(form.Controls().Chart4->xAxis->range(), QCPRange(0, 60));
    EXPECT_EQ(form.Controls().Chart4->SeriesColor(0), QColor(Qt::red));
    EXPECT_EQ(form.Controls().Chart1->SeriesColor(12), QColor(0xFF, 0x80, 0x00));
    EXPECT_EQ(form.Controls().Pegel[0]->Title(), "Verteilung in der Übersicht");
    EXPECT_EQ(form.Controls().Pegel[11]->yAxis->label(), "12");
    EXPECT_EQ(form.Controls().Pegel[4]->xAxis->range(), QCPRange(0, 110));
}

TEST_F(WindowTest, TwelveMeasurementTabsAreHiddenAtStart) {
    for (QWidget* page :
         {form.Controls().TabSheet9, form.Controls().TabSheet15, form.Controls().TabSheet8})
        EXPECT_FALSE(TabVisible(form.Controls().PageControl2, page));
    for (QWidget* page :
         {form.Controls().TabSheet6, form.Controls().TabSheet3, form.Controls().TabSheet7})
        EXPECT_TRUE(TabVisible(form.Controls().PageControl2, page));
}

TEST_F(WindowTest, SmallChartKHasTheColourOfBlockK) {
    for (int k = 1; k <= 12; ++k) {
        EXPECT_EQ(form.Controls().Pegel[size_t(k - 1)]->property("tag").toInt(), k);
        EXPECT_EQ(form.Controls().Pegel[size_t(k - 1)]->SeriesColor(0),
                  form.Controls().Chart1->SeriesColor(k - 1))
            << k;
    }
    EXPECT_EQ(form.Controls().Pegel[0]->SeriesColor(0), QColor(0x93, 0x22, 0x1C));
    EXPECT_EQ(form.Controls().Pegel[11]->SeriesColor(0), QColor(0x66, 0x1A, 0x1C));
}

TEST_F(WindowTest, TabChangeSetsItsStatusText) {
    const std::pair<QWidget*, QString> cases[] = {
        {form.Controls().TabSheet2,
         " Messungen mit angeschlossener Hardware und anschließender Auswertung am PC."},
        {form.Controls().TabSheet4,
         " Messdaten aus der Zelle auslesen; Messdateien öffnen, speichern und drucken."},
        {form.Controls().TabSheet13, " Messprogramm oder Hardwareanschluss einstellen."},
        {form.Controls().TabSheet1,
         " Nach der DOS-Version 1.1 vom Oktober 2000 im Vertrieb der Tessaro Computer GmbH."},
    };
    for (const auto& [page, text] : cases) {
        form.Controls().PageControl1->setCurrentWidget(page);
        EXPECT_EQ(form.StatusText(), text);
    }
    // Inner tabs leave the status line alone.
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
    form.SetStatus(" OK.");
    form.Controls().PageControl2->setCurrentWidget(form.Controls().TabSheet7);
    EXPECT_EQ(form.StatusText(), " OK.");
}

TEST_F(WindowTest, EnteringSettingsSetsTheTimeFieldToNow) {
    form.Controls().DateTimePicker1->setDateTime(QDateTime(QDate(2001, 1, 1), QTime(3, 4, 5)));
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet13);
    EXPECT_LE(
        std::abs(form.Controls().DateTimePicker1->dateTime().secsTo(QDateTime::currentDateTime())),
        2);
}

TEST_F(WindowTest, CtrlWithATabChangeSwitchesTheDepthOfTheSevenBigCharts) {
    seams.ctrl = true;
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
    for (TChart* c : form.BigCharts()) EXPECT_TRUE(c->DepthView()) << c->objectName().toStdString();
    for (TChart* c : form.Controls().Pegel) EXPECT_FALSE(c->DepthView());
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet2);
    for (TChart* c : form.BigCharts()) EXPECT_FALSE(c->DepthView());
    seams.ctrl = false;
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
    for (TChart* c : form.BigCharts()) EXPECT_FALSE(c->DepthView());
}

TEST_F(WindowTest, ContextMenusHaveTheirEntries) {
    auto entries = [](QWidget* w) {
        QStringList out;
        for (QAction* a : w->actions()) out << (a->isSeparator() ? "-" : a->text());
        return out;
    };
    EXPECT_EQ(entries(form.Controls().Chart1),
              (QStringList{"Legende", "Werte", "Ansicht zurücksetzen", "-", "Kopieren als Bitmap",
                           "Kopieren als Vektorgrafik", "-", "Drucken"}));
    EXPECT_EQ(entries(form.Controls().Chart6),
              (QStringList{"Legende", "Ansicht zurücksetzen", "-", "Kopieren als Bitmap",
                           "Kopieren als Vektorgrafik", "-", "Drucken"}));
    EXPECT_EQ(entries(form.Controls().Chart3),
              (QStringList{"Ansicht zurücksetzen", "-", "Kopieren als Bitmap",
                           "Kopieren als Grafik", "-", "Drucken"}));
    EXPECT_EQ(entries(form.Controls().grid),
              (QStringList{"Kopieren als Text", "Speichern als Text"}));
    EXPECT_FALSE(form.Controls().SpeichernalsText1->isEnabled());
    EXPECT_EQ(entries(form.Controls().Chart2),
              (QStringList{"Automatische X-Skalierung", "Bunte Balken", "-", "Kopieren als Bitmap",
                           "Kopieren als Vektorgrafik", "-", "Drucken"}));
    EXPECT_TRUE(form.Controls().AutomatischeXSkalierung1->isChecked());
    EXPECT_FALSE(form.Controls().FarbigeBalken1->isChecked());
    EXPECT_FALSE(form.Controls().Legende1->isChecked());
    EXPECT_EQ(entries(form.Controls().Panel6), (QStringList{"Drucken (Druck)"}));
    EXPECT_EQ(entries(form.Controls().RichEdit1), (QStringList{"Beschreibung Drucken"}));
    EXPECT_EQ(entries(form.Controls().Chart4),
              (QStringList{"Zur Auswertung", "-", "Kopieren als Bitmap", "Kopieren als Grafik", "-",
                           "Drucken"}));
}

TEST_F(WindowTest, SettingsListsAreShownExactly) {
    QStringList items;
    for (int i = 0; i < form.Controls().ProgBox->count(); ++i)
        items << form.Controls().ProgBox->itemText(i);
    EXPECT_EQ(items.first(), "A - 10 Sekunden");
    EXPECT_EQ(items.last(), "I - 12 x 10 Minuten");
    EXPECT_EQ(form.Controls().Memo2->toPlainText().split('\n').size(), 12);
    EXPECT_TRUE(form.Controls().Memo2->isReadOnly());
    EXPECT_FALSE(form.Controls().Memo2->isEnabled());
    for (QWidget* w : {static_cast<QWidget*>(form.Controls().Memo2),
                       static_cast<QWidget*>(form.Controls().ProgBox)}) {
        const QFontMetrics m(w->font());
        EXPECT_EQ(m.horizontalAdvance('i'), m.horizontalAdvance('W'))
            << QFontInfo(w->font()).family().toStdString();
    }
}
