#pragma once

#include <QColor>

// The colour tokens every view draws with: white at fixed opacities over the dark glass, plus a few
// signal colours. There is no light variant. Each token is built once and the same value returned
// afterwards.
namespace QuorGlassTokens {
QColor surface1();      // white at 0.06: card fill
QColor surface2();      // white at 0.10: resting button and input fill
QColor surface3();      // white at 0.16: active button fill
QColor borderSubtle();  // white at 0.14
QColor borderStrong();  // white at 0.28
QColor textPrimary();   // white at 0.96
QColor textSecondary(); // white at 0.72
QColor textMuted();     // white at 0.50
QColor success();       // #3EE6A8
QColor warning();       // #FFB84D
QColor danger();        // #FF647C
QColor accentViolet();  // #A98BFF
} // namespace QuorGlassTokens
