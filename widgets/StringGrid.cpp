#include "widgets/StringGrid.h"

#include <QHeaderView>

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
    horizontalHeader()->setDefaultSectionSize(56);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    SetTable(TableText(2, 2));
}

void StringGrid::SetTable(TableText table) { model_.SetTable(std::move(table)); }

}  // namespace kelvarn
