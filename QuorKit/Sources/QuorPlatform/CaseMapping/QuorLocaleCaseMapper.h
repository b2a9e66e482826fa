#pragma once

#include <QString>

namespace quor::platform {

// Full Unicode case mapping by a locale's rules (ICU), so Turkish "i" becomes "İ" and "I" becomes
// "ı". `localeName` is a POSIX or BCP 47 name such as "tr_TR" or "en-US"; an unknown name uses the
// language-neutral rules. Any thread.
class LocaleCaseMapper {
public:
    static QString uppercase(const QString& text, const QString& localeName);
    static QString lowercase(const QString& text, const QString& localeName);
    // Upper-cases the first letter of every word and lower-cases the rest; words are separated by
    // white space only, so "rock'n'roll" and "e-mail" are one word each.
    static QString titlecaseWords(const QString& text, const QString& localeName);

    LocaleCaseMapper() = delete;
};

} // namespace quor::platform
