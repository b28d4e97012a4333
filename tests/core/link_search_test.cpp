#include <gtest/gtest.h>

#include <deque>

#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "sim/CellModel.h"
#include "sim/ScriptedDevice.h"

using namespace kelvarn;

namespace {

// A person at the desk: Ctrl held or not, answers given in order (Yes when
// none are left); records what was asked.
struct Desk {
    bool ctrl = false;
    std::deque<bool> answers;
    QStringList asked;

    AcceptPrompt Prompt() {
        return {[this] { return ctrl; },
                [this](const QString& caption, const QString& text) {
                    asked << caption + "|" + text;
                    if (answers.empty()) return true;
                    const bool a = answers.front();
                    answers.pop_front();
                    return a;
                }};
    }
};

CellModelOptions As(SimDevice d) {
    CellModelOptions o;
    o.device = d;
    return o;
}

}  // namespace

TEST(ConnectCell, TheRq410AnswersTheFirstTry) {
    ScriptedLink link;
    CellModel cell(As(SimDevice::Rq410));
    link.AddPort(3).AttachModel(&cell);
    EXPECT_TRUE(ConnectCell(link.serial, 3));
    EXPECT_EQ(link.Transcript(), "open COM3; line 9600,N,8,2; rts 0; dtr 1; w 12; r 240; rts 1");
    EXPECT_EQ(link.serial.GetDeviceKind(), kCell);
    EXPECT_EQ(link.serial.GetPortNumber(), 3);
    EXPECT_TRUE(link.Port(3)->rts);
}

TEST(ConnectCell, ThePlainCellAnswersTheSecondTryOnAReopenedPort) {
    ScriptedLink link;
    CellModel cell(As(SimDevice::PlainCell));
    link.AddPort(3).AttachModel(&cell);
    EXPECT_TRUE(ConnectCell(link.serial, 3));
    EXPECT_EQ(link.Transcript(),
              "open COM3; line 9600,N,8,2; rts 0; dtr 1; w 12; r -1; "
              "close COM3; open COM3; line 9600,N,8,2; rts 0; dtr 1; w 13; r 1; rts 1");
    EXPECT_EQ(link.serial.GetDeviceKind(), kCell);
    EXPECT_TRUE(link.Port(3)->rts);
}

TEST(ConnectCell, FailuresKeepTheNumberOnlyOfAPortThatOpened) {
    ScriptedLink link;
    link.AddPort(4);  // exists, answers nothing
    EXPECT_FALSE(ConnectCell(link.serial, 4));
    EXPECT_EQ(link.serial.GetPortNumber(), 4);
    EXPECT_EQ(link.serial.GetDeviceKind(), 0);
    EXPECT_EQ(link.Port(4)->written, (std::vector<uint8_t>{12, 13}));

    EXPECT_FALSE(ConnectCell(link.serial, 5));  // no such port
    EXPECT_EQ(link.serial.GetPortNumber(), 0);
    EXPECT_FALSE(link.serial.IsPortOpen());
    EXPECT_FALSE(ConnectCell(link.serial, 0));
    EXPECT_FALSE(ConnectCell(link.serial, -1));
    EXPECT_EQ(link.serial.GetPortNumber(), 0);
}

TEST(Probes, EachProbeOpensZerosPausesAndAsksOnce) {
    ScriptedLink link;
    CellModel cell(As(SimDevice::Rq410));
    link.AddPort(2).AttachModel(&cell);
    ASSERT_TRUE(ProbeRQ410(link.serial, 2));
    QStringList expected{"open COM2", "line 9600,N,8,2", "rts 0", "dtr 1"};
    for (int i = 0; i < 11; ++i) expected << "w 0";
    expected << "delay 100"
             << "w 12"
             << "r 240"
             << "rts 1";
    EXPECT_EQ(link.log, expected);

    link.log.clear();
    EXPECT_FALSE(ProbeZelle(link.serial, 2));
    const int pause = int(link.log.indexOf("delay 10"));
    ASSERT_GT(pause, 11);
    EXPECT_EQ(link.log.mid(pause - 11, 11), QStringList(11, "w 0"));
    EXPECT_EQ(link.log.mid(pause), (QStringList{"delay 10", "w 13", "r -1"}));
}

