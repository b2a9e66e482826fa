#pragma once

#include <QFontMetricsF>
#include <QString>
#include <QStringList>

class QPainter;
class QWidget;

// Texts that widgets draw themselves and shorten when their room is short. An interface text is
// meant to show whole, so a widget that had to shorten one notes it (shortenedTexts), and layout
// tests can find it; a text whose shortening is intended (an e-mail address, a file name, a preview
// of a result) is shortened by the plain font metrics instead, or its widget is marked.
namespace QuorTextFit {

// `text` elided to `width`, noted on the widget `painter` paints when it had to be shortened.
QString elided(QPainter& painter, const QFontMetricsF& metrics, const QString& text, Qt::TextElideMode mode,
               double width);
// The same for a widget painted by other means.
QString elided(QWidget* owner, const QFontMetricsF& metrics, const QString& text, Qt::TextElideMode mode, double width);

// The texts the widget shortened the last time it drew them.
QStringList shortenedTexts(const QWidget* widget);

// A widget (with everything in it) whose texts may be shortened: they come from the user or the
// outside world and have no length the layout could plan for.
void markShortensByDesign(QWidget* widget);
bool shortensByDesign(const QWidget* widget);

} // namespace QuorTextFit
