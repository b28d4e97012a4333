#include <QtGlobal>
#include <algorithm>
#include <vector>

#include "files/Rtf.h"

namespace kelvarn {

namespace {

void AppendEscapedText(QByteArray& out, const QString& text) {
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == QChar::LineSeparator) {
            out += "\\line ";
        } else if (u < 0x20) {
            // Other control characters have no place in a paragraph.
        } else if (u < 0x80) {
            out += char(u);
        } else {
            // Signed 16-bit, so code units above 32767 go out negative.
            out += "\\u" + QByteArray::number(int(int16_t(u))) + '?';
        }
    }
}

}  // namespace

QByteArray WriteRtf(const RichText& text) {
    // Colour table: entry 0 is the default colour, then each colour in the
    // order it is first used.
    std::vector<int> colors;
    for (const RichParagraph& p : text.paragraphs)
        for (const RichRun& r : p.runs)
            if (r.color >= 0 && std::find(colors.begin(), colors.end(), r.color) == colors.end())
                colors.push_back(r.color);

    QByteArray out =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1031"
        "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n";
    if (!colors.empty()) {
        out += "{\\colortbl ;";
        for (int c : colors) {
            out += "\\red" + QByteArray::number((c >> 16) & 0xFF) + "\\green" +
                   QByteArray::number((c >> 8) & 0xFF) + "\\blue" + QByteArray::number(c & 0xFF) +
                   ';';
        }
        out += "}\r\n";
    }
    out += "\\viewkind4\\uc1\\pard\\f0 ";

    for (const RichParagraph& p : text.paragraphs) {
        for (const RichRun& r : p.runs) {
            if (r.text.isEmpty()) continue;
            QByteArray format;
            if (r.bold) format += "\\b";
            if (r.italic) format += "\\i";
            if (r.underline) format += "\\ul";
            if (r.pointSize > 0) format += "\\fs" + QByteArray::number(qRound(r.pointSize * 2));
            if (r.color >= 0) {
                const auto index =
                    std::find(colors.begin(), colors.end(), r.color) - colors.begin();
                format += "\\cf" + QByteArray::number(qsizetype(index) + 1);
            }
            if (format.isEmpty()) {
                AppendEscapedText(out, r.text);
            } else {
                out += '{' + format + ' ';
                AppendEscapedText(out, r.text);
                out += '}';
            }
        }
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

}  // namespace kelvarn
