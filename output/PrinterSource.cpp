#include "output/PrinterSource.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace kelvarn {

SystemPrinterSource::SystemPrinterSource() = default;
SystemPrinterSource::~SystemPrinterSource() = default;

QPrinter* SystemPrinterSource::DefaultPrinter() {
    // Asked at every print: the user may have changed the default meanwhile.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return nullptr;
    if (!printer_ || printer_->printerName() != info.printerName())
        printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    return printer_.get();
}

}  // namespace kelvarn
