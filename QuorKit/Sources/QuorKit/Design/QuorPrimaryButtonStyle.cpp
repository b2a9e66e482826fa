#include "QuorKit/Design/QuorPrimaryButtonStyle.h"

QuorButtonLook QuorPrimaryButtonStyle::look(bool pressed) const
{
    QuorButtonLook look;
    look.fontSize = 13;
    look.fontWeight = QFont::DemiBold;
    look.foreground = QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.9f);
    look.paddingHorizontal = 14;
    look.paddingVertical = 7;
    look.cornerRadius = 9;
    look.fill = QColor::fromRgbF(1.0f, 1.0f, 1.0f, pressed ? 0.82f : 0.96f);
    look.scale = pressed ? 0.98 : 1.0;
    look.pressAnimationMs = 120;
    return look;
}
