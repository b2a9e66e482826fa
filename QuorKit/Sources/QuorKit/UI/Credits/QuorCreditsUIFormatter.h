#pragma once

#include "QuorKit/Localization/QuorLanguage.h"

#include <QString>

#include <optional>

// How the credits and AI views write amounts, context windows and model sizes, and read budget caps.
namespace QuorCreditsUIFormatter {

// A credit amount in the language's number format, no unit: whole above 100 ("1,235"), up to one
// decimal near a whole number ("3", "100"), else one or two decimals ("7.25", "12,5"). Negative and
// non-finite amounts show 0.
QString formatCredits(double amount, QuorLanguage language);
// "cr" in English, "kr" in Turkish.
QString creditUnit(QuorLanguage language);
// An amount with its unit: "1,250 cr", "1.250 kr".
QString creditsWithUnit(double amount, QuorLanguage language);
// A dollar amount with two decimals in the language's number format, "$1,234.50" or "$1.234,50";
// negative and non-finite amounts show $0.00.
QString dollars(double amount, QuorLanguage language);

// "512 ctx", "1K ctx", "1.5M ctx", "2M ctx"; empty below one token.
QString formatContextWindow(qint64 tokens);
// "1.0 GB" from 2^30 bytes, else "1024 MB"; empty for nothing. Always a "." decimal mark.
QString formatBytes(qint64 bytes);

struct LimitInput {
    bool valid = false;
    std::optional<double> value; // none: no cap
    bool operator==(const LimitInput& other) const = default;
};
// A cap field's text: blank or zero is no cap; spaces are dropped and "," reads as "."; negative,
// unreadable and non-finite numbers are invalid.
LimitInput parseLimitInput(const QString& text);
// A stored cap as field text: empty for none, zero or less; a whole number without grouping when
// within 0.005 of one; else two decimals with ".".
QString editableNumberText(std::optional<double> value);

} // namespace QuorCreditsUIFormatter
