#include "QuorKit/Design/QuorGlassButtonStyle.h"

#include "QuorKit/Design/QuorGlassTokens.h"

QuorButtonLook QuorGlassButtonStyle::look(bool pressed) const
{
    QuorButtonLook look;
    look.fontSize = 12.5;
    look.fontWeight = QFont::Medium;
    look.foreground = QuorGlassTokens::textPrimary();
    look.paddingHorizontal = 11;
    look.paddingVertical = 6;
    look.cornerRadius = 8;
    look.fill = isActive ? QuorGlassTokens::surface3() : QuorGlassTokens::surface2();
    look.border = isActive ? QuorGlassTokens::borderStrong() : QuorGlassTokens::borderSubtle();
    look.opacity = pressed ? 0.78 : 1.0;
    return look;
}
