#pragma once

#include <QObject>
#include <QPointer>

#include <QCoro/QCoroTask>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <utility>

namespace quor::detail {
class CancellationState : public QObject {
    Q_OBJECT
public:
    std::atomic<bool> cancelled{false};
signals:
    void cancelRequested();
};

// A public signal to co_await on: Qt's own signals carry a QPrivateSignal tag that QCoro's signal
// awaiter binds through a null reference, which the undefined-behaviour sanitizer rejects.
//
// QCoro's awaiter resumes its coroutine through a queued connection, and a second emission before
// the first is delivered would call that awaiter again after the coroutine has let it go (a use
// after free). So the fires before an emission are gathered into one, made from the event loop,
// and the next emission comes only after that one has been delivered. A fire may thereby also wake
// a waiter that began waiting just after it: every waiter checks again what it waits for. Used on
// its own thread.
class SignalRelay : public QObject {
    Q_OBJECT
public:
    void fire()
    {
        if (std::exchange(m_posted, true)) {
            return;
        }
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_posted = false;
                emit fired();
            },
            Qt::QueuedConnection);
    }
signals:
    void fired();

private:
    bool m_posted = false;
};
} // namespace quor::detail

// A shared flag that work checks and waits on. Copies share one state: cancelling any copy cancels
// them all. cancel() may be called from any thread; callbacks run on the thread of their context.
class QuorCancellationToken {
public:
    QuorCancellationToken();

    void cancel() const;
    bool isCancelled() const;
    // Throws QuorCancelledError when cancelled.
    void throwIfCancelled() const;

    // Runs `callback` (in `context`'s thread) when the token is cancelled; at once (queued) when it
    // already is. The connection ends with `context`.
    QMetaObject::Connection onCancel(QObject* context, std::function<void()> callback) const;

    // The object whose cancelRequested() signal fires on cancel(), for QCoro waits.
    QObject* notifier() const;

    bool operator==(const QuorCancellationToken& other) const { return m_state == other.m_state; }

private:
    std::shared_ptr<quor::detail::CancellationState> m_state;
};

// Sleeps for `duration` without blocking the thread's event loop. Throws QuorCancelledError when the
// token is cancelled before or during the wait.
QCoro::Task<> quorSleep(std::chrono::milliseconds duration, QuorCancellationToken token = {});

// A started coroutine together with the token that cancels it: the C++ form of a stored Task.
// Replacing or destroying it cancels the previous work.
class QuorTask {
public:
    QuorTask() = default;
    QuorTask(const QuorTask&) = delete;
    QuorTask& operator=(const QuorTask&) = delete;
    QuorTask(QuorTask&&) = default;
    QuorTask& operator=(QuorTask&& other) noexcept;
    ~QuorTask();

    // Cancels whatever ran before and starts `body` with a fresh token.
    void start(std::function<QCoro::Task<>(QuorCancellationToken)> body);
    void cancel();
    bool isRunning() const;
    QuorCancellationToken token() const { return m_token; }

private:
    QuorCancellationToken m_token;
    std::shared_ptr<std::atomic<bool>> m_running;
};
