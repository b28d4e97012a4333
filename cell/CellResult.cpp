#include "cell/CellResult.h"

#include "cell/ReadOut.h"
#include "data/ProgramTable.h"

namespace kelvarn {

namespace {

// message followed by the cause, when there is one to name.
QString With(const QString& message, const QString& cause) {
    return cause.isEmpty() ? message : message + QLatin1Char(' ') + cause;
}

// The reason a port did not open, as the system told it; empty otherwise.
QString OpenCauseText(const CellResult& r) {
    return r.cause == CellCause::kOpenFailure ? OpenFailureText(r.openFailure) : QString();
}

// The text of a line fault behind a message; empty for any other cause.
QString LineCauseText(CellCause cause) {
    switch (cause) {
        case CellCause::kNoAnswer: return QStringLiteral("Zelle antwortet nicht.");
        case CellCause::kTimeOut: return QStringLiteral("Zelle antwortet nicht mehr.");
        case CellCause::kLineFailure: return QStringLiteral("Verbindung unterbrochen.");
        default: return {};
    }
}

// A failure whose cause is a line fault: the status line shows the whole message, cause
// included.
CellText Named(const QString& message, const QString& cause) {
    CellText t;
    t.notice = With(message, cause);
    t.status = QLatin1Char(' ') + t.notice;
    t.setsStatus = true;
    t.line = t.notice;
    return t;
}

CellText Status(const QString& status, const QString& notice = {}) {
    CellText t;
    t.notice = notice;
    t.status = status;
    t.setsStatus = true;
    t.line = notice.isEmpty() ? status.trimmed() : notice.trimmed();
    return t;
}

CellText ReadOutText(const CellResult& r) {
    if (r.Ok()) return Status(QStringLiteral(" OK."));
    if (r.cause == CellCause::kDamaged) {
        const QString cause = LineCauseText(r.headerFault);
        if (cause.isEmpty())
            return Status(QStringLiteral(" Fehler."),
                          QStringLiteral(" Datensatz ist defekt!  Bitte Batterieen überprüfen."));
        // The header went missing on the line: that is named before the advice.
        CellText t = Status(QString(), QStringLiteral(" Datensatz ist defekt! ") + cause +
                                           QStringLiteral("  Bitte Batterieen überprüfen."));
        t.status = t.notice;
        return t;
    }
    // Ended before its data: the readiness question, or a cancel before it.
    if (r.total == 0) {
        if (r.Cancelled()) return Status(QStringLiteral(" Auslesen abgebrochen."));
        const QString line = LineCauseText(r.cause);
        if (!line.isEmpty()) return Named(QStringLiteral("Hardware nicht bereit!"), line);
        return Status(QStringLiteral(" Fehler."),
                      With(QStringLiteral("Hardware nicht bereit!"), OpenCauseText(r)));
    }
    // What arrived is kept; the message says how much is missing.
    if (r.Cancelled())
        return Status(QStringLiteral(" Auslesen abgebrochen."),
                      QStringLiteral("Auslesen abgebrochen. Nur %1 von %2 Messwerten empfangen.")
                          .arg(r.count)
                          .arg(r.total));
    const QString incomplete =
        QStringLiteral("Auslesen unvollständig! Nur %1 von %2 Messwerten empfangen.")
            .arg(r.count)
            .arg(r.total);
    const QString line = LineCauseText(r.cause);
    if (!line.isEmpty()) return Named(incomplete, line);
    return Status(QStringLiteral(" Fehler."), incomplete);
}

CellText UploadText(const CellResult& r) {
    if (r.Ok()) return {};
    if (r.Cancelled()) return Status(QStringLiteral(" Übertragung abgebrochen."));
    if (r.cause == CellCause::kNoAnswer || r.cause == CellCause::kOpenFailure) {
        // The connection check failed: nothing went over, and the status line is emptied.
        return Status(QString(),
                      With(QStringLiteral("Hardware antwortet nicht!"), OpenCauseText(r)));
    }
    // A program file's error stays on the status line as the upload left it.
    if (r.cause == CellCause::kFile) {
        CellText t;
        t.line = r.detail.trimmed();
        return t;
    }
    return Status(With(QStringLiteral(" Fehler."), LineCauseText(r.cause)));
}

CellText StartText(const CellResult& r) {
    if (r.Ok()) return Status(QStringLiteral(" Messung läuft ..."));
    if (r.cause == CellCause::kNoAnswer || r.cause == CellCause::kOpenFailure)
        return Status(With(QStringLiteral(" Hardware antwortet nicht."), OpenCauseText(r)));
    if (r.cause == CellCause::kNoProgram)
        return Status(QStringLiteral(" Messprogramm nicht korrekt."));
    // The START-key program did not go over: the upload's own text stays on the status line.
    CellText t;
    if (r.Cancelled()) {
        t = Status(QStringLiteral(" Übertragung abgebrochen."));
        t.line.clear();  // the person ended it: nothing to complain about
        return t;
    }
    // The line gave out under the START-key program.
    const QString line = LineCauseText(r.cause);
    if (!line.isEmpty()) return Status(With(QStringLiteral(" Fehler."), line));
    t.line = r.detail.trimmed();
    return t;
}

CellText LiveText(const CellResult& r) {
    if (r.Cancelled()) {
        CellText t = Status(QStringLiteral(" Messung gestoppt."));
        t.line.clear();
        return t;
    }
    if (r.Ok()) return Status(QStringLiteral(" Messung beendet."));
    // No byte, or the 0 that is no level: the views keep what they show.
    const QString line = LineCauseText(r.cause);
    CellText t = Status(With(QStringLiteral(" Fehler."), line));
    t.line = With(QStringLiteral("Fehler: kein Messwert von der Zelle."), line);
    return t;
}

}  // namespace

QString CellCauseText(const CellResult& r) {
    return r.cause == CellCause::kOpenFailure ? OpenFailureText(r.openFailure)
                                              : LineCauseText(r.cause);
}

QString ProgramQueryText(int row) {
    if (row > 0) return QStringLiteral(" Gefundener Messtyp: ") + ProgramLetter(row);
    return QStringLiteral(
        " Gefundener Messtyp: Unbekannt. Möglicherweise sollte die Hardware aus- und "
        "eingeschaltet werden.");
}

QString IncompleteReadOutText(const ReadOutResult& result) {
    return CellMessage(FromReadOut(result)).notice;
}

CellCause CauseOf(LinkStatus status) {
    switch (status) {
        case LinkStatus::kOk: return CellCause::kNone;
        case LinkStatus::kTimeout: return CellCause::kTimeOut;
        case LinkStatus::kLineFailure: return CellCause::kLineFailure;
    }
    return CellCause::kLineFailure;
}

void TakeOpenCause(const SerialLink& link, CellResult& result) {
    if (link.IsPortOpen() || link.LastOpenFailure() == OpenFailure::kNone) return;
    result.cause = CellCause::kOpenFailure;
    result.openFailure = link.LastOpenFailure();
}

CellResult FromReadOut(const ReadOutResult& r) {
    CellResult out;
    out.command = CellCommand::kReadOut;
    out.count = r.received;
    out.total = r.expected;
    switch (r.outcome) {
        case ReadOutResult::kOk: out.status = CellStatus::kOk; break;
        case ReadOutResult::kNotReady:
            // A cell that never answered the question, or a line that failed under it.
            out.cause = r.fault == LinkStatus::kLineFailure ? CellCause::kLineFailure
                                                            : CellCause::kNoAnswer;
            out.count = out.total = 0;
            break;
        case ReadOutResult::kDefective:
            out.cause = CellCause::kDamaged;
            out.headerFault = CauseOf(r.fault);
            break;
        case ReadOutResult::kCancelled:
            out.status = CellStatus::kCancelled;
            out.count = out.total = 0;
            break;
        case ReadOutResult::kIncomplete:
            out.status = r.cancelled ? CellStatus::kCancelled : CellStatus::kFailed;
            out.cause = r.cancelled ? CellCause::kNone : CauseOf(r.fault);
            break;
    }
    return out;
}

CellText CellMessage(const CellResult& r) {
    switch (r.command) {
        case CellCommand::kSearch:
            if (r.Cancelled()) return Status(QStringLiteral(" Suche abgebrochen."));
            if (!r.Ok()) return Status(QStringLiteral(" Keine Hardware gefunden."));
            return Status(
                QStringLiteral("Hardware an %1 gefunden.")
                    .arg(r.where.isEmpty() ? QStringLiteral("COM %1").arg(r.port) : r.where));
        case CellCommand::kConnect:
            if (r.Ok()) return Status(QStringLiteral("Hardware an COM %1 gefunden.").arg(r.port));
            return Status(
                With(QStringLiteral(" Keine Hardware an COM%1!").arg(r.port), OpenCauseText(r)));
        case CellCommand::kUpload: return UploadText(r);
        case CellCommand::kQuery: {
            // The status line names the program; the command line writes only its letter, or
            // the text after "Gefundener Messtyp: ".
            CellText t = Status(With(ProgramQueryText(r.row), OpenCauseText(r)));
            t.line = r.row > 0 ? QString(ProgramLetter(r.row))
                               : ProgramQueryText(r.row).section(QStringLiteral(": "), 1);
            return t;
        }
        case CellCommand::kReadOut: return ReadOutText(r);
        case CellCommand::kStart: return StartText(r);
        case CellCommand::kLive: return LiveText(r);
    }
    return {};
}

}  // namespace kelvarn