// Every probe against every device of the maker (and silence): which probe
// takes which device, with which kind, line speed and caption, and what the
// acceptance sends.
TEST(Probes, Table) {
    using Probe = bool (*)(SerialLink&, int, const AcceptPrompt&);
    struct Case {
        const char* probe;
        Probe fn;
        SimDevice device;
        int kind;  // 0: not taken
        const char* caption;
        std::vector<uint8_t> tail;  // what follows the identifying exchange
    };
    const Case cases[] = {
        {"RQ410", ProbeRQ410, SimDevice::Rq410, kCell, "RQ410 (Zelle) an COM6", {}},
        {"RQ410", ProbeRQ410, SimDevice::PlainCell, 0, nullptr, {}},
        {"Zelle", ProbeZelle, SimDevice::PlainCell, kCell, "Zelle an COM6", {11, 15}},
        {"Zelle", ProbeZelle, SimDevice::Rq410, 0, nullptr, {}},
        {"Fast", ProbeFast, SimDevice::Nera, kNera, "NERA an COM6", {16, 0}},
        {"Fast", ProbeFast, SimDevice::Peltrix, kPeltrix, "Peltrix an COM6", {16, 0}},
        {"Fast", ProbeFast, SimDevice::VendraSerial, kVendraSerial, "Vendra an COM6", {81, 0}},
        {"Fast", ProbeFast, SimDevice::Tavinbox, kTavinbox, "TAVINBOX an COM6", {211, 81, 0}},
        {"Fast", ProbeFast, SimDevice::Rq410, 0, nullptr, {211}},
        {"Fast", ProbeFast, SimDevice::Orbide, 0, nullptr, {211}},
        {"Peltrix", ProbePeltrix, SimDevice::Peltrix, kPeltrix, "PELTRIX an COM6", {16, 0}},
        {"Peltrix", ProbePeltrix, SimDevice::Nera, 0, nullptr, {}},
        {"Orbide", ProbeOrbide, SimDevice::Orbide, kOrbide, "ORBIDE an COM6", {72, 0}},
        {"Orbide", ProbeOrbide, SimDevice::PlainCell, 0, nullptr, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.probe << " on " << SimDeviceName(c.device).toStdString());
        ScriptedLink link;
        CellModel model(As(c.device));
        ScriptedDevice& port = link.AddPort(6);
        port.AttachModel(&model);
        Desk desk{true};
        EXPECT_EQ(c.fn(link.serial, 6, desk.Prompt()), c.kind != 0);
        EXPECT_EQ(link.serial.GetDeviceKind(), c.kind);
        EXPECT_TRUE(link.serial.IsPortOpen()) << "the port stays open either way";
        EXPECT_EQ(link.serial.GetPortNumber(), 6);
        EXPECT_EQ(desk.asked,
                  c.caption ? QStringList{QString(c.caption) + "|Übernehmen?"} : QStringList{});
        // Eleven zeros, the command byte, then the tail.
        ASSERT_GE(port.written.size(), 12u);
        EXPECT_EQ(std::vector<uint8_t>(port.written.begin(), port.written.begin() + 11),
                  std::vector<uint8_t>(11, 0));
        EXPECT_EQ(std::vector<uint8_t>(port.written.begin() + 12, port.written.end()), c.tail);
        if (c.kind == kCell && c.fn == ProbeRQ410) {
            EXPECT_TRUE(port.rts);
        }
    }
}

TEST(Probes, CtrlWithYesTakesWithNoDeclines) {
    ScriptedLink link;
    CellModel cell(As(SimDevice::Rq410));
    link.AddPort(1).AttachModel(&cell);
    Desk desk{true, {false}};
    EXPECT_FALSE(ProbeRQ410(link.serial, 1, desk.Prompt()));
    EXPECT_EQ(link.serial.GetDeviceKind(), 0);
    EXPECT_TRUE(link.serial.IsPortOpen()) << "a declined device keeps its port open";
    EXPECT_FALSE(link.Port(1)->rts);
    EXPECT_TRUE(ProbeRQ410(link.serial, 1, desk.Prompt()));
    EXPECT_EQ(desk.asked.size(), 2);

    Desk up;  // Ctrl up: no question at all
    EXPECT_TRUE(ProbeRQ410(link.serial, 1, up.Prompt()));
    EXPECT_TRUE(up.asked.isEmpty());
}

TEST(Probes, ADeclinedNeraStillGetsTheSecondStep) {
    ScriptedLink link;
    ScriptedDevice& port = link.AddPort(2);
    port.Answer(1, {10});
    port.Answer(211, {5});  // and something answers the second step
    Desk desk{true, {false, true}};
    EXPECT_TRUE(ProbeFast(link.serial, 2, desk.Prompt()));
    EXPECT_EQ(desk.asked,
              (QStringList{"NERA an COM2|Übernehmen?", "TAVINBOX an COM2|Übernehmen?"}));
    EXPECT_EQ(link.serial.GetDeviceKind(), kTavinbox);
}

TEST(Probes, AMissingPortIsSkippedWithoutSending) {
    ScriptedLink link;
    for (auto probe : {ProbeRQ410, ProbeZelle, ProbeFast, ProbePeltrix, ProbeOrbide})
        EXPECT_FALSE(probe(link.serial, 9, {}));
    EXPECT_EQ(link.log.size(), 5);
    EXPECT_EQ(link.clock.elapsedMs, 0);
}

TEST(SearchHardware, TakesTheFirstDeviceUnlessCtrlAndNoSkipIt) {
    for (bool skip : {false, true}) {
        SCOPED_TRACE(skip);
        ScriptedLink link;
        CellModel nera(As(SimDevice::Nera));
        CellModel cell(As(SimDevice::Rq410));
        link.AddPort(1).AttachModel(&nera);
        link.AddPort(2).AttachModel(&cell);
        Desk desk{skip, {false}};
        EXPECT_EQ(SearchHardware(link.serial, desk.Prompt()), skip ? kCell : kNera);
        EXPECT_EQ(link.serial.GetPortNumber(), skip ? 2 : 1);
        const QStringList asked{"NERA an COM1|Übernehmen?", "RQ410 (Zelle) an COM2|Übernehmen?"};
        EXPECT_EQ(desk.asked, skip ? asked : QStringList());
        EXPECT_EQ(link.Port(2)->opens, skip ? 1 : 0);
    }
}

TEST(SearchHardware, ASilentPortCostsAboutOnePointFourSeconds) {
    ScriptedLink link;
    link.AddPort(5);
    EXPECT_EQ(SearchHardware(link.serial), 0);
    EXPECT_EQ(link.Port(5)->opens, 5);
    // Six silent reads of 210 ms and the pauses 100 + 4 x 10 ms.
    EXPECT_EQ(link.clock.elapsedMs, 6 * 210 + 140);
    EXPECT_EQ(link.serial.GetDeviceKind(), 0);
}
