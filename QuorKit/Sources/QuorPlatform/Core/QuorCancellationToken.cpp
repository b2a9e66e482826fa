#include "QuorPlatform/Core/QuorCancellationToken.h"

#include "QuorPlatform/Core/QuorError.h"

#include <QTimer>

#include <QCoro/QCoroSignal>

QuorCancellationToken::QuorCancellationToken()
    : m_state(std::make_shared<quor::detail::CancellationState>())
{
}

void QuorCancellationToken::cancel() const
{
    if (m_state && !m_state->cancelled.exchange(true)) {
        emit m_state->cancelRequested();
    }
}

bool QuorCancellationToken::isCancelled() const
{
    return m_state && m_state->cancelled.load();
}

void QuorCancellationToken::throwIfCancelled() const
{
    if (isCancelled()) {
        throw QuorCancelledError();
    }
}

QMetaObject::Connection QuorCancellationToken::onCancel(QObject* context, std::function<void()> callback) const
{
    if (!m_state || isCancelled()) {
        QMetaObject::invokeMethod(context, [callback] { callback(); }, Qt::QueuedConnection);
        return {};
    }
    return QObject::connect(m_state.get(), &quor::detail::CancellationState::cancelRequested, context,
                            [callback] { callback(); });
}

QObject* QuorCancellationToken::notifier() const
{
    return m_state.get();
}

QCoro::Task<> quorSleep(std::chrono::milliseconds duration, QuorCancellationToken token)
{
    token.throwIfCancelled();
    if (duration.count() > 0) {
        quor::detail::SignalRelay relay;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        // QCoro's signal awaiter must see one emission only: a second one before the coroutine
        // resumes would resume it twice.
        bool fired = false;
        const auto fireOnce = [&relay, &timer, &fired] {
            if (!fired) {
                fired = true;
                timer.stop();
                relay.fire();
            }
        };
        QObject::connect(&timer, &QTimer::timeout, &relay, fireOnce);
        token.onCancel(&relay, fireOnce);
        timer.start(duration);
        co_await qCoro(&relay, &quor::detail::SignalRelay::fired);
    }
    token.throwIfCancelled();
}

QuorTask& QuorTask::operator=(QuorTask&& other) noexcept
{
    if (this != &other) {
        cancel();
        m_token = std::move(other.m_token);
        m_running = std::move(other.m_running);
    }
    return *this;
}

QuorTask::~QuorTask()
{
    cancel();
}

void QuorTask::start(std::function<QCoro::Task<>(QuorCancellationToken)> body)
{
    cancel();
    m_token = QuorCancellationToken();
    auto running = std::make_shared<std::atomic<bool>>(true);
    m_running = running;
    auto runner = [](std::function<QCoro::Task<>(QuorCancellationToken)> work, QuorCancellationToken token,
                     std::shared_ptr<std::atomic<bool>> flag) -> QCoro::Task<> {
        try {
            co_await work(token);
        } catch (const QuorCancelledError&) {
            // Cancellation is the normal end of replaced work.
        } catch (const std::exception& error) {
            qWarning("QuorTask: work ended with an uncaught error: %s", error.what());
        }
        flag->store(false);
    };
    runner(std::move(body), m_token, running);
}

void QuorTask::cancel()
{
    m_token.cancel();
}

bool QuorTask::isRunning() const
{
    return m_running && m_running->load();
}
