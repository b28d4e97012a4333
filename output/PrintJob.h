#pragma once

#include <qcustomplot.h>

#include <QString>

class QPrinter;

namespace kelvarn {

// One print run on a printer. A step that fails cancels the job and keeps
// the print service's message for the user.
class PrintJob {
public:
    explicit PrintJob(QPrinter& printer) : printer_(printer) {}
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // Opens the job; false when the printer cannot take it.
    bool Begin();
    // The painter of the page being printed, in the printer's device pixels
    // with (0, 0) at the top left of the printable area.
    QCPPainter& Painter() { return painter_; }
    bool NewPage();
    // Closes the job and hands it to the print service; false when the
    // service did not take it.
    bool Finish();

    QString Failure() const { return failure_; }

private:
    bool Fail();

    QPrinter& printer_;
    QCPPainter painter_;
    QString failure_;
};

// The message of the print service about the last failure on this printer:
// for a printer that writes a file, why the file cannot be created.
QString PrintFailureText(const QPrinter& printer);

}  // namespace kelvarn
