#pragma once

// A window connected at start-up to kelvarn-cellsim on a real
// pseudo-terminal, mapped to COM2 in a settings folder of the test's own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <vector>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"

namespace kelvarn {

class SimulatedCellWindow {
public:
    QTemporaryDir dir;
    QString link = dir.filePath("cell");
    QString log = dir.filePath("bytes.bin");
    QProcess sim;
    FakeSeams seams;
    std::unique_ptr<TForm1> form;

    // The simulator is built beside the tests.
    static QString SimulatorPath() {
        return QDir(QCoreApplication::applicationDirPath())
            .filePath(QStringLiteral("../tools/cellsim/kelvarn-cellsim"));
    }

    SimulatedCellWindow() {
        qputenv("KELVARN_CONFIG_DIR", dir.path().toLocal8Bit());
        WriteSetting(QStringLiteral("Ports"), QStringLiteral("COM2"), link);
    }
    ~SimulatedCellWindow() {
        form.reset();
        sim.terminate();
        sim.waitForFinished(5000);
        qunsetenv("KELVARN_CONFIG_DIR");
    }

    // The simulator with these options (plus its link, a byte log and a
    // safety exit), stored as the chosen port, and the window that
    // connects to it at start-up.
    void Start(QStringList options) {
        Launch(options);
        ASSERT_TRUE(WriteStoredPort(2));
        form = std::make_unique<TForm1>(&seams);
        form->show();
        ASSERT_TRUE(Idle());
        ASSERT_EQ(form->ChosenPort(), 2) << form->StatusText().toStdString();
    }

    // Only the simulator, on the link (again, after Unplug).
    void Launch(QStringList options) {
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
    }
    // The simulator ends and its link goes, as an adapter pulled out.
    void Unplug() {
        sim.terminate();
        ASSERT_TRUE(sim.waitForFinished(5000));
        ASSERT_FALSE(QFileInfo::exists(link));
    }

    // Lets the event loop run until no command to the cell is under way.
    bool Idle(int ms = 30000) {
        return SpinUntil([&] { return !form->CellCommandRunning(); }, ms);
    }

    // Lets the event loop run until done() or ms have passed.
    template <typename F>
    bool SpinUntil(F done, int ms) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }

    // Every byte the simulator received.
    std::vector<uint8_t> Logged() {
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray b = f.readAll();
        return {b.begin(), b.end()};
    }
};

}  // namespace kelvarn
