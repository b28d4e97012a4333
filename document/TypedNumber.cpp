#include "document/TypedNumber.h"

#include <cmath>

namespace kelvarn {

namespace {

QString Refused(const QString& field, const QString& text) {
    return QStringLiteral(
               "%1: \"%2\" ist keine Zahl (Dezimalkomma oder -punkt, ohne "
               "Tausendertrennzeichen)")
        .arg(field, text);
}

}  // namespace

TypedNumber ReadTypedNumber(const QString& text, const QString& field) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return {};
    qsizetype i = 0;
    if (t[0] == QLatin1Char('-') || t[0] == QLatin1Char('+')) ++i;
    int digits = 0, marks = 0;
    QString c = t.left(i);
    for (; i < t.size(); ++i) {
        const QChar ch = t[i];
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
            ++digits;
            c += ch;
        } else if (ch == QLatin1Char(',') || ch == QLatin1Char('.')) {
            ++marks;
            c += QLatin1Char('.');
        } else {
            return {std::nullopt, Refused(field, text)};
        }
    }
    if (digits == 0 || marks > 1) return {std::nullopt, Refused(field, text)};
    bool ok = false;
    const double v = c.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return {std::nullopt, Refused(field, text)};
    return {v, {}};
}

TypedNumber ReadRequiredNumber(const QString& text, const QString& field) {
    TypedNumber n = ReadTypedNumber(text, field);
    if (n.Ok() && !n.value) n.problem = QStringLiteral("%1: keine Zahl angegeben").arg(field);
    return n;
}

}  // namespace kelvarn
