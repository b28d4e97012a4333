#pragma once

#include <QAbstractTableModel>
#include <QTableView>

#include "eval/ViewData.h"

namespace kelvarn {

// Serves a TableText to a view without an object per cell, so a table of
// 6000 rows is set in one step.
class StringGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetTable(TableText table);
    const TableText& Table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    TableText table_;
};

// A string grid of the window: no fixed rows or columns, row 0 holds the
// headings as ordinary cells.
class StringGrid : public QTableView {
    Q_OBJECT
public:
    explicit StringGrid(const QString& objectName, QWidget* parent = nullptr);

    void SetTable(TableText table);
    const TableText& Table() const { return model_.Table(); }
    int RowCount() const { return model_.Table().Rows(); }
    int ColCount() const { return model_.Table().Cols(); }
    QString Cell(int col, int row) const { return model_.Table().Cell(col, row); }

    // Narrowest column, also the width of an empty table's columns.
    static constexpr int kMinColumnWidth = 56;
    // Most room a grid claims beside its chart for showing all its columns.
    static constexpr int kMaxRoomWidth = 320;

private:
    void FitColumns();

    StringGridModel model_;
};

}  // namespace kelvarn
