#pragma once

#include <QColor>

// The fixed colours of the suite views beside the glass tokens.
namespace QuorSuiteColors {
QColor memoryViolet();   // 169, 139, 255: the memory tool and its pools
QColor swapCyan();       // 56, 232, 255: swap, and the system monitor's chips
QColor sparseDiskMint(); // 71, 230, 193
QColor killerRose();     // 255, 107, 129: the process killer's chips
QColor withOpacity(QColor color, double opacity);
} // namespace QuorSuiteColors
