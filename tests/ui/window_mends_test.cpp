// What a user walking the window ran into: axes, colours, column widths,
// window placement.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>
#include <cmath>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "widgets/Chart.h"
#include "widgets/WebLabel.h"

using namespace kelvarn;

namespace {

class MendsTest : public ::testing::Test {
protected:
    FakeSeams seams;
    TForm1 form{&seams};
};

}  // namespace

TEST_F(MendsTest, MeasurementAxesCountInWholeNumbers) {
    for (TChart* chart : {form.Controls().Chart3, form.Controls().Chart12Leq}) {
        for (int width : {200, 420, 900}) {
            chart->resize(width, 300);
            chart->replot();
            const QVector<double> ticks = chart->xAxis->tickVector();
            const QVector<QString> labels = chart->xAxis->tickVectorLabels();
            ASSERT_FALSE(ticks.isEmpty());
            for (int i = 0; i < ticks.size(); ++i) {
                EXPECT_EQ(ticks[i], std::round(ticks[i])) << chart->objectName().toStdString();
                EXPECT_EQ(labels[i], QString::number(qRound(ticks[i])))
                    << chart->objectName().toStdString();
            }
        }
    }
}

namespace {

// A dark desktop: Qt's Fusion style with a dark palette, for the life of
// the object.
class DarkDesktop {
public:
    DarkDesktop() : oldStyle_(QApplication::style()->name()), oldPalette_(QApplication::palette()) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::WindowText, Qt::white);
        dark.setColor(QPalette::Base, QColor(0x23, 0x23, 0x23));
        dark.setColor(QPalette::AlternateBase, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
        dark.setColor(QPalette::ButtonText, Qt::white);
        dark.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
        dark.setColor(QPalette::HighlightedText, Qt::black);
        dark.setColor(QPalette::Link, QColor(0x2A, 0x82, 0xDA));
        QApplication::setPalette(dark);
    }
    ~DarkDesktop() {
        QApplication::setStyle(QStyleFactory::create(oldStyle_));
        QApplication::setPalette(oldPalette_);
    }

private:
    QString oldStyle_;
    QPalette oldPalette_;
};

// The largest lightness difference between the colour in the middle of the
// left edge (the background) and any pixel of the widget (its text).
int TextContrast(QWidget* w) {
    const QImage img = w->grab().toImage();
    const int bg = img.pixelColor(4, img.height() / 2).lightness();
    int most = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 4; x < img.width() - 4; ++x)
            most = std::max(most, std::abs(img.pixelColor(x, y).lightness() - bg));
    return most;
}

}  // namespace

TEST(DarkDesktopTest, TextStaysReadable) {
    DarkDesktop dark;
    FakeSeams seams;
    TForm1 form{&seams};
    form.resize(800, 596);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet2);
    form.Controls().Panel1->setText(QStringLiteral("73,5"));
    QApplication::processEvents();
    // The live level on its light panel, the product name and the version
    // link on the dark window.
    EXPECT_GE(TextContrast(form.Controls().Panel1), 110);
    for (QWidget* w : {static_cast<QWidget*>(form.Controls().Panel3),
                       static_cast<QWidget*>(form.Controls().WebLabel1)}) {
        const QPalette pal = w->palette();
        EXPECT_GE(std::abs(pal.color(QPalette::WindowText).lightness() -
                           pal.color(w->backgroundRole()).lightness()),
                  110)
            << w->objectName().toStdString();
    }
    const QPalette box = form.Controls().LeqBox->palette();
    EXPECT_EQ(box.color(QPalette::WindowText), QColor(Qt::black));  // on the white chart
    if (const QByteArray dir = qgetenv("KELVARN_SHOTS_DIR"); !dir.isEmpty()) {
        for (QWidget* page : {form.Controls().TabSheet1, form.Controls().TabSheet2,
                              form.Controls().TabSheet4, form.Controls().TabSheet13}) {
            form.Controls().PageControl1->setCurrentWidget(page);
            QApplication::processEvents();
            form.grab().save(QString::fromLocal8Bit(dir) + "/dark-" + page->objectName() + ".png");
        }
    }
}
