#include "QuorKit/Cloud/QuorAIRamFit.h"

#include <QHashFunctions>

#include <unistd.h>

namespace QuorAIRamFits {

const QList<QuorAIRamFit>& allCases()
{
    static const QList<QuorAIRamFit> cases{QuorAIRamFit::comfortable, QuorAIRamFit::tight, QuorAIRamFit::exceeds,
                                           QuorAIRamFit::cloud};
    return cases;
}

QString rawValue(QuorAIRamFit fit)
{
    switch (fit) {
    case QuorAIRamFit::comfortable:
        return QStringLiteral("comfortable");
    case QuorAIRamFit::tight:
        return QStringLiteral("tight");
    case QuorAIRamFit::exceeds:
        return QStringLiteral("exceeds");
    case QuorAIRamFit::cloud:
        break;
    }
    return QStringLiteral("cloud");
}

std::optional<QuorAIRamFit> fromRawValue(const QString& text)
{
    for (const QuorAIRamFit fit : allCases()) {
        if (rawValue(fit) == text) {
            return fit;
        }
    }
    return std::nullopt;
}

double hostMemoryGB()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 0;
    }
    // In floating point: the product of two longs could overflow on a very large machine.
    return static_cast<double>(pages) * static_cast<double>(pageSize) / 1073741824.0;
}

} // namespace QuorAIRamFits

std::size_t qHash(QuorAIRamFit fit, std::size_t seed) noexcept
{
    return qHash(static_cast<int>(fit), seed);
}
