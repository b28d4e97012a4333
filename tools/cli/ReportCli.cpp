#include "ReportCli.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextDocument>
#include <cstdio>
#include <cstring>

#include "eval/RecordBounds.h"
#include "files/CommandResult.h"
#include "files/MeasurementFile.h"
#include "files/PosixFile.h"
#include "files/ProtocolFile.h"
#include "files/RemarksFile.h"
#include "files/SystemPath.h"
#include "output/Report.h"
#include "widgets/RichTextDocument.h"

namespace kelvarn {

namespace {

CliOutcome Fail(int code, const QString& message) {
    return CliFailure(code, message);
}

}  // namespace

bool IsReportCommand(const QString& command) {
    return command == QLatin1String("report");
}

CliOutcome RunReportCommand(const QStringList& args) {
    if (args.size() != 3)
        return Fail(2, QStringLiteral("falsche Anzahl von Argumenten für \"report\""));
    const QString& path = args[1];
    const QString& out = args[2];
    MeasurementRecord rec;
    const CommandResult read = ReadMeasurementFile(path, rec);
    if (!read.ok) return Fail(1, path + QStringLiteral(": ") + read.message);

    // The description as "&Öffnen ..." loads it: from the remarks file beside the file.
    QTextDocument description;
    const QString remarks = RemarksFileName(path);
    if (RemarksFileExists(remarks)) {
        RichText text;
        const CommandResult loaded = LoadRemarks(remarks, text);
        if (!loaded.ok) return Fail(1, MessageText(loaded));
        ToDocument(text, description);
    }

    ReportContent content;
    // The name as it reads, the date of the file its bytes name.
    content.fileName = DisplayPath(QFileInfo(path).fileName());
    content.fileDate = FileModificationTime(path);
    content.description = &description;
    content.head = ReadReportHead();  // as the window's settings tab keeps it
    CliOutcome o;
    // The protocol beside the file; one that cannot be read is named and left out.
    MeasurementProtocol protocol;
    const ProtocolLoad load = ReadProtocolFile(ProtocolFileName(path), ShapeOf(rec), protocol);
    if (load.state == ProtocolLoad::kUnreadable)
        o.err += CliErrorLine(load.message);
    else
        content.protocol = &protocol;
    const QString notice = DamageNotice(MeasureRecord(rec));
    if (!notice.isEmpty())
        o.err += "kelvarn-cli: " + Utf8WithCarriedBytes(path + QLatin1Char(':') + notice) + '\n';
    const CommandResult written = WriteReportPdf(out, rec, content);
    if (!written.ok) {
        CliOutcome f = Fail(1, out + QStringLiteral(": ") + written.message);
        f.err.prepend(o.err);
        return f;
    }
    return o;
}

std::unique_ptr<QCoreApplication> CliApplication(int& argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "report") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        // The command says itself what went wrong; the platform's notes (no runtime folder,
        // fonts) are not for the user of a command line.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
            if (type == QtFatalMsg) std::fputs(qPrintable(msg + QLatin1Char('\n')), stderr);
        });
        return std::make_unique<QApplication>(argc, argv);
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}

}  // namespace kelvarn
