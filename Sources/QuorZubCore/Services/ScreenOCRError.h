#pragma once

#include "QuorPlatform/Core/QuorError.h"

#include <QList>
#include <QtGlobal>

// Why a screen capture gave no text. `cancelled` is the user's choice, not a failure.
class ScreenOCRError : public QuorError {
public:
    enum class Kind { cancelled, imageLoadFailed, noTextRecognized };

    explicit ScreenOCRError(Kind kind);

    static QList<Kind> allCases();

    Kind kind() const { return m_kind; }
    // The description in the current interface language.
    QString errorDescription() const;

    bool operator==(const ScreenOCRError& other) const { return m_kind == other.m_kind; }

private:
    Kind m_kind;
};

inline size_t qHash(const ScreenOCRError& error, size_t seed = 0)
{
    return ::qHash(static_cast<int>(error.kind()), seed);
}
