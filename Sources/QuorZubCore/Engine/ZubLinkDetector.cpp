#include "QuorZubCore/Engine/ZubLinkDetector.h"

#include <QRegularExpression>

namespace {
bool isTrailingPunctuation(QChar c)
{
    static const QString punctuation = QStringLiteral(".,;:!?'\"…»”’");
    return punctuation.contains(c);
}

// Drops closing punctuation and closers whose opener is not inside the address, as in
// "(see https://example.com/a)".
qsizetype trimmedLength(QStringView link)
{
    static constexpr char16_t openers[] = {u'(', u'[', u'{'};
    static constexpr char16_t closers[] = {u')', u']', u'}'};
    qsizetype open[3] = {};
    qsizetype closed[3] = {};
    for (const QChar c : link) {
        for (int pair = 0; pair < 3; ++pair) {
            open[pair] += c == openers[pair] ? 1 : 0;
            closed[pair] += c == closers[pair] ? 1 : 0;
        }
    }
    qsizetype length = link.size();
    while (length > 0) {
        const QChar last = link[length - 1];
        if (isTrailingPunctuation(last)) {
            --length;
            continue;
        }
        bool unbalanced = false;
        for (int pair = 0; pair < 3; ++pair) {
            if (last == closers[pair] && closed[pair] > open[pair]) {
                --closed[pair];
                unbalanced = true;
            }
        }
        if (!unbalanced) {
            break;
        }
        --length;
    }
    return length;
}
} // namespace

QList<ZubLinkDetector::Match> ZubLinkDetector::links(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral(R"((?<![\p{L}\p{N}_+.-])https?://[^\s<>"`\x{00}-\x{1F}]+)"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::UseUnicodePropertiesOption);
    QList<Match> matches;
    auto iterator = pattern.globalMatch(text);
    while (iterator.hasNext()) {
        const auto match = iterator.next();
        const QStringView link = QStringView(text).sliced(match.capturedStart(), match.capturedLength());
        const qsizetype length = trimmedLength(link);
        // "https://" alone, or followed only by punctuation, is no address.
        if (length > link.indexOf(u"//") + 2) {
            matches.append(Match{match.capturedStart(), length});
        }
    }
    return matches;
}
