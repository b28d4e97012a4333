#include "output/PrintJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QPrinter>

namespace kelvarn {

namespace {

// The status of the last request to the CUPS server from this thread.
// Qt hands a finished job to CUPS without looking at the answer, so it is
// read here; libcups is loaded already by Qt's print support. Empty when
// the last request succeeded or CUPS is not there.
QString LastCupsMessage() {
    using StatusFn = int (*)();
    using TextFn = const char* (*)();
    static const auto status =
        reinterpret_cast<StatusFn>(QLibrary::resolve(QStringLiteral("cups"), 2, "cupsLastError"));
    static const auto text = reinterpret_cast<TextFn>(
        QLibrary::resolve(QStringLiteral("cups"), 2, "cupsLastErrorString"));
    if (!status || !text) return {};
    constexpr int kFirstIppError = 0x0400;  // below: successful or informational
    if (status() < kFirstIppError) return {};
    const char* message = text();
    return message ? QString::fromUtf8(message).trimmed() : QString();
}

bool WritesFile(const QPrinter& printer) {
    return !printer.outputFileName().isEmpty();
}

}  // namespace

QString PrintFailureText(const QPrinter& printer) {
    if (WritesFile(printer)) {
        // Ask the file system the same question the printer asked.
        const QString path = QDir::toNativeSeparators(printer.outputFileName());
        QFile file(printer.outputFileName());
        const bool existed = file.exists();
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            return QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2")
                .arg(path, file.errorString());
        }
        file.close();
        if (!existed) file.remove();
        return QStringLiteral("Datei \"%1\" kann nicht geschrieben werden").arg(path);
    }
    const QString cups = LastCupsMessage();
    if (!cups.isEmpty()) return cups;
    return QStringLiteral("Der Drucker \"%1\" meldet einen Fehler").arg(printer.printerName());
}

PrintJob::~PrintJob() {
    if (painter_.isActive()) painter_.end();
}

bool PrintJob::Begin() {
    if (!painter_.begin(&printer_)) return Fail();
    return true;
}

bool PrintJob::NewPage() {
    if (!printer_.newPage()) return Fail();
    return true;
}

bool PrintJob::Finish() {
    if (!painter_.end()) return Fail();
    if (printer_.printerState() == QPrinter::Error) return Fail();
    // A job for a print queue is handed over while the painter ends.
    if (!WritesFile(printer_) && printer_.outputFormat() == QPrinter::NativeFormat &&
        !LastCupsMessage().isEmpty())
        return Fail();
    return true;
}

bool PrintJob::Fail() {
    failure_ = PrintFailureText(printer_);
    printer_.abort();
    if (painter_.isActive()) painter_.end();
    return false;
}

}  // namespace kelvarn
