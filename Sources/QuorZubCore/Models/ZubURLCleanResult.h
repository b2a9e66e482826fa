#pragma once

#include <QString>
#include <QStringList>

// What the tracking-parameter cleaner did to a text.
struct ZubURLCleanResult {
    QString cleanedText;
    qint64 removedCount = 0;
    // Names of the removed parameters: later addresses first, each address's in query order.
    QStringList removedKeys;

    bool operator==(const ZubURLCleanResult& other) const = default;
};
