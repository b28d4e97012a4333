// Every outcome of every cell command and the texts it gives: the message box, the status
// line and the command line's line, from the one table the window and kelvarn-cli share.
#include <gtest/gtest.h>

#include <set>

#include "cell/CellResult.h"
#include "cell/CellTasks.h"
#include "cell/ReadOut.h"

using namespace kelvarn;

namespace {

struct Row {
    const char* name;
    CellResult result;
    const char* notice;
    const char* status;  // nullptr: the status line keeps what the command left
    const char* line;
};

CellResult Make(CellCommand command, CellStatus status, CellCause cause = CellCause::kNone) {
    CellResult r;
    r.command = command;
    r.status = status;
    r.cause = cause;
    return r;
}

CellResult Counted(CellResult r, int count, int total) {
    r.count = count;
    r.total = total;
    return r;
}

CellResult Port(CellResult r, int port, QString where = {}) {
    r.port = port;
    r.where = std::move(where);
    return r;
}

CellResult Program(CellResult r, int row) {
    r.row = row;
    return r;
}

CellResult Opened(CellResult r, OpenFailure failure) {
    r.cause = CellCause::kOpenFailure;
    r.openFailure = failure;
    return r;
}

CellResult Detail(CellResult r, QString detail) {
    r.detail = std::move(detail);
    return r;
}

using C = CellCommand;
using S = CellStatus;
using K = CellCause;

const char* const kBusy = "Port belegt (von einem anderen Programm geöffnet)";

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = {
        // The search.
        {"SearchFound", Port(Make(C::kSearch, S::kOk), 3), "", "Hardware an COM 3 gefunden.",
         "Hardware an COM 3 gefunden."},
        {"SearchFoundByDevice", Port(Make(C::kSearch, S::kOk), 3, "/dev/ttyUSB0"), "",
         "Hardware an /dev/ttyUSB0 gefunden.", "Hardware an /dev/ttyUSB0 gefunden."},
        {"SearchNothing", Make(C::kSearch, S::kFailed, K::kNoAnswer), "",
         " Keine Hardware gefunden.", "Keine Hardware gefunden."},
        {"SearchCancelled", Make(C::kSearch, S::kCancelled), "", " Suche abgebrochen.",
         "Suche abgebrochen."},
        // The connection check on a chosen port.
        {"ConnectFound", Port(Make(C::kConnect, S::kOk), 2), "", "Hardware an COM 2 gefunden.",
         "Hardware an COM 2 gefunden."},
        {"ConnectNoCell", Port(Make(C::kConnect, S::kFailed, K::kNoAnswer), 2), "",
         " Keine Hardware an COM2!", "Keine Hardware an COM2!"},
        {"ConnectBusy", Opened(Port(Make(C::kConnect, S::kFailed), 2), OpenFailure::kBusy), "",
         " Keine Hardware an COM2! Port belegt (von einem anderen Programm geöffnet)",
         "Keine Hardware an COM2! Port belegt (von einem anderen Programm geöffnet)"},
        {"ConnectOtherOpenFailure",
         Opened(Port(Make(C::kConnect, S::kFailed), 4), OpenFailure::kOther), "",
         " Keine Hardware an COM4!", "Keine Hardware an COM4!"},
        // The upload.
        {"UploadSent", Make(C::kUpload, S::kOk), "", nullptr, ""},
        {"UploadNoCell", Make(C::kUpload, S::kFailed, K::kNoAnswer), "Hardware antwortet nicht!",
         "", "Hardware antwortet nicht!"},
        {"UploadDenied", Opened(Make(C::kUpload, S::kFailed), OpenFailure::kDenied),
         "Hardware antwortet nicht! Zugriff verweigert (Benutzer zur Gruppe dialout hinzufügen)",
         "",
         "Hardware antwortet nicht! Zugriff verweigert (Benutzer zur Gruppe dialout "
         "hinzufügen)"},
        {"UploadCancelled", Make(C::kUpload, S::kCancelled), "", " Übertragung abgebrochen.",
         "Übertragung abgebrochen."},
        {"UploadStopped", Make(C::kUpload, S::kFailed, K::kTimeOut), "",
         " Fehler. Zelle antwortet nicht mehr.", "Fehler. Zelle antwortet nicht mehr."},
        {"UploadHungUp", Make(C::kUpload, S::kFailed, K::kLineFailure), "",
         " Fehler. Verbindung unterbrochen.", "Fehler. Verbindung unterbrochen."},
        {"UploadFile", Detail(Make(C::kUpload, S::kFailed, K::kFile), " Dateifehler 2. /w/A.BIN"),
         "", nullptr, "Dateifehler 2. /w/A.BIN"},
        // The program query.
        {"QueryFound", Program(Make(C::kQuery, S::kOk), 2), "", " Gefundener Messtyp: B", "B"},
        {"QueryUnknown", Program(Make(C::kQuery, S::kFailed, K::kNoProgram), -1), "",
         " Gefundener Messtyp: Unbekannt. Möglicherweise sollte die Hardware aus- und "
         "eingeschaltet werden.",
         "Unbekannt. Möglicherweise sollte die Hardware aus- und eingeschaltet werden."},
        {"QueryMissingPort",
         Program(Opened(Make(C::kQuery, S::kFailed), OpenFailure::kMissing), -1), "",
         " Gefundener Messtyp: Unbekannt. Möglicherweise sollte die Hardware aus- und "
         "eingeschaltet werden. Gerät nicht vorhanden",
         "Unbekannt. Möglicherweise sollte die Hardware aus- und eingeschaltet werden."},
        // The read-out.
        {"ReadOutComplete", Counted(Make(C::kReadOut, S::kOk), 1000, 1000), "", " OK.", "OK."},
        {"ReadOutNotReady", Make(C::kReadOut, S::kFailed, K::kNoAnswer),
         "Hardware nicht bereit! Zelle antwortet nicht.",
         " Hardware nicht bereit! Zelle antwortet nicht.",
         "Hardware nicht bereit! Zelle antwortet nicht."},
        {"ReadOutNotReadyLineFailed", Make(C::kReadOut, S::kFailed, K::kLineFailure),
         "Hardware nicht bereit! Verbindung unterbrochen.",
         " Hardware nicht bereit! Verbindung unterbrochen.",
         "Hardware nicht bereit! Verbindung unterbrochen."},
        {"ReadOutNotReadyWithoutPort", Make(C::kReadOut, S::kFailed), "Hardware nicht bereit!",
         " Fehler.", "Hardware nicht bereit!"},
        {"ReadOutBusy", Opened(Make(C::kReadOut, S::kFailed), OpenFailure::kBusy),
         "Hardware nicht bereit! Port belegt (von einem anderen Programm geöffnet)", " Fehler.",
         "Hardware nicht bereit! Port belegt (von einem anderen Programm geöffnet)"},
        {"ReadOutDamaged", Make(C::kReadOut, S::kFailed, K::kDamaged),
         " Datensatz ist defekt!  Bitte Batterieen überprüfen.", " Fehler.",
         "Datensatz ist defekt!  Bitte Batterieen überprüfen."},
        {"ReadOutDamagedOnTheLine",
         [] {
             CellResult r = Make(C::kReadOut, S::kFailed, K::kDamaged);
             r.headerFault = K::kLineFailure;
             return r;
         }(),
         " Datensatz ist defekt! Verbindung unterbrochen.  Bitte Batterieen überprüfen.",
         " Datensatz ist defekt! Verbindung unterbrochen.  Bitte Batterieen überprüfen.",
         "Datensatz ist defekt! Verbindung unterbrochen.  Bitte Batterieen überprüfen."},
        {"ReadOutCancelledBeforeData", Make(C::kReadOut, S::kCancelled), "",
         " Auslesen abgebrochen.", "Auslesen abgebrochen."},
        {"ReadOutIncomplete", Counted(Make(C::kReadOut, S::kFailed, K::kTimeOut), 500, 1000),
         "Auslesen unvollständig! Nur 500 von 1000 Messwerten empfangen. Zelle antwortet nicht "
         "mehr.",
         " Auslesen unvollständig! Nur 500 von 1000 Messwerten empfangen. Zelle antwortet nicht "
         "mehr.",
         "Auslesen unvollständig! Nur 500 von 1000 Messwerten empfangen. Zelle antwortet nicht "
         "mehr."},
        {"ReadOutHungUp", Counted(Make(C::kReadOut, S::kFailed, K::kLineFailure), 399, 1000),
         "Auslesen unvollständig! Nur 399 von 1000 Messwerten empfangen. Verbindung unterbrochen.",
         " Auslesen unvollständig! Nur 399 von 1000 Messwerten empfangen. Verbindung "
         "unterbrochen.",
         "Auslesen unvollständig! Nur 399 von 1000 Messwerten empfangen. Verbindung unterbrochen."},
        {"ReadOutIncompleteWithoutLineFault", Counted(Make(C::kReadOut, S::kFailed), 500, 6000),
         "Auslesen unvollständig! Nur 500 von 6000 Messwerten empfangen.", " Fehler.",
         "Auslesen unvollständig! Nur 500 von 6000 Messwerten empfangen."},
        {"ReadOutCancelledPartWay", Counted(Make(C::kReadOut, S::kCancelled), 250, 6000),
         "Auslesen abgebrochen. Nur 250 von 6000 Messwerten empfangen.", " Auslesen abgebrochen.",
         "Auslesen abgebrochen. Nur 250 von 6000 Messwerten empfangen."},
        // The start from the PC.
        {"StartRunning", Program(Make(C::kStart, S::kOk), 1), "", " Messung läuft ...",
         "Messung läuft ..."},
        {"StartNoCell", Make(C::kStart, S::kFailed, K::kNoAnswer), "", " Hardware antwortet nicht.",
         "Hardware antwortet nicht."},
        {"StartBusy", Opened(Make(C::kStart, S::kFailed), OpenFailure::kBusy), "",
         " Hardware antwortet nicht. Port belegt (von einem anderen Programm geöffnet)",
         "Hardware antwortet nicht. Port belegt (von einem anderen Programm geöffnet)"},
        {"StartNoProgram", Program(Make(C::kStart, S::kFailed, K::kNoProgram), -1), "",
         " Messprogramm nicht korrekt.", "Messprogramm nicht korrekt."},
        {"StartCancelled", Make(C::kStart, S::kCancelled), "", " Übertragung abgebrochen.", ""},
        {"StartUploadStopped",
         Detail(Make(C::kStart, S::kFailed, K::kTimeOut), " Übertage Messprogramm ..."), "",
         " Fehler. Zelle antwortet nicht mehr.", "Fehler. Zelle antwortet nicht mehr."},
        {"StartFile", Detail(Make(C::kStart, S::kFailed, K::kFile), " Dateifehler 2. /w/B.BIN"), "",
         nullptr, "Dateifehler 2. /w/B.BIN"},
        // The live measurement.
        {"LiveEnded", Counted(Make(C::kLive, S::kOk), 360, 0), "", " Messung beendet.",
         "Messung beendet."},
        {"LiveStopped", Make(C::kLive, S::kCancelled), "", " Messung gestoppt.", ""},
        {"LiveNoLevel", Make(C::kLive, S::kFailed, K::kTimeOut), "",
         " Fehler. Zelle antwortet nicht mehr.",
         "Fehler: kein Messwert von der Zelle. Zelle antwortet nicht mehr."},
        {"LiveHungUp", Make(C::kLive, S::kFailed, K::kLineFailure), "",
         " Fehler. Verbindung unterbrochen.",
         "Fehler: kein Messwert von der Zelle. Verbindung unterbrochen."},
        {"LiveZeroByte", Make(C::kLive, S::kFailed), "", " Fehler.",
         "Fehler: kein Messwert von der Zelle."},
    };
    return rows;
}

