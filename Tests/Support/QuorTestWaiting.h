#pragma once

#include <QtGlobal>

#include <chrono>
#include <functional>
#include <optional>

// Waiting for what the program does, on any machine. A busy machine (parallel builds, sanitizers,
// other test runs) can hold any process up for seconds, so waits are for states, with generous
// deadlines: a wait ends as soon as its state holds, and a long deadline only lengthens a run
// that fails anyway.

// How long a test waits for a state the program reaches by itself.
inline constexpr std::chrono::milliseconds quorPatience = std::chrono::seconds(20);
inline constexpr int quorPatienceMs = static_cast<int>(quorPatience.count());

// QTRY_VERIFY and QTRY_COMPARE with quorPatience.
#define QUOR_TRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, quorPatienceMs)
#define QUOR_TRY_VERIFY2(expr, message) QTRY_VERIFY2_WITH_TIMEOUT(expr, message, quorPatienceMs)
#define QUOR_TRY_COMPARE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT(expr, expected, quorPatienceMs)

// Runs the event loop until `condition` holds (true) or `timeout` has passed (false).
bool quorWaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = quorPatience);

// Runs the event loop until `value()` gives a value and then the same one for `quiet`: for a
// window that appears and may still grow or move once more. Nothing when it never settled.
template <typename T>
std::optional<T> quorWaitForSteady(const std::function<std::optional<T>()>& value,
                                   std::chrono::milliseconds quiet = std::chrono::milliseconds(300),
                                   std::chrono::milliseconds timeout = quorPatience);

// Does `act`, then waits up to `each` for `done`; again, up to `attempts` times in all. For a
// synthetic click a busy desktop may lose, where a person would click again; never for an action
// that must not happen twice. True once `done` holds.
bool quorRetryUntil(const std::function<void()>& act, const std::function<bool()>& done, int attempts = 3,
                    std::chrono::milliseconds each = std::chrono::seconds(5));

// Nanoseconds the calling thread has spent ready to run but waiting for a CPU (0 where the kernel
// does not say).
qint64 quorRunQueueWaitNs();

// A stopwatch of how long the code held this thread: wall time less the time the thread waited for
// a CPU while others ran. Bounds on how long the program blocks its thread hold on a busy machine
// with it, where wall time would also count everything else the machine does.
class QuorHeldClock {
public:
    QuorHeldClock() { restart(); }
    void restart();
    qint64 elapsedMs() const;

private:
    qint64 m_wallStartNs = 0;
    qint64 m_waitStartNs = 0;
};

#include "Support/QuorTestWaiting.inl"
