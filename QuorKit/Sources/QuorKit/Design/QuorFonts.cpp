#include "QuorKit/Design/QuorFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace {
double logicalDpi()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const double dpi = screen->logicalDotsPerInchY();
        if (dpi > 0) {
            return dpi;
        }
    }
    return 96.0;
}

QFont sized(QFont font, double size, QFont::Weight weight)
{
    font.setPointSizeF(size * 72.0 / logicalDpi());
    font.setWeight(weight);
    return font;
}
} // namespace

namespace QuorFonts {

QFont system(double size, QFont::Weight weight)
{
    return sized(QGuiApplication::font(), size, weight);
}

QFont monospaced(double size, QFont::Weight weight)
{
    return sized(QFontDatabase::systemFont(QFontDatabase::FixedFont), size, weight);
}

} // namespace QuorFonts
