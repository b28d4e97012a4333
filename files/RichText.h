#pragma once

#include <QString>
#include <vector>

namespace kelvarn {

// A run of text with one set of character attributes. A line break inside a
// paragraph is kept as QChar::LineSeparator (U+2028), as QTextDocument does.
struct RichRun {
    QString text;
    bool bold = false, italic = false, underline = false;
    double pointSize = 0;  // [pt], 0 = the field's default size
    int color = -1;        // 0xRRGGBB, -1 = the default colour

    bool SameFormat(const RichRun& o) const {
        return bold == o.bold && italic == o.italic && underline == o.underline &&
               pointSize == o.pointSize && color == o.color;
    }
    bool operator==(const RichRun&) const = default;
};

struct RichParagraph {
    std::vector<RichRun> runs;

    QString Text() const;
    // Appends a run, joining it to the last one when the format is the same;
    // empty runs are dropped.
    void Append(const RichRun& run);
    bool operator==(const RichParagraph&) const = default;
};

// The description field's content: paragraphs of formatted runs.
struct RichText {
    std::vector<RichParagraph> paragraphs;

    // Paragraphs joined by "\n"; line separators become "\n" as well.
    QString PlainText() const;
    // One paragraph per line ("\n", "\r\n" or "\r"); the inverse of PlainText
    // for text without line separators.
    static RichText FromPlainText(const QString& text);
    bool operator==(const RichText&) const = default;
};

}  // namespace kelvarn
