#include "widgets/StringGrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace kelvarn {

void StringGridModel::SetTable(TableText table) {
    beginResetModel();
    table_ = std::move(table);
    endResetModel();
}

int StringGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.Rows();
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : table_.Cols();
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return table_.Cell(index.column(), index.row());
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

StringGrid::StringGrid(const QString& objectName, QWidget* parent) : QTableView(parent) {
    setObjectName(objectName);
    setModel(&model_);
    horizontalHeader()->setVisible(false);
    verticalHeader()->setVisible(false);
    // Uniform sizes: the view never measures 6000 rows of text.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(kMinColumnWidth);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    // Tab leaves the table for the next control (a table of 6000 rows would
    // otherwise take the keyboard cell by cell); the arrow keys move inside.
    setTabKeyNavigation(false);
    SetTable(TableText(2, 2));
}

void StringGrid::SetTable(TableText table) {
    model_.SetTable(std::move(table));
    FitColumns();
}

// Every column as wide as its widest text, so no value is cut ("110,0..."),
// and the grid asks its splitter for room for all of them. Only the longest
// texts of a column are measured: a table of 6000 rows stays quick to set.
void StringGrid::FitColumns() {
    const TableText& t = model_.Table();
    const QFontMetrics fm(font());
    const int pad = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
    int total = 0;
    for (int c = 0; c < t.Cols(); ++c) {
        qsizetype longest = 0;
        for (int r = 0; r < t.Rows(); ++r) longest = std::max(longest, t.Cell(c, r).size());
        int widest = 0;
        int measured = 0;
        for (int r = 0; r < t.Rows() && measured < 64; ++r) {
            const QString& text = t.Cell(c, r);
            if (text.size() + 1 < longest) continue;
            widest = std::max(widest, fm.horizontalAdvance(text));
            ++measured;
        }
        const int width = std::max(kMinColumnWidth, widest + pad);
        setColumnWidth(c, width);
        total += width;
    }
    const int chrome = 2 * frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // Wide tables (twelve measurements side by side) scroll instead of
    // pushing the chart out of the window.
    setMinimumWidth(std::min(total + chrome, kMaxRoomWidth));
}

}  // namespace kelvarn
