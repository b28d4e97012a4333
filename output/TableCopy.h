#pragma once

#include "files/CommandResult.h"

namespace kelvarn {

class ClipboardSink;
class TableText;

// "Kopieren als Text": the table's own text (TableText::CopyText) goes to
// the clipboard as plain text. Every cell is followed by a tab and every
// line, the last one included, ends with CR LF.
CommandResult CopyTableText(const TableText& table, ClipboardSink& clipboard);

}  // namespace kelvarn
