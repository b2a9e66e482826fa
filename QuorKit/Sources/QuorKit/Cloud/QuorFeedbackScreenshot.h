#pragma once

#include <QByteArray>
#include <QString>
#include <QUuid>

// One picture attached to a feedback note: its bytes travel unchanged under its file name and media
// type.
struct QuorFeedbackScreenshot {
    QUuid id;
    QString filename;
    QString mimeType;
    QByteArray data;

    // The size of the data for people: "845.2 KB".
    QString formattedSize() const;

    bool operator==(const QuorFeedbackScreenshot& other) const = default;
};
