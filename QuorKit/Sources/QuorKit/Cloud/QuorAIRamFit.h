#pragma once

#include <QList>
#include <QString>

#include <cstddef>
#include <optional>

// How a local model's memory needs compare with this computer's memory. `cloud` means the model
// does not run locally or the catalog gives no local requirements.
enum class QuorAIRamFit { comfortable, tight, exceeds, cloud };

namespace QuorAIRamFits {

// In declaration order.
const QList<QuorAIRamFit>& allCases();
// "comfortable", "tight", "exceeds", "cloud".
QString rawValue(QuorAIRamFit fit);
// Exact, case-sensitive match of a raw value.
std::optional<QuorAIRamFit> fromRawValue(const QString& text);

// This computer's physical memory in GB of 2^30 bytes (physical pages times the page size), the
// figure RAM fits are judged against; 0 when the system does not say.
double hostMemoryGB();

} // namespace QuorAIRamFits

std::size_t qHash(QuorAIRamFit fit, std::size_t seed = 0) noexcept;
