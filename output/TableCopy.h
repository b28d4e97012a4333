#pragma once

#include "output/OutputResult.h"

class QPlainTextEdit;

namespace kelvarn {

class ClipboardSink;
class TableText;

// "Kopieren als Text": the table passes through the hidden text buffer
// memo, one line per row, and the buffer's whole text goes to the
// clipboard as plain text. Every cell is followed by a tab and every line,
// the last one included, ends with CR LF. Whatever the buffer held before
// is gone.
OutputResult CopyTableText(const TableText& table, QPlainTextEdit& memo, ClipboardSink& clipboard);

}  // namespace kelvarn
