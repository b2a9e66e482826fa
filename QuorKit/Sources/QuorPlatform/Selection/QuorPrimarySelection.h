#pragma once

#include <QByteArray>
#include <QFuture>
#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

#include <chrono>
#include <memory>
#include <optional>

class QSocketNotifier;
class QTimer;
template <typename T>
class QPromise;

namespace quor::platform {

class X11Connection;

// The text the user selected last, read from the PRIMARY selection, and whether it is current.
//
// X keeps PRIMARY with the last client that claimed it, long after its selection was cleared or
// the user moved on: a click on the desktop would otherwise "select" the old text again. So a
// private connection follows XFixes ownership notices and XInput2 raw button presses in the
// server's own order; PRIMARY counts only when its owner claimed it (or claimed it again) after
// the latest press. Everything runs on the owner's thread without blocking: replies arrive
// through a socket notifier.
class PrimarySelection : public QObject {
    Q_OBJECT
public:
    explicit PrimarySelection(QObject* parent = nullptr);
    ~PrimarySelection() override;

    // False without a display that has XFIXES and XInput 2.
    bool start();
    bool isRunning() const { return m_connection != nullptr; }

    // PRIMARY as text when it is fresh and owned by another process. Nothing for a stale, unowned
    // or empty selection, one this process owns, an owner that offers no text, or one that does
    // not answer within `timeout`. Concurrent callers share one transfer.
    QCoro::Task<std::optional<QString>> readFreshText(std::chrono::milliseconds timeout = std::chrono::milliseconds(500));

private:
    enum class Target { utf8, latin1 };

    void drainEvents();
    void handleEvent(void* event);
    void beginTransfer(std::chrono::milliseconds timeout);
    void requestConversion(Target target);
    void handleSelectionNotify(unsigned long property);
    void handleIncrementalChunk();
    void finishTransfer(std::optional<QString> text);
    QString decode(const QByteArray& bytes) const;

    std::unique_ptr<X11Connection> m_connection;
    unsigned long m_window = 0;
    int m_xfixesEventBase = 0;
    int m_xiOpcode = 0;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_timeout = nullptr;

    bool m_pressSeen = false;
    bool m_claimedSincePress = false;

    std::shared_ptr<QPromise<std::optional<QString>>> m_promise;
    QFuture<std::optional<QString>> m_future;
    Target m_target = Target::utf8;
    bool m_incremental = false;
    QByteArray m_buffer;
};

} // namespace quor::platform
