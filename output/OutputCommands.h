#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "output/OutputKind.h"

class QWidget;

namespace kelvarn {

class ClipboardSink;
class PrinterSource;
struct CommandResult;

// Runs the copy and print commands of the window's context menus: one piece
// of code per kind, given the control it works on. A failure ends the
// command and is shown through stop (in a stop-sign box, with its full stop).
class OutputCommands : public QObject {
    Q_OBJECT
public:
    using StopBox = std::function<void(const QString& text)>;

    explicit OutputCommands(StopBox stop, QObject* parent = nullptr);
    ~OutputCommands() override;

    // target: the grid, chart, description field or window of the entry.
    void Run(OutputKind kind, QWidget* target, ChartPaper paper = ChartPaper::OwnShape);

    // Other printers and clipboards than the desktop's (tests); nullptr
    // goes back to the desktop's. Not owned.
    void UsePrinters(PrinterSource* printers);
    void UseClipboard(ClipboardSink* clipboard);

private:
    CommandResult Dispatch(OutputKind kind, QWidget* target, ChartPaper paper);

    StopBox stop_;
    std::unique_ptr<PrinterSource> systemPrinters_;
    std::unique_ptr<ClipboardSink> systemClipboard_;
    PrinterSource* printers_ = nullptr;
    ClipboardSink* clipboard_ = nullptr;
};

}  // namespace kelvarn
