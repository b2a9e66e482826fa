#include "QuorKit/Design/QuorFonts.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QRawFont>
#include <QScreen>

#include <algorithm>

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

bool hasEmoji()
{
    // Only fonts that call themselves emoji fonts are asked: asking every family would load them
    // all. The camera stands for the pictographs the kit writes.
    static const bool found = [] {
        const QStringList families = QFontDatabase::families();
        return std::any_of(families.begin(), families.end(), [](const QString& family) {
            return family.contains(QLatin1String("emoji"), Qt::CaseInsensitive)
                && QRawFont::fromFont(QFont(family)).supportsCharacter(uint(0x1F4F7));
        });
    }();
    return found;
}

} // namespace QuorFonts
