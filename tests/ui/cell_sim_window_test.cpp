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
#include <QTemporaryDir>
#include <QThread>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "cell/Runner.h"
#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "link/CellModel.h"
#include "link/SettingsFile.h"
#include "link/comphard.h"
#include "widgets/Chart.h"

using namespace kelvarn;

namespace {

// The simulator is built beside the tests.
QString SimulatorPath() {
    return QDir(QCoreApplication::applicationDirPath())
        .filePath(QStringLiteral("../tools/cellsim/kelvarn-cellsim"));
}

class SimWindowTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString link = dir.filePath("cell");
    QString log = dir.filePath("bytes.bin");
    QProcess sim;
    FakeSeams seams;
    std::unique_ptr<TForm1> form;

    SimWindowTest() {
        qputenv("KELVARN_CONFIG_DIR", dir.path().toLocal8Bit());
        ResetLinkState();
        WriteSetting(QStringLiteral("Ports"), QStringLiteral("COM2"), link);
    }
    ~SimWindowTest() override {
        form.reset();
        sim.terminate();
        sim.waitForFinished(5000);
        ResetLinkState();
        qunsetenv("KELVARN_CONFIG_DIR");
    }

    // The simulator on COM2, stored as the chosen port, and the window that
    // connects to it at start-up.
    void Start(QStringList options) {
        ASSERT_TRUE(QFileInfo(SimulatorPath()).isExecutable())
            << "build kelvarn-cellsim: " << SimulatorPath().toStdString();
        options << "--link" << link << "--log" << log << "--exit-after"
                << "120";
        sim.start(SimulatorPath(), options);
        ASSERT_TRUE(sim.waitForStarted(5000));
        QElapsedTimer t;
        t.start();
        while (!QFileInfo(link).isSymLink() && t.elapsed() < 5000) QThread::msleep(5);
        ASSERT_TRUE(QFileInfo(link).isSymLink());
        ASSERT_TRUE(WriteStoredPort(2));
        form = std::make_unique<TForm1>(&seams);
        ASSERT_EQ(GetPortNumber(), 2) << form->StatusText().toStdString();
    }

    template <typename F>
    bool SpinUntil(F done, int ms) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }

    std::vector<uint8_t> Logged() {
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray b = f.readAll();
        return {b.begin(), b.end()};
    }
};

std::vector<uint8_t> Reset() {
    return std::vector<uint8_t>(10, 0);
}

}  // namespace

TEST_F(SimWindowTest, ProgramAFromThePcOnTheCellsClock) {
    Start({"--program", "C"});
    form->ProgBox->setCurrentIndex(0);
    QElapsedTimer t;
    t.start();
    form->Button1Click();
    ASSERT_EQ(form->StatusText(), " Messung läuft ...");
    ASSERT_TRUE(
        SpinUntil([&] { return form->StatusText() == " Programm A, Messwert 1000"; }, 30000))
        << form->StatusText().toStdString();
    const qint64 took = t.elapsed();
    EXPECT_GE(took, 9990) << "1000 samples 10 ms apart";
    EXPECT_FALSE(form->runner->Running());
    EXPECT_EQ(form->Chart4->PointCount(0), 1000);
    EXPECT_NEAR(form->Chart4->Points(0).x.back(), 9.99, 1e-9);

    const MeasurementRecord cell = CellModel::SyntheticMeasurement(1, 1);
    const SeriesData line = form->Chart4->Points(0);
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
    form->Au1->trigger();
    EXPECT_EQ(form->StatusText(), " OK.");
    EXPECT_EQ(form->windowTitle(), "KELVARN - OhneName.dba");
    MeasurementRecord expected = CellModel::SyntheticMeasurement(7, 1);
    expected.bytes[8] = 1;
    expected.bytes[9] = 12;
    EXPECT_EQ(form->CurrentRecord, expected);
    EXPECT_TRUE(seams.notices.isEmpty());
}
