#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRectF>
#include <QString>
#include <QStringList>

class QPainter;

// Symbols by the names stored in the configuration ("sparkles", "doc.on.doc", ...) drawn as glyphs
// of the bundled Material Icons font, tinted with any colour. A name without a glyph of its own
// draws the one fallback glyph, so a hand-edited configuration never shows an empty pill.
namespace QuorSymbols {

bool isKnown(const QString& name);
QStringList knownNames();
// The font's code point for `name`, or the fallback's.
char32_t codepoint(const QString& name);
char32_t fallbackCodepoint();

// Registers the symbol font and reads the system's font list, the slow part of the first symbol
// drawn. Any thread (the font database is thread-safe): a program starts it on a worker thread so
// its first paint does not wait for fontconfig.
void preload();

// The symbol font; `size` is the text size the symbol stands beside (glyphs are drawn a little
// larger, as symbol glyphs sit on the cap height of text of that size). GUI thread only.
QFont font(double size);
QString glyph(const QString& name);

// Draws the symbol centred in `rect`.
void paint(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color, double size);
// The symbol on a transparent square of size * 1.25 logical pixels.
QPixmap pixmap(const QString& name, double size, const QColor& color, double devicePixelRatio = 2.0);

} // namespace QuorSymbols
