#include "QuorKit/Utilities/QuorBidiIsolation.h"

namespace {
constexpr char16_t leftToRightIsolate = 0x2066;
constexpr char16_t rightToLeftIsolate = 0x2067;
constexpr char16_t firstStrongIsolate = 0x2068;
constexpr char16_t popDirectionalIsolate = 0x2069;
} // namespace

QString QuorBidiIsolation::isolated(const QString& text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted.append(QChar(firstStrongIsolate));
    qsizetype open = 0;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == leftToRightIsolate || unit == rightToLeftIsolate || unit == firstStrongIsolate) {
            ++open;
        } else if (unit == popDirectionalIsolate) {
            if (open == 0) {
                continue;
            }
            --open;
        } else if (unit == u'\n' || unit == u'\r' || unit == 0x2029 || unit == 0x85 || unit == 0x1C || unit == 0x1D ||
                   unit == 0x1E) {
            // A paragraph ends every isolate: the next one starts with none open.
            open = 0;
        }
        quoted.append(c);
    }
    quoted.append(QString(open, QChar(popDirectionalIsolate)));
    quoted.append(QChar(popDirectionalIsolate));
    return quoted;
}
