#pragma once

#include "QuorZubCore/Models/ZubTextStats.h"

#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

// The playground's live figures of its text: the detected language and the word and character
// counts. A text of ordinary length is measured at once, on every keystroke. Counting the words of
// megabytes takes far longer than a keystroke may, so a long text is measured on a worker thread
// while the figures at hand stay up, and measured() announces the new ones. One text is measured
// at a time: the texts typed meanwhile give way to the newest. A long text is measured from a copy
// of its own, refilled in place: holding the caller's text would make the next key in it copy
// megabytes into fresh memory.
class ZubPlaygroundFigures : public QObject {
    Q_OBJECT
public:
    // Longer texts (in code units) are measured on the worker.
    static constexpr qsizetype immediateLimit = 32 * 1024;

    struct Figures {
        std::optional<QString> languageCode;
        ZubTextStats stats;
        bool operator==(const Figures& other) const = default;
    };

    using QObject::QObject;

    static Figures measure(const QString& text);

    // The figures of `text`; for a long text not yet measured, the latest at hand (of an earlier
    // text, or none) while it is being measured.
    std::optional<Figures> figures(const QString& text);
    bool isMeasuring() const { return m_measuring; }

signals:
    void measured();

private:
    static QCoro::Task<> measureOnWorker(QPointer<ZubPlaygroundFigures> self, QFuture<Figures> measuring);
    void startMeasuring(const QString& text);

    // The text the figures at hand belong to: the last short one, or the long copy.
    QString m_shortText;
    QString m_longText;
    bool m_ofLongText = false;
    std::optional<Figures> m_figures;
    bool m_measuring = false;
};
