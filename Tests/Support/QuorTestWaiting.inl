#pragma once

#include <QElapsedTimer>

namespace quor::test_detail {
// One short turn of the event loop, then a moment's rest.
void spinOnce();
} // namespace quor::test_detail

template <typename T>
std::optional<T> quorWaitForSteady(const std::function<std::optional<T>()>& value, std::chrono::milliseconds quiet,
                                   std::chrono::milliseconds timeout)
{
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer unchanged;
    std::optional<T> last;
    while (clock.elapsed() <= timeout.count()) {
        std::optional<T> now = value();
        if (!now || !last || *now != *last) {
            last = std::move(now);
            unchanged.start();
        } else if (unchanged.elapsed() >= quiet.count()) {
            return last;
        }
        quor::test_detail::spinOnce();
    }
    return std::nullopt;
}
