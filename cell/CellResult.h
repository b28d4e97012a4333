#pragma once

#include <QString>

#include "link/ByteDevice.h"
#include "link/SerialLink.h"

namespace kelvarn {

struct ReadOutResult;

// The commands to the cell, as the person starts them.
enum class CellCommand {
    kSearch,   // "Automatische S&uche"
    kConnect,  // a port chosen in the port choice: the connection check on it
    kUpload,   // "Ü&bertragen"
    kQuery,    // "Aktuelles &Messprogramm in der Zelle erfragen"
    kReadOut,  // "&Auslesen der Zelle"
    kStart,    // "&Start": the START-key program, the query, the run command
    kLive,     // the live measurement after a start: one level after another
};

// How a command ended.
enum class CellStatus {
    kOk,
    kFailed,
    kCancelled,  // the person stopped it; what arrived is kept
};

// Why a command failed (or, for kOk, nothing).
enum class CellCause {
    kNone,
    kNoAnswer,     // the cell (any device, for the search) never answered
    kTimeOut,      // the cell stopped answering part-way
    kLineFailure,  // the line failed: no port, a device error, the line hung up
    kOpenFailure,  // the port did not open; openFailure says why, as the system told
    kDamaged,      // the header the cell sent describes no record it can hold
    kNoProgram,    // the cell holds no program the table knows
    kFile,         // a program file could not be read; detail holds its message
};

// What every command to the cell ends with: one shape for the window and the command line
// alike, turned into texts by CellMessage only.
struct CellResult {
    CellCommand command = CellCommand::kConnect;
    CellStatus status = CellStatus::kFailed;
    CellCause cause = CellCause::kNone;
    OpenFailure openFailure = OpenFailure::kNone;  // with kOpenFailure
    // With kDamaged: the line fault that left the header incomplete (kTimeOut, kLineFailure),
    // else kNone.
    CellCause headerFault = CellCause::kNone;
    // Read-out: samples that arrived (k) of the samples of the whole measurement (n); the
    // live measurement: levels taken. A read-out with n = 0 ended before its data.
    int count = 0;
    int total = 0;
    int row = 0;     // query and start: the program found (1..9), -1 for none
    int port = 0;    // connect and search: the COM number where the cell answered
    QString where;   // search: the device that answered when it is reached by a path only
    QString detail;  // kFile: the program file's message, as the status line shows it

    bool Ok() const { return status == CellStatus::kOk; }
    bool Cancelled() const { return status == CellStatus::kCancelled; }
};

// The texts a result gives.
struct CellText {
    // The message box's text; empty: no box.
    QString notice;
    // The status line's text (it begins with a blank); only when setsStatus, else the
    // status line keeps what the command left there.
    QString status;
    bool setsStatus = false;
    // The one line the command line writes for it (no leading blank), on stdout for a
    // success and on stderr otherwise.
    QString line;
};

// The one table from outcome to text, for the window and the command line.
CellText CellMessage(const CellResult& result);

// The cause the result names behind the command's own message: the system's reason for a
// failed open, "Zelle antwortet nicht." (a cell that never answered where it should have),
// "Zelle antwortet nicht mehr." (a cell that stopped part-way), "Verbindung unterbrochen."
// (the line failed or hung up); empty when there is none to name.
QString CellCauseText(const CellResult& result);

// The cause of a failed open of the link's port: kOpenFailure with the system's reason when
// the port is not open and the system told why, else nothing. Sets result's cause only when
// the link has one.
void TakeOpenCause(const SerialLink& link, CellResult& result);

// The cause a failed exchange on the line names.
CellCause CauseOf(LinkStatus status);

// A read-out's result in the common shape; the line's fault becomes the cause.
CellResult FromReadOut(const ReadOutResult& r);

// The status text for the outcome of a program query:
// " Gefundener Messtyp: B", or the "Unbekannt" text for row <= 0.
QString ProgramQueryText(int row);

// The text of the message box for a read-out whose data stopped part-way,
// or that the person cancelled.
QString IncompleteReadOutText(const ReadOutResult& result);

}  // namespace kelvarn
