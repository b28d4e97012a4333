// The window as on the desktop: cell commands on their own thread against
// kelvarn-cellsim on a pseudo-terminal. The window stays alive, a command
// can be cancelled and keeps what arrived, input for other commands is not
// acted on, and the port follows the adapter being pulled and plugged in.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <memory>

#include "SimulatedCellWindow.h"
#include "cell/CellResult.h"
#include "cell/CellSession.h"
#include "cell/CellTasks.h"
#include "data/ProgramCode.h"
#include "data/ProgramTable.h"
#include "sim/CellModel.h"
#include "widgets/Chart.h"

using namespace kelvarn;

namespace {

class ThreadWindowTest : public ::testing::Test, public SimulatedCellWindow {
protected:
    ThreadWindowTest() { seams.cellThread = true; }

    // How often the read command 2 went out (after the ten zeros of a reset).
    int ReadCommands() {
        const std::vector<uint8_t> b = Logged();
        int n = 0;
        for (size_t i = 10; i < b.size(); ++i) {
            if (b[i] != 2) continue;
            bool reset = true;
            for (size_t k = i - 10; k < i; ++k) reset = reset && b[k] == 0;
            n += reset ? 1 : 0;
        }
        return n;
    }
};

// Counts the passes of the event loop and the longest time between two.
struct Heartbeat {
    QTimer timer;
    QElapsedTimer since;
    qint64 longestMs = 0;
    int beats = 0;
    Heartbeat() {
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (since.isValid()) longestMs = std::max(longestMs, since.elapsed());
            ++beats;
            since.start();
        });
        timer.start();
        since.start();
    }
};

// k of "Auslesen abgebrochen. Nur k von n Messwerten empfangen.", or -1.
int Received(const QString& notice, int n) {
    static const QRegularExpression re(
        QStringLiteral("^Auslesen abgebrochen\\. Nur (\\d+) von (\\d+) Messwerten empfangen\\.$"));
    const auto m = re.match(notice);
    if (!m.hasMatch() || m.captured(2).toInt() != n) return -1;
    return m.captured(1).toInt();
}

}  // namespace

