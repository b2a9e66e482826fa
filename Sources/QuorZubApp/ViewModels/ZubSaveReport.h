#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <utility>

// What the user hears of the saves of one file that a worker writes: a confirmation waits until the
// file holds the change it confirms, and every write that fails is told, so a change made while the
// folder stays unwritable is never only logged. The worker writes a burst of changes once and
// tries again only when something changes, so this is one message per failed change (or burst),
// never one at every tick of a timer.
class ZubSaveReport {
public:
    struct Message {
        QString text;
        bool isError = false;
    };

    // `confirmation` is told once write `number`, or a later one, has succeeded.
    void confirmWhenWritten(quint64 number, QString confirmation);
    // Write `number` (which holds every change handed over before it) ended: what to tell, if
    // anything. `failure` gives the failure's message.
    std::optional<Message> written(quint64 number, bool ok, const std::function<QString()>& failure);

private:
    std::optional<std::pair<quint64, QString>> m_pendingConfirmation;
};
