#pragma once

#include <QList>
#include <QString>

// Finds web addresses written out with their scheme ("https://…", "http://…") in running text.
// An address ends at white space or at a character that cannot be part of one in prose (< > " and
// the like); closing punctuation after it (".", ",", ")" without its "(", …) is not part of it.
// Immutable; any thread.
class ZubLinkDetector {
public:
    struct Match {
        qsizetype start = 0;
        qsizetype length = 0;
        bool operator==(const Match& other) const = default;
    };

    static QList<Match> links(const QString& text);

    ZubLinkDetector() = delete;
};
