#include "QuorKit/Vision/QuorOCRResult.h"

#include <QStringList>

QString QuorOCRResult::fullText() const
{
    QStringList texts;
    texts.reserve(lines.size());
    for (const QuorOCRLine& line : lines) {
        texts << line.text;
    }
    return texts.join(QLatin1Char('\n'));
}
