#include "output/TableCopy.h"

#include <QMimeData>
#include <memory>

#include "eval/ViewData.h"
#include "output/ClipboardSink.h"

namespace kelvarn {

OutputResult CopyTableText(const TableText& table, ClipboardSink& clipboard) {
    auto data = std::make_unique<QMimeData>();
    data->setText(table.CopyText());
    if (!clipboard.Put(std::move(data))) return OutputResult::Failure(kClipboardBusy);
    return OutputResult::Success();
}

}  // namespace kelvarn
