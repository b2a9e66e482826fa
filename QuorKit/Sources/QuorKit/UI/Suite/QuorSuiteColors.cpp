#include "QuorKit/UI/Suite/QuorSuiteColors.h"

namespace QuorSuiteColors {

QColor memoryViolet()
{
    return QColor(169, 139, 255);
}

QColor swapCyan()
{
    return QColor(56, 232, 255);
}

QColor sparseDiskMint()
{
    return QColor(71, 230, 193);
}

QColor killerRose()
{
    return QColor(255, 107, 129);
}

QColor withOpacity(QColor color, double opacity)
{
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

} // namespace QuorSuiteColors
