#pragma once

#include <QByteArray>

#include <optional>

namespace quor::platform {

// `count` bytes from the kernel's cryptographic generator (getrandom). Nothing when the kernel
// cannot provide them: callers fail rather than fall back to a weaker source.
std::optional<QByteArray> secureRandomBytes(qsizetype count);

} // namespace quor::platform
