#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <optional>
#include <stdexcept>

namespace quor::test_detail {
// Wraps the awaited task so its result (or error) is captured for the waiting caller.
template <typename T>
QCoro::Task<> capture(QCoro::Task<T> task, std::optional<T>& result, std::exception_ptr& error, bool& done)
{
    try {
        result.emplace(co_await std::move(task));
    } catch (...) {
        error = std::current_exception();
    }
    done = true;
}

QCoro::Task<> captureVoid(QCoro::Task<> task, std::exception_ptr& error, bool& done);
void spinUntil(const bool& done, std::chrono::milliseconds timeout);
} // namespace quor::test_detail

template <typename T>
T quorAwait(QCoro::Task<T>&& task, std::chrono::milliseconds timeout)
{
    std::optional<T> result;
    std::exception_ptr error;
    bool done = false;
    auto wrapper = quor::test_detail::capture<T>(std::move(task), result, error, done);
    quor::test_detail::spinUntil(done, timeout);
    if (error) {
        std::rethrow_exception(error);
    }
    return std::move(*result);
}
