#include "ReportCli.h"

#include <QApplication>
#include <QFileInfo>
#include <QTextDocument>
#include <cstdio>
#include <cstring>

#include "CliDocument.h"
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
    CliOutcome o;
    // The measurement as "&Öffnen ..." opens it, with the description from its remarks file.
    MeasurementDocument doc;
    DocumentOpen opened;
    if (!OpenForCli(path, doc, opened, o, false)) return o;
    const MeasurementRecord& rec = doc.Record();
    QTextDocument description;
    ToDocument(doc.Description(), description);

    ReportContent content;
    // The name as it reads, the date of the file its bytes name.
    content.fileName = DisplayPath(QFileInfo(path).fileName());
    content.fileDate = FileModificationTime(path);
    content.description = &description;
    content.head = ReadReportHead();  // as the window's settings tab keeps it
    content.view = &doc.View();
    // A protocol that cannot be read is named and left out.
    if (opened.protocol.state == ProtocolLoad::kUnreadable)
        o.err += CliErrorLine(opened.protocol.message);
    else
        content.protocol = &doc.Protocol();
    const QString& notice = doc.View().evaluation.damageNotice;
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
