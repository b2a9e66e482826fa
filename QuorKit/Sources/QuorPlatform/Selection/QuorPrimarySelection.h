#pragma once

#include "QuorPlatform/Selection/QuorSelectionTransfer.h"

#include <QFuture>
#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

class QSocketNotifier;

namespace quor::platform {

class X11Connection;

// The text the user selected last, read from the PRIMARY selection, and whether it is current.
//
// X keeps PRIMARY with the last client that claimed it, long after its selection was cleared or
// the user moved on: a click on the desktop would otherwise "select" the old text again. So a
// private connection follows XFixes ownership notices and XInput2 raw button presses in the
// server's own order; PRIMARY counts only when its owner claimed it (or claimed it again) after
// the latest press, or after start when no press was seen since: a selection made before this
// process watched is old. The text itself is transferred on a worker thread.
class PrimarySelection : public QObject {
    Q_OBJECT
public:
    // The largest selection worth reading as "selected text".
    static constexpr qsizetype maximumTextBytes = 16 * 1024 * 1024;

    explicit PrimarySelection(QObject* parent = nullptr);
    ~PrimarySelection() override;

    // False without a display that has XFIXES and XInput 2.
    bool start();
    bool isRunning() const { return m_connection != nullptr; }

    // PRIMARY as text when it is fresh and owned by another process. Nothing for a stale, unowned
    // or empty selection, one this process owns, an owner that offers no text, or one that does
    // not answer in time. Throws SelectionTooLargeError for a text beyond maximumTextBytes.
    // Concurrent callers share one transfer.
    QCoro::Task<std::optional<QString>> readFreshText();

private:
    void drainEvents();
    void handleEvent(void* event);
    bool isFresh();

    std::unique_ptr<X11Connection> m_connection;
    unsigned long m_window = 0;
    int m_xfixesEventBase = 0;
    int m_xiOpcode = 0;
    QSocketNotifier* m_notifier = nullptr;

    bool m_claimedSinceBaseline = false;
    std::optional<QFuture<SelectionTextRead>> m_transfer;
};

} // namespace quor::platform
