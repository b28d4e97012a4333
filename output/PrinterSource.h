#pragma once

#include <QString>
#include <memory>

class QPrinter;

namespace kelvarn {

// Shown when there is no printer to print on.
inline const QString kNoDefaultPrinter =
    QStringLiteral("Zur Zeit ist kein Standard-Drucker gewählt");

// The printer that every print goes to; no printer dialog is shown. The
// window uses the desktop's default printer; tests hand in a printer that
// writes a PDF file.
class PrinterSource {
public:
    virtual ~PrinterSource() = default;
    // nullptr when no printer is installed or none is the default. The
    // printer stays the source's; its settings carry over between prints.
    virtual QPrinter* DefaultPrinter() = 0;
};

// The desktop's default printer. One QPrinter serves every print, so a
// setting it keeps (the paper orientation) is the program's printer setting;
// it is set up afresh when another printer becomes the default.
class SystemPrinterSource : public PrinterSource {
public:
    SystemPrinterSource();
    ~SystemPrinterSource() override;
    QPrinter* DefaultPrinter() override;

private:
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace kelvarn
