#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

// Plain-text labels in the kit's fonts and colours, on a transparent background.
namespace QuorLabels {

QLabel* make(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);
// One line that shortens its text with an ellipsis when narrow (its minimum width is 0), at its
// end or, with Qt::ElideMiddle, in its middle.
QLabel* makeElided(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr,
                   Qt::TextElideMode mode = Qt::ElideRight);
// The text `label` shows now: shortened to its width for a label made by makeElided().
QString shownText(const QLabel& label);
void setColor(QLabel* label, const QColor& color);
// A symbol followed by a text, spacing 6 (a label with a system image). The text label is the
// widget's child named "text"; the symbol's is named "symbol".
QWidget* withSymbol(const QString& symbolName, const QString& text, const QFont& font, const QColor& symbolColor,
                    const QColor& textColor, QWidget* parent = nullptr);
// Redraws the symbol of a withSymbol() widget.
void setSymbol(QWidget* labelWithSymbol, const QString& symbolName, double size, const QColor& color);

} // namespace QuorLabels
