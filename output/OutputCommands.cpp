#include "output/OutputCommands.h"

#include <qcustomplot.h>

#include <QTextEdit>

#include "files/CommandResult.h"
#include "output/ChartCopy.h"
#include "output/ChartPrint.h"
#include "output/ClipboardSink.h"
#include "output/DocumentPrint.h"
#include "output/PrinterSource.h"
#include "output/TableCopy.h"
#include "widgets/StringGrid.h"

namespace kelvarn {

OutputCommands::OutputCommands(StopBox stop, QObject* parent)
    : QObject(parent),
      stop_(std::move(stop)),
      systemPrinters_(std::make_unique<SystemPrinterSource>()),
      systemClipboard_(std::make_unique<SystemClipboard>()) {
    setObjectName(QStringLiteral("OutputCommands"));
    printers_ = systemPrinters_.get();
    clipboard_ = systemClipboard_.get();
}

OutputCommands::~OutputCommands() = default;

void OutputCommands::UsePrinters(PrinterSource* printers) {
    printers_ = printers ? printers : systemPrinters_.get();
}

void OutputCommands::UseClipboard(ClipboardSink* clipboard) {
    clipboard_ = clipboard ? clipboard : systemClipboard_.get();
}

void OutputCommands::Run(OutputKind kind, QWidget* target, ChartPaper paper) {
    const CommandResult result = Dispatch(kind, target, paper);
    if (!result.ok && stop_) stop_(MessageText(result));
}

CommandResult OutputCommands::Dispatch(OutputKind kind, QWidget* target, ChartPaper paper) {
    auto* chart = qobject_cast<QCustomPlot*>(target);
    switch (kind) {
        case OutputKind::CopyTableText:
            if (auto* grid = qobject_cast<StringGrid*>(target))
                return CopyTableText(grid->Table(), *clipboard_);
            break;
        case OutputKind::CopyChartBitmap:
            if (chart) return CopyChartBitmap(*chart, *clipboard_);
            break;
        case OutputKind::CopyChartVector:
            if (chart) return CopyChartVector(*chart, *clipboard_);
            break;
        case OutputKind::PrintChart:
            if (chart) return PrintChart(*chart, paper, *printers_);
            break;
        case OutputKind::PrintWindow:
            if (target) return PrintWindowImage(*target, *printers_);
            break;
        case OutputKind::PrintDescription:
            if (auto* edit = qobject_cast<QTextEdit*>(target))
                return PrintDescription(*edit->document(), *printers_);
            break;
    }
    // The wiring names a control of the wrong type: a programming error,
    // caught by the tests of the wiring.
    Q_ASSERT_X(false, "OutputCommands::Run", "control does not fit the command");
    return CommandResult::Success();
}

}  // namespace kelvarn