class CellMessageTable : public ::testing::TestWithParam<Row> {};

TEST_P(CellMessageTable, GivesTheTextsOfItsOutcome) {
    const Row& row = GetParam();
    const CellText t = CellMessage(row.result);
    EXPECT_EQ(t.notice, QString::fromUtf8(row.notice));
    EXPECT_EQ(t.setsStatus, row.status != nullptr);
    if (row.status) {
        EXPECT_EQ(t.status, QString::fromUtf8(row.status));
    }
    EXPECT_EQ(t.line, QString::fromUtf8(row.line));
}

INSTANTIATE_TEST_SUITE_P(EveryOutcome, CellMessageTable, ::testing::ValuesIn(Rows()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(CellMessageTable, EveryCommandHasRows) {
    std::set<CellCommand> seen;
    for (const Row& row : Rows()) seen.insert(row.result.command);
    EXPECT_EQ(seen.size(), 7u);
}

// A read-out's own result and the common one say the same.
TEST(CellResultFromReadOut, KeepsCountsAndCause) {
    const CellResult incomplete = FromReadOut({ReadOutResult::kIncomplete, 399, 1000, false});
    EXPECT_EQ(incomplete.status, CellStatus::kFailed);
    EXPECT_EQ(incomplete.count, 399);
    EXPECT_EQ(incomplete.total, 1000);
    const CellResult cancelled = FromReadOut({ReadOutResult::kIncomplete, 250, 6000, true});
    EXPECT_EQ(cancelled.status, CellStatus::kCancelled);
    EXPECT_EQ(FromReadOut({ReadOutResult::kDefective, 0, 0, false}).cause, CellCause::kDamaged);
    EXPECT_EQ(FromReadOut({ReadOutResult::kOk, 8, 8, false}).status, CellStatus::kOk);
    EXPECT_EQ(FromReadOut({ReadOutResult::kNotReady, 0, 0, false}).total, 0);
    EXPECT_EQ(
        FromReadOut({ReadOutResult::kIncomplete, 399, 1000, false, LinkStatus::kTimeout}).cause,
        CellCause::kTimeOut);
    EXPECT_EQ(FromReadOut({ReadOutResult::kNotReady, 0, 0, false, LinkStatus::kLineFailure}).cause,
              CellCause::kLineFailure);
    EXPECT_EQ(
        FromReadOut({ReadOutResult::kDefective, 0, 0, false, LinkStatus::kTimeout}).headerFault,
        CellCause::kTimeOut);
    EXPECT_EQ(IncompleteReadOutText({ReadOutResult::kIncomplete, 399, 1000, false}),
              "Auslesen unvollständig! Nur 399 von 1000 Messwerten empfangen.");
}

}  // namespace
