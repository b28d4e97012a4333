// The window with kelvarn-cellsim on a real pseudo-terminal: a start from
// the PC paced by the cell's own clock, and a read-out through the menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include "DocumentSupport.h"
#include "FakeSeams.h"
#include "SimulatedCellWindow.h"
#include "app/TForm1.h"
#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"
#include "sim/CellModel.h"
#include "widgets/Chart.h"

using namespace kelvarn;

namespace {

class SimWindowTest : public ::testing::Test, public SimulatedCellWindow {};

}  // namespace

TEST_F(SimWindowTest, ProgramAFromThePcOnTheCellsClock) {
    Start({"--program", "C"});
    form->Controls().ProgBox->setCurrentIndex(0);
    QElapsedTimer t;
    t.start();
    emit form->Controls().Button1->clicked();
    ASSERT_EQ(form->StatusText(), " Messung läuft ...");
    ASSERT_TRUE(
        SpinUntil([&] { return form->StatusText() == " Programm A, Messwert 1000"; }, 30000))
        << form->StatusText().toStdString();
    const qint64 took = t.elapsed();
    EXPECT_GE(took, 9990) << "1000 samples 10 ms apart";
    EXPECT_FALSE(form->LiveRunning());
    EXPECT_EQ(form->Controls().Chart4->PointCount(0), 1000);
    EXPECT_NEAR(form->Controls().Chart4->Points(0).x.back(), 9.99, 1e-9);

    const MeasurementRecord cell = CellModel::SyntheticMeasurement(1, 1);
    const SeriesData line = form->Controls().Chart4->Points(0);
    for (int k = 0; k < 1000; ++k)
        ASSERT_EQ(line.y[size_t(k)], SampleToLevel(cell.bytes[size_t(10 + k)])) << k;

    // The start sequence on the line: connection check, upload, query, run
    // and stream commands; then the PC only listens.
    std::vector<uint8_t> expected = {12, 12};  // start-up's connection, then the start's
    expected.insert(expected.end(), 10, 0);
    expected.push_back(5);
    for (uint8_t b : KeyProgramBytes(Programs().Row(1).KeyProgram))
        expected.insert(expected.end(), {1, b});
    expected.push_back(0);
    expected.insert(expected.end(), 10, 0);
    expected.push_back(2);
    expected.insert(expected.end(), 8, 1);
    expected.insert(expected.end(), 10, 0);
    expected.insert(expected.end(), {6, 9});
    EXPECT_EQ(Logged(), expected);
}

TEST_F(SimWindowTest, ReadOutThroughTheMenu) {
    Start({"--program", "G", "--unpaced"});
    form->Controls().Au1->trigger();
    EXPECT_EQ(form->StatusText(), " OK.");
    EXPECT_EQ(form->windowTitle(), "KELVARN - OhneName.dba[*]");  // in no file yet
    MeasurementRecord expected = CellModel::SyntheticMeasurement(7, 1);
    expected.bytes[8] = 1;
    expected.bytes[9] = 12;
    EXPECT_EQ(form->Document().Record(), expected);
    EXPECT_TRUE(seams.notices.isEmpty());
}
