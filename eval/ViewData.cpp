#include "eval/ViewData.h"

#include <QLocale>
#include <clocale>
#include <cstdio>

namespace kelvarn {

void TableText::SetSize(int cols, int rows) {
    cols = std::max(cols, 0);
    rows = std::max(rows, 0);
    std::vector<QString> cells(size_t(cols) * size_t(rows));
    for (int r = 0; r < std::min(rows, rows_); ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c)
            cells[size_t(r) * cols + c] = std::move(cells_[size_t(r) * cols_ + c]);
    cells_ = std::move(cells);
    cols_ = cols;
    rows_ = rows;
}

void TableText::ClearCells() {
    for (QString& s : cells_) s.clear();
}

const QString& TableText::Cell(int col, int row) const {
    static const QString kEmpty;
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return kEmpty;
    return cells_[size_t(row) * cols_ + col];
}

void TableText::SetCell(int col, int row, const QString& text) {
    if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return;
    cells_[size_t(row) * cols_ + col] = text;
}

QString TableText::CopyText() const {
    QString out;
    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < cols_; ++c) {
            if (!plainCopy_) {
                out += Cell(c, r);
                out += QLatin1Char('\t');
                continue;
            }
            if (c > 0) out += QLatin1Char('\t');
            out += Cell(c, r).trimmed();
        }
        out += QLatin1String("\r\n");
    }
    return out;
}

NumberFormat NumberFormat::FromLocale() {
    const QString dp = QLocale().decimalPoint();
    return NumberFormat(dp.isEmpty() ? QLatin1Char('.') : dp.at(0));
}

QString NumberFormat::Format(const char* fmt, double value) const {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, value);
    QString s = QString::fromLatin1(buf);
    // QCoreApplication sets the C locale from the environment, so printf may
    // already have used a comma; put in the separator that was asked for.
    const char* cDecimal = std::localeconv()->decimal_point;
    const QChar used = (cDecimal && *cDecimal) ? QLatin1Char(*cDecimal) : QLatin1Char('.');
    if (used != decimal_) s.replace(used, decimal_);
    return s;
}

}  // namespace kelvarn
