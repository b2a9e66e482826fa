#include "QuorKit/Design/QuorAnimation.h"

#include <QString>

#include <atomic>

namespace {
std::atomic<int> g_override{-1};
} // namespace

namespace QuorAnimation {

bool enabled()
{
    const int forced = g_override.load();
    if (forced >= 0) {
        return forced == 1;
    }
    static const bool fromEnvironment = qEnvironmentVariable("QUOR_ANIMATIONS") != QStringLiteral("0");
    return fromEnvironment;
}

void setEnabled(bool enabled)
{
    g_override.store(enabled ? 1 : 0);
}

} // namespace QuorAnimation
