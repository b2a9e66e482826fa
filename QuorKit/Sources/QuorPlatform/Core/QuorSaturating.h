#pragma once

#include <QtGlobal>

#include <limits>

// 64-bit arithmetic on sizes that come from other processes or the kernel: beyond the range the
// result stops at its end instead of wrapping around.
namespace QuorSaturating {

inline qint64 add(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    }
    return sum;
}

template <typename... Rest>
qint64 add(qint64 a, qint64 b, Rest... rest)
{
    return add(add(a, b), rest...);
}

inline qint64 multiply(qint64 a, qint64 b)
{
    qint64 product = 0;
    if (__builtin_mul_overflow(a, b, &product)) {
        return (a < 0) != (b < 0) ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    }
    return product;
}

} // namespace QuorSaturating
