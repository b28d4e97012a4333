#pragma once

#include <QChar>
#include <QString>
#include <vector>

namespace kelvarn {

// The text content of one string grid: cols x rows cells, addressed as
// (column, row). Row 0 is an ordinary row that holds the headings.
class TableText {
public:
    TableText() = default;
    TableText(int cols, int rows) { SetSize(cols, rows); }

    int Cols() const { return cols_; }
    int Rows() const { return rows_; }
    // Resizes, keeping the cells that stay inside; new cells are empty.
    void SetSize(int cols, int rows);
    void ClearCells();
    const QString& Cell(int col, int row) const;          // empty outside the grid
    void SetCell(int col, int row, const QString& text);  // ignored outside

    // Every cell followed by a tab, every line ended by CR LF. A table set to plain copy
    // gives its cells without their padding blanks and only between them a tab, for a table
    // whose text goes on into a spreadsheet or a letter.
    QString CopyText() const;
    void SetPlainCopy(bool plain) { plainCopy_ = plain; }

    bool operator==(const TableText&) const = default;

private:
    int cols_ = 0;
    int rows_ = 0;
    bool plainCopy_ = false;
    std::vector<QString> cells_;  // row-major
};

// The points of one chart series, in the order they were added.
struct SeriesData {
    QString name;
    std::vector<double> x;
    std::vector<double> y;

    int Count() const { return static_cast<int>(x.size()); }
    bool Empty() const { return x.empty(); }
    void Clear() {
        x.clear();
        y.clear();
    }
    void Add(double px, double py) {
        x.push_back(px);
        y.push_back(py);
    }
    bool operator==(const SeriesData&) const = default;
};

// printf-style number texts with the decimal separator of the user's locale.
class NumberFormat {
public:
    explicit NumberFormat(QChar decimalPoint = QLatin1Char('.')) : decimal_(decimalPoint) {}
    // The separator of QLocale() (the default locale, from the environment).
    static NumberFormat FromLocale();

    QString Format(const char* printfFormat, double value) const;  // "%5.1f", "%5.3f", "%4.0f"
    QString Level(double v) const { return Format("%5.1f", v); }
    QString Time(double v) const { return Format("%5.3f", v); }
    QString Count(double v) const { return Format("%4.0f", v); }
    QChar DecimalPoint() const { return decimal_; }

private:
    QChar decimal_;
};

}  // namespace kelvarn
