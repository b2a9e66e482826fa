#pragma once

#include <QString>

// What the feedback service answered to an accepted note.
struct QuorFeedbackReceipt {
    QString referenceCode;
    int attachmentsCount = 0;
    QString message;

    bool operator==(const QuorFeedbackReceipt& other) const = default;
};
