#include "files/RichText.h"

#include <QStringList>

namespace kelvarn {

QString RichParagraph::Text() const {
    QString s;
    for (const RichRun& r : runs) s += r.text;
    return s;
}

void RichParagraph::Append(const RichRun& run) {
    if (run.text.isEmpty()) return;
    if (!runs.empty() && runs.back().SameFormat(run)) {
        runs.back().text += run.text;
        return;
    }
    runs.push_back(run);
}

QString RichText::PlainText() const {
    QString s;
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        if (i > 0) s += QLatin1Char('\n');
        s += paragraphs[i].Text();
    }
    s.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
    return s;
}

RichText RichText::FromPlainText(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    RichText result;
    for (const QString& line : t.split(QLatin1Char('\n'))) {
        RichParagraph p;
        p.Append(RichRun{line});
        result.paragraphs.push_back(std::move(p));
    }
    return result;
}

}  // namespace kelvarn
