#pragma once

// The one reader of numbers a user types, in every field of the window and in every option of
// kelvarn-cli, so that the same text is the same number everywhere.
//
// A number is an optional sign, digits and at most one decimal mark, a comma or a point: "94",
// "-3", "93,8", "93.8", ",5". There are no thousands separators, so "1.000" and "1,000" are
// both one, and a text with two marks ("1.234,5", "1.000.000") is refused rather than guessed
// at. Blanks around the number are ignored; exponents, "nan" and "inf" are refused.

#include <QString>
#include <optional>

namespace kelvarn {

struct TypedNumber {
    std::optional<double> value;  // nullopt for an empty text, and when refused
    // Why the text is no number, naming the field: 'Te: "1.234,5" ist keine Zahl (...)';
    // empty when read or empty.
    QString problem;

    bool Ok() const { return problem.isEmpty(); }
};

// Reads text as a number for the field named field ("von", "--before-db", "Te").
TypedNumber ReadTypedNumber(const QString& text, const QString& field);

// The same where the field must not be empty: an empty text is a problem too.
TypedNumber ReadRequiredNumber(const QString& text, const QString& field);

}  // namespace kelvarn
