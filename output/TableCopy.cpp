#include "output/TableCopy.h"

#include <QMimeData>
#include <QPlainTextEdit>
#include <QTextCursor>

#include "eval/ViewData.h"
#include "output/ClipboardSink.h"

namespace kelvarn {

namespace {

QString RowLine(const TableText& table, int row) {
    QString line;
    for (int col = 0; col < table.Cols(); ++col) {
        line += table.Cell(col, row);
        line += QLatin1Char('\t');
    }
    return line;
}

}  // namespace

OutputResult CopyTableText(const TableText& table, QPlainTextEdit& memo, ClipboardSink& clipboard) {
    // The buffer is hidden and only carries the text: no undo history for
    // tables of thousands of rows.
    memo.setUndoRedoEnabled(false);
    memo.clear();
    QTextCursor cursor(memo.document());
    cursor.beginEditBlock();
    for (int row = 0; row < table.Rows(); ++row) {
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(RowLine(table, row) + QLatin1Char('\n'));
    }
    cursor.endEditBlock();

    memo.selectAll();
    // The buffer keeps its lines as paragraphs; on the clipboard each one
    // ends with CR LF, the last one included (the buffer ends with an empty
    // paragraph after it).
    QString text = memo.textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1String("\r\n"));

    auto data = std::make_unique<QMimeData>();
    data->setText(text);
    if (!clipboard.Put(std::move(data))) return OutputResult::Failure(kClipboardBusy);
    return OutputResult::Success();
}

}  // namespace kelvarn
