#include "output/TableCopy.h"

#include <QMimeData>
#include <memory>

#include "eval/ViewData.h"
#include "output/ClipboardSink.h"

namespace kelvarn {

CommandResult CopyTableText(const TableText& table, ClipboardSink& clipboard) {
    auto data = std::make_unique<QMimeData>();
    data->setText(table.CopyText());
    if (!clipboard.Put(std::move(data))) return CommandResult::Failure(kClipboardBusy);
    return CommandResult::Success();
}

}  // namespace kelvarn