TEST_F(ThreadWindowTest, CancelledReadOutKeepsAndEvaluatesWhatArrived) {
    Start({"--program", "B"});
    Heartbeat heart;
    form->Controls().Au1->trigger();
    EXPECT_TRUE(form->CellCommandRunning());
    ASSERT_TRUE(SpinUntil([&] { return form->StatusText().startsWith(" Daten lesen: 2"); }, 20000))
        << form->StatusText().toStdString();
    EXPECT_TRUE(form->Controls().ProgressBar1->isVisible());
    EXPECT_TRUE(form->Controls().AbbrechenButton->isVisible());
    EXPECT_GT(form->Controls().ProgressBar1->value(), 100) << "the bar follows the bytes";
    // The message about the outcome shows beside idle controls, not beside a bar and an
    // "Abbrechen" that no longer do anything.
    bool idleAtNotice = false;
    seams.onNotice = [&] {
        idleAtNotice = !form->Controls().ProgressBar1->isVisible() &&
                       !form->Controls().AbbrechenButton->isVisible() &&
                       form->Controls().Button2->isEnabled();
    };
    QTest::mouseClick(form->Controls().AbbrechenButton, Qt::LeftButton);
    ASSERT_TRUE(Idle(5000));
    std::printf(
        "[ measure  ] longest stretch without the event loop during the read-out: %lld ms"
        " (%d passes)\n",
        heart.longestMs, heart.beats);
    EXPECT_GT(heart.beats, 20) << "the window handled events while the bytes came";

    ASSERT_EQ(seams.notices.size(), 1) << seams.notices.join('\n').toStdString();
    EXPECT_TRUE(idleAtNotice);
    seams.onNotice = nullptr;
    const int k = Received(seams.notices[0], 1000);
    ASSERT_GT(k, 190) << seams.notices[0].toStdString();
    ASSERT_LT(k, 1000);
    EXPECT_EQ(form->StatusText(), " Auslesen abgebrochen.");
    EXPECT_FALSE(form->Controls().ProgressBar1->isVisible());
    EXPECT_FALSE(form->Controls().AbbrechenButton->isVisible());

    // Exactly what arrived, nothing behind it.
    const MeasurementRecord cell = CellModel::SyntheticMeasurement(2, 1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(form->Document().Record().bytes[size_t(i)], cell.bytes[size_t(i)]);
    for (int i = 0; i < 1000; ++i) {
        const uint8_t want = i < k ? cell.bytes[size_t(10 + i)] : 0;
        ASSERT_EQ(form->Document().Record().bytes[size_t(10 + i)], want) << i;
    }
    EXPECT_EQ(form->windowTitle(), "KELVARN - OhneName.dba[*]");  // in no file yet
    // The simulator logs a byte once it has wholly arrived: on a busy machine
    // that can be after the window is done.
    EXPECT_TRUE(SpinUntil(
        [&] {
            const std::vector<uint8_t> b = Logged();
            return !b.empty() && b.back() == 0;
        },
        5000))
        << "the read is closed with a 0";

    // The next command finds the cell as before.
    form->Controls().Button2->click();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(form->StatusText(), " Gefundener Messtyp: B");
}

TEST_F(ThreadWindowTest, EscCancelsAndInputForOtherCommandsIsNotActedOn) {
    Start({"--program", "B"});
    form->Controls().Au1->trigger();
    ASSERT_TRUE(SpinUntil([&] { return form->StatusText().startsWith(" Daten lesen: 1"); }, 20000));
    // A second read-out, a query, a start, a search and a port choice,
    // by mouse and by the handlers themselves: none of them runs.
    QTest::mouseClick(form->Controls().Button2, Qt::LeftButton);
    QTest::mouseClick(form->Controls().Button1, Qt::LeftButton);
    QTest::mouseClick(form->Controls().Button4, Qt::LeftButton);
    form->Controls().Au1->trigger();
    form->ReadOutCell();
    emit form->Controls().Button2->clicked();
    emit form->Controls().Button1->clicked();
    emit form->Controls().Button4->clicked();
    emit form->Controls().SendProgButton->clicked();
    EXPECT_FALSE(form->Controls().Button2->isEnabled());
    EXPECT_FALSE(form->Controls().ComBox->isEnabled());
    QTest::keyClick(form.get(), Qt::Key_Escape);
    ASSERT_TRUE(Idle(5000));
    SpinUntil([] { return false; }, 500);  // anything replayed would start now
    EXPECT_FALSE(form->CellCommandRunning());
    EXPECT_EQ(ReadCommands(), 1);
    EXPECT_EQ(form->StatusText(), " Auslesen abgebrochen.");
    ASSERT_EQ(seams.notices.size(), 1);
    EXPECT_GT(Received(seams.notices[0], 1000), 0) << seams.notices[0].toStdString();
    EXPECT_TRUE(form->Controls().Button2->isEnabled());
}

TEST_F(ThreadWindowTest, CancelStopsAnUploadBeforeTheRunCommand) {
    Start({"--program", "B", "--events", dir.filePath("events.txt")});
    form->Controls().ProgBox->setCurrentIndex(5);  // F
    form->Controls().SendProgButton->click();
    ASSERT_TRUE(SpinUntil([&] { return form->Controls().ProgressBar1->value() >= 5; }, 20000))
        << form->StatusText().toStdString();
    EXPECT_EQ(form->StatusText(), " Messprogramm F.BIN übertragen...");
    form->Controls().AbbrechenButton->click();
    ASSERT_TRUE(Idle(5000));
    EXPECT_EQ(form->StatusText(), " Übertragung abgebrochen.");
    EXPECT_TRUE(seams.notices.isEmpty()) << "no \"Messbeginn\": nothing was started";
    QFile events(dir.filePath("events.txt"));
    ASSERT_TRUE(events.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(events.readAll());
    EXPECT_FALSE(text.contains("run program")) << text.toStdString();

    // The cell takes the next upload whole.
    form->Controls().SendProgButton->click();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(seams.notices, QStringList{"Messbeginn mit der START-Taste"});
}

TEST_F(ThreadWindowTest, ACellThatAnswersLateIsFoundAgainAfterACancelledUpload) {
    // Each answer leaves the cell 100 ms after its question. The prompt the
    // cancelled upload was owed then came only after the next command had
    // asked the cell who it is, was read as the answer, and the next upload
    // failed with "Hardware antwortet nicht!" (on a busy machine the
    // simulator's own delay did the same now and then). A short program file
    // (the first 12 bytes of F, which name it) keeps the uploads short.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    const std::unique_ptr<const QString, void (*)(const QString*)> back(
        &before, [](const QString* b) { QDir::setCurrent(*b); });
    const std::vector<uint8_t> f = KeyProgramBytes(Programs().Row(6).KeyProgram);
    QFile bin(dir.filePath("F.BIN"));
    ASSERT_TRUE(bin.open(QIODevice::WriteOnly));
    ASSERT_EQ(bin.write(reinterpret_cast<const char*>(f.data()), 12), 12);
    bin.close();

    Start({"--program", "B", "--answer-delay", "100"});
    form->Controls().ProgBox->setCurrentIndex(5);  // F
    form->Controls().Binfile->setChecked(true);
    form->Controls().SendProgButton->click();
    ASSERT_TRUE(SpinUntil([&] { return form->Controls().ProgressBar1->value() >= 2; }, 20000))
        << form->StatusText().toStdString();
    form->Controls().AbbrechenButton->click();
    ASSERT_TRUE(Idle(5000));
    EXPECT_EQ(form->StatusText(), " Übertragung abgebrochen.");
    form->Controls().SendProgButton->click();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(seams.notices, QStringList{"Messbeginn mit der START-Taste"})
        << seams.notices.join('|').toStdString();
}

TEST_F(ThreadWindowTest, CancelStopsASearch) {
    // Silent cells behind COM2 to COM6: every probe there waits for its
    // time-outs, so the whole search would take seconds.
    Start({"--program", "B"});
    for (int n = 3; n <= 6; ++n) WriteSetting("Ports", QStringLiteral("COM%1").arg(n), link);
    sim.terminate();
    sim.waitForFinished(5000);
    Launch({"--silent"});
    form->Controls().Button4->click();
    ASSERT_TRUE(SpinUntil([&] { return form->Controls().ProgressBar1->value() >= 2; }, 20000));
    QElapsedTimer t;
    t.start();
    QTest::keyClick(form.get(), Qt::Key_Escape);
    ASSERT_TRUE(Idle(5000));
    EXPECT_LT(t.elapsed(), 1500) << "ends before the next probe";
    EXPECT_EQ(form->StatusText(), " Suche abgebrochen.");
    EXPECT_EQ(ReadStoredPort(), 2) << "the stored choice stays";
}

TEST_F(ThreadWindowTest, ClosingDuringAReadOutCancelsItFirst) {
    Start({"--program", "B"});
    seams.saveAnswers = {Seams::SaveAnswer::No};
    form->Controls().Au1->trigger();
    ASSERT_TRUE(SpinUntil([&] { return form->StatusText().startsWith(" Daten lesen: 1"); }, 20000));
    EXPECT_FALSE(form->close()) << "not while the command runs";
    EXPECT_TRUE(form->isVisible());
    ASSERT_TRUE(SpinUntil([&] { return !form->isVisible(); }, 5000));
    EXPECT_FALSE(form->CellCommandRunning());
    ASSERT_EQ(seams.notices.size(), 1);
    const int k = Received(seams.notices[0], 1000);
    EXPECT_GT(k, 0) << seams.notices[0].toStdString();
    EXPECT_EQ(form->Document().Record().bytes[10], CellModel::SyntheticMeasurement(2, 1).bytes[10])
        << "what arrived was kept before the window closed";
    // Then, with the kept read-out unsaved, the question comes.
    EXPECT_EQ(seams.saveQuestions, QStringList{"Änderungen speichern?"});
}

TEST_F(ThreadWindowTest, ThePortIsClosedWhenTheWindowEnds) {
    Start({"--program", "B"});
    // A live measurement is what keeps the port.
    emit form->Controls().Button1->clicked();
    ASSERT_TRUE(SpinUntil([&] { return form->Live().Count() > 0; }, 10000));
    {
        QSerialPort held(link);
        EXPECT_FALSE(held.open(QIODevice::ReadWrite)) << "held while the levels come";
    }
    form.reset();
    QSerialPort other(link);
    EXPECT_TRUE(other.open(QIODevice::ReadWrite)) << "free for the next program";
}

// The session as the window and kelvarn-cli hold it, on a thread of its own: ending it ends
// the live job that waits for the cell's next level, hands on no step after (not even the
// stop's own), and lets the port go.
TEST_F(ThreadWindowTest, EndingASessionEndsItsLiveJobAndHandsOnNoStepAfter) {
    Launch({"--program", "D"});  // a level every 6 s: the job waits for the next one
    auto session = std::make_unique<CellSession>(true);
    CellResult start;
    bool started = false;
    ASSERT_TRUE(session->Run(
        [&](SerialLink& line, CellProgress& progress) {
            start = StartLive(line, 2, 4, false, progress);
        },
        [&] { started = true; }, true));
    ASSERT_TRUE(SpinUntil([&] { return started; }, 20000));
    ASSERT_TRUE(start.Ok()) << CellMessage(start).line.toStdString();
    ASSERT_EQ(start.row, 4);
    session->Live().SetEndRule(Programs().Row(4).Points, false);
    session->Live().Begin(4);
    int steps = 0;
    ASSERT_TRUE(session->RunLive([&](const LiveStep&) { ++steps; }));
    SpinUntil([] { return false; }, 300);
    // The live measurement keeps the port (seen from outside, as another program sees it).
    {
        QSerialPort other(link);
        EXPECT_FALSE(other.open(QIODevice::ReadWrite)) << "held while the levels come";
    }
    const int before = steps;

    QElapsedTimer t;
    t.start();
    session.reset();
    EXPECT_LT(t.elapsed(), 1500) << "the wait for the next level ends with the session";
    SpinUntil([] { return false; }, 300);
    EXPECT_EQ(steps, before) << "no step reaches a session that is gone";
    QSerialPort other(link);
    EXPECT_TRUE(other.open(QIODevice::ReadWrite)) << "free for the next program";
}

TEST_F(ThreadWindowTest, AnIdleWindowLeavesThePortFreeAndOnlyALiveMeasurementHoldsIt) {
    Start({"--program", "B"});
    EXPECT_EQ(form->StatusText(), "Hardware an COM 2 gefunden.");
    {
        // kelvarn-cli (or any program) opens it beside the idle window.
        QSerialPort other(link);
        EXPECT_TRUE(other.open(QIODevice::ReadWrite)) << "free after the connection check";
    }
    form->Controls().Button2->click();
    ASSERT_TRUE(Idle(10000));
    EXPECT_EQ(form->StatusText(), " Gefundener Messtyp: B");
    {
        QSerialPort other(link);
        EXPECT_TRUE(other.open(QIODevice::ReadWrite)) << "free after the query";
    }
    form->Controls().ProgBox->setCurrentIndex(1);  // B
    emit form->Controls().Button1->clicked();
    ASSERT_TRUE(SpinUntil([&] { return form->Live().Count() > 0; }, 10000));
    // The levels come on the window's port: it is held (seen from outside, as another program
    // sees it).
    {
        QSerialPort held(link);
        EXPECT_FALSE(held.open(QIODevice::ReadWrite)) << "held while the levels come";
    }
    form->Controls().StoppButton->click();
    // The tick that was waiting for its level ends first, within one read time-out.
    QSerialPort other(link);
    EXPECT_TRUE(SpinUntil([&] { return other.isOpen() || other.open(QIODevice::ReadWrite); }, 2000))
        << "free again once the measurement is stopped";
}

TEST_F(ThreadWindowTest, AnAdapterPluggedInAgainWorksAtTheNextCommand) {
    Start({"--program", "C"});
    Unplug();
    form->Controls().Button2->click();
    ASSERT_TRUE(Idle());
    EXPECT_TRUE(form->StatusText().endsWith(" Gerät nicht vorhanden"))
        << form->StatusText().toStdString();
    EXPECT_EQ(ReadStoredPort(), 2);

    Launch({"--program", "C"});
    form->Controls().Button2->click();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(form->StatusText(), " Gefundener Messtyp: C");
}

TEST_F(ThreadWindowTest, APortHeldByAnotherProgramSaysSo) {
    Start({"--program", "B"});
    form.reset();
    QSerialPort other(link);
    ASSERT_TRUE(other.open(QIODevice::ReadWrite));
    form = std::make_unique<TForm1>(&seams);
    ASSERT_TRUE(Idle());
    EXPECT_EQ(form->StatusText(),
              " Keine Hardware an COM2! Port belegt (von einem anderen Programm geöffnet)");
    EXPECT_EQ(ReadStoredPort(), 2) << "a busy port never changes the stored choice";

    form->Controls().Au1->trigger();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(seams.notices,
              QStringList{"Hardware nicht bereit! Port belegt (von einem anderen Programm "
                          "geöffnet)"});
    other.close();
    form->Controls().Button2->click();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(form->StatusText(), " Gefundener Messtyp: B");
}

TEST_F(ThreadWindowTest, FirstLevelOneIntervalAfterTheStart) {
    // Program C sends every 360 ms, the first level too: longer than one
    // read time-out after the start.
    Start({"--program", "B"});
    form->Controls().ProgBox->setCurrentIndex(2);
    form->Controls().Button1->click();
    ASSERT_TRUE(SpinUntil([&] { return form->Live().Count() >= 3; }, 10000))
        << form->StatusText().toStdString();
    EXPECT_EQ(form->Controls().Chart4->PointCount(0), form->Live().Count());
    form->Controls().StoppButton->click();
}

TEST_F(ThreadWindowTest, StoppEndsTheLiveMeasurementAndKeepsTheCurve) {
    Start({"--program", "B"});
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    ASSERT_TRUE(SpinUntil([&] { return form->Live().Count() >= 50; }, 20000))
        << form->StatusText().toStdString();
    QTest::mouseClick(form->Controls().StoppButton, Qt::LeftButton);
    EXPECT_EQ(form->StatusText(), " Messung gestoppt.");
    EXPECT_FALSE(form->LiveRunning());
    const int taken = form->Live().Count();
    SpinUntil([] { return false; }, 300);
    EXPECT_EQ(form->Live().Count(), taken) << "no tick after the stop";
    EXPECT_EQ(form->StatusText(), " Messung gestoppt.");

    form->Controls().Button3->click();
    EXPECT_EQ(form->StatusText(), QStringLiteral(" %1 von 1000 Messwerten übernommen.").arg(taken));
    const MeasurementRecord cell = CellModel::SyntheticMeasurement(1, 1);
    for (int i = 0; i < 1000; ++i) {
        const uint8_t want = i < taken ? cell.bytes[size_t(10 + i)] : 0;
        ASSERT_EQ(form->Document().Record().bytes[size_t(10 + i)], want) << i;
    }

    // A command after the stop runs as usual.
    form->Controls().Button2->click();
    ASSERT_TRUE(Idle());
    EXPECT_EQ(form->StatusText(), " Gefundener Messtyp: A");
}

TEST_F(ThreadWindowTest, ACommandDuringALiveMeasurementHoldsItAndKeepsItsOwnResult) {
    Start({"--program", "B"});
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    ASSERT_TRUE(SpinUntil([&] { return form->Live().Count() >= 5; }, 10000))
        << form->StatusText().toStdString();
    form->Controls().Button2->click();  // the program query, answered Ja when it asks
    ASSERT_TRUE(Idle());
    EXPECT_EQ(seams.asked.size(), 1);
    EXPECT_EQ(form->StatusText(), " Gefundener Messtyp: A");
    EXPECT_FALSE(form->LiveRunning());
    EXPECT_FALSE(form->Controls().StoppButton->isEnabled());
    const int taken = form->Live().Count();
    SpinUntil([] { return false; }, 300);
    EXPECT_EQ(form->Live().Count(), taken) << "no tick reads the query's answer as a level";
    EXPECT_EQ(form->StatusText(), " Gefundener Messtyp: A");
}

// A running live measurement is hours of work on the long programs: every command that would
// end it asks first, and Nein leaves it running with nothing sent to the cell.
TEST_F(ThreadWindowTest, CommandsDuringALiveMeasurementAskBeforeEndingIt) {
    Start({"--program", "B"});
    EXPECT_FALSE(form->Controls().StoppButton->isEnabled());
    form->Controls().ProgBox->setCurrentIndex(0);
    form->Controls().Button1->click();
    ASSERT_TRUE(SpinUntil([&] { return form->Live().Count() >= 5; }, 10000))
        << form->StatusText().toStdString();
    EXPECT_TRUE(form->Controls().StoppButton->isEnabled());

    const std::pair<const char*, std::function<void()>> commands[] = {
        {"&Start", [&] { form->Controls().Button1->click(); }},
        {"Ü&bertragen", [&] { form->Controls().SendProgButton->click(); }},
        {"Messprogramm erfragen", [&] { form->Controls().Button2->click(); }},
        {"Automatische S&uche", [&] { form->Controls().Button4->click(); }},
        {"&Auslesen der Zelle", [&] { form->Controls().Au1->trigger(); }},
    };
    for (const auto& [what, command] : commands) {
        SCOPED_TRACE(what);
        seams.asked.clear();
        seams.answers = {false};
        const int before = form->Live().Count();
        command();
        EXPECT_EQ(seams.asked, QStringList{ApplicationTitle() +
                                           "|Die laufende Messung wird beendet. Fortfahren?"});
        EXPECT_FALSE(form->CellCommandRunning());
        EXPECT_TRUE(form->LiveRunning());
        EXPECT_TRUE(SpinUntil([&] { return form->Live().Count() > before + 2; }, 10000))
            << "the measurement goes on";
    }
    form->Controls().StoppButton->click();
    EXPECT_FALSE(form->Controls().StoppButton->isEnabled());
}
