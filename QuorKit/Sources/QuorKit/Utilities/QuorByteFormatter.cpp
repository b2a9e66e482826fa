#include "QuorKit/Utilities/QuorByteFormatter.h"

#include <cmath>
#include <limits>

namespace {
constexpr double kilo = 1e3;
constexpr double mega = 1e6;
constexpr double giga = 1e9;
constexpr double tera = 1e12;

// Rounds halves away from zero into 64 bits; NaN gives 0, values beyond the range saturate.
qint64 roundedToInt64(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = std::round(value);
    // 2^63 is exactly representable; every double below it converts without overflow.
    constexpr double limit = 9223372036854775808.0;
    if (rounded >= limit) {
        return std::numeric_limits<qint64>::max();
    }
    if (rounded < -limit) {
        return std::numeric_limits<qint64>::min();
    }
    return static_cast<qint64>(rounded);
}
} // namespace

namespace QuorByteFormatter {

QString format(qint64 bytes)
{
    const qint64 n = std::max<qint64>(bytes, 0);
    const auto value = static_cast<double>(n);
    if (n < 1'000) {
        return QString::number(n) + QStringLiteral(" B");
    }
    if (n < 1'000'000) {
        return QString::asprintf("%.1f KB", value / kilo);
    }
    if (n < 1'000'000'000) {
        return QString::asprintf("%.1f MB", value / mega);
    }
    if (n < 1'000'000'000'000) {
        return QString::asprintf("%.2f GB", value / giga);
    }
    return QString::asprintf("%.2f TB", value / tera);
}

QString formatRate(double bytesPerSecond)
{
    const double rate = (std::isnan(bytesPerSecond) || bytesPerSecond < 0) ? 0.0 : bytesPerSecond;
    if (rate < kilo) {
        return QString::number(roundedToInt64(rate)) + QStringLiteral(" B/s");
    }
    if (rate < mega) {
        return QString::asprintf("%.1f KB/s", rate / kilo);
    }
    if (rate < giga) {
        return QString::asprintf("%.1f MB/s", rate / mega);
    }
    return QString::asprintf("%.2f GB/s", rate / giga);
}

QString formatDuration(double seconds)
{
    const qint64 total = std::max<qint64>(roundedToInt64(seconds), 0);
    const qint64 hours = total / 3600;
    const int minutes = static_cast<int>((total % 3600) / 60);
    const int secs = static_cast<int>(total % 60);
    if (total < 3600) {
        return QString::asprintf("%02d:%02d", minutes, secs);
    }
    return QString::asprintf("%lld:%02d:%02d", static_cast<long long>(hours), minutes, secs);
}

double savingsPercent(qint64 original, qint64 optimized)
{
    if (original <= 0) {
        return 0;
    }
    qint64 saved = 0;
    const double difference = __builtin_sub_overflow(original, optimized, &saved)
        ? static_cast<double>(original) - static_cast<double>(optimized)
        : static_cast<double>(saved);
    return difference / static_cast<double>(original) * 100.0;
}

QString csvSafeField(const QString& text)
{
    // Judged on the first code unit rather than the first user-perceived character: a text that
    // opens with CR LF, or with "=" carrying a combining mark, must not slip past as harmless.
    static const QString triggers = QStringLiteral("=+-@\t\r");
    QString field = text;
    if (!field.isEmpty() && triggers.contains(field.front())) {
        field.prepend(QLatin1Char('\''));
    }
    field.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + field + QLatin1Char('"');
}

} // namespace QuorByteFormatter
