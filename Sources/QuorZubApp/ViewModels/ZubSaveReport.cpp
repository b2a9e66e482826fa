#include "QuorZubApp/ViewModels/ZubSaveReport.h"

void ZubSaveReport::confirmWhenWritten(quint64 number, QString confirmation)
{
    m_pendingConfirmation = std::pair{number, std::move(confirmation)};
}

std::optional<ZubSaveReport::Message> ZubSaveReport::written(quint64 number, bool ok,
                                                            const std::function<QString()>& failure)
{
    std::optional<QString> confirmation;
    if (m_pendingConfirmation && m_pendingConfirmation->first <= number) {
        confirmation = std::move(m_pendingConfirmation->second);
        m_pendingConfirmation.reset();
    }
    if (ok) {
        if (confirmation) {
            return Message{std::move(*confirmation), false};
        }
        return std::nullopt;
    }
    // A confirmation that waited for this write is dropped: the change it confirms is not saved.
    return Message{failure(), true};
}
