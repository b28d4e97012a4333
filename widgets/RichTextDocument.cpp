#include "widgets/RichTextDocument.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextFragment>

namespace kelvarn {

namespace {

RichRun RunFromFormat(const QString& text, const QTextCharFormat& f) {
    RichRun run;
    run.text = text;
    run.bold = f.fontWeight() >= QFont::Bold;
    run.italic = f.fontItalic();
    run.underline = f.fontUnderline();
    if (f.hasProperty(QTextFormat::FontPointSize)) run.pointSize = f.fontPointSize();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
        run.color = int(f.foreground().color().rgb() & 0xFFFFFF);
    return run;
}

QTextCharFormat FormatFromRun(const RichRun& run) {
    QTextCharFormat f;
    if (run.bold) f.setFontWeight(QFont::Bold);
    if (run.italic) f.setFontItalic(true);
    if (run.underline) f.setFontUnderline(true);
    if (run.pointSize > 0) f.setFontPointSize(run.pointSize);
    if (run.color >= 0) f.setForeground(QColor::fromRgb(QRgb(0xFF000000u | unsigned(run.color))));
    return f;
}

}  // namespace

RichText FromDocument(const QTextDocument& doc) {
    RichText text;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        RichParagraph p;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid()) continue;
            QString s = frag.text();
            // Images and other embedded objects have no text to keep.
            s.remove(QChar::ObjectReplacementCharacter);
            p.Append(RunFromFormat(s, frag.charFormat()));
        }
        text.paragraphs.push_back(std::move(p));
    }
    return text;
}

void ToDocument(const RichText& text, QTextDocument& doc) {
    doc.clear();
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    for (size_t i = 0; i < text.paragraphs.size(); ++i) {
        if (i > 0) cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        for (const RichRun& run : text.paragraphs[i].runs)
            cursor.insertText(run.text, FormatFromRun(run));
    }
    cursor.endEditBlock();
}

}  // namespace kelvarn
