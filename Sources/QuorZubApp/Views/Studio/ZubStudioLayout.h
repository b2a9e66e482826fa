#pragma once

#include "QuorKit/Design/QuorBoxLayouts.h"
#include "QuorKit/Design/QuorMenuPicker.h"

#include <QColor>
#include <QList>
#include <QMargins>
#include <QString>
#include <QStringList>

class QFont;
class QHBoxLayout;
class QLabel;
class QPlainTextEdit;
class QVBoxLayout;
class QuorGlassCard;
class QWidget;
class ZubStudioButton;
class ZubStudioPlate;

// The building blocks the studio tabs share: boxes with spacing and margins, the cards' titles,
// symbol labels, badges, text wells and small buttons, so every tab lays out the same way.
namespace ZubStudioLayout {

QColor withAlpha(QColor color, double alpha);

// A row or column owned by `owner`, with the given spacing and margins.
using QuorBoxLayouts::hbox;
using QuorBoxLayouts::vbox;

// The tab's content: a column of cards with the tab's margins, in a vertical glass scroll area that
// fills `tab`. Cards go into the returned column; it ends in a stretch.
QVBoxLayout* scrollingColumn(QWidget* tab, const QList<QWidget*>& cards);
// `content` on the studio's glass card.
QuorGlassCard* glassCard(QWidget* content);

// A card's title, and the wrapped line that explains it.
QLabel* cardTitle(QWidget* parent);
QLabel* cardSubtitle(QWidget* parent);
// The title above its subtitle, tightly stacked.
QVBoxLayout* titleStack(QLabel* title, QLabel* subtitle);

// A label showing a symbol; it remembers the symbol's name and colour so a sync can tell whether
// it must paint again.
QLabel* symbolLabel(const QString& symbol, double size, const QColor& color, QWidget* parent);
void setSymbol(QLabel* label, const QString& symbol, double size, const QColor& color);

// A 1-point line across a column.
ZubStudioPlate* divider(QWidget* parent);
// A plate of one colour (a capsule for a negative radius) around a single widget.
ZubStudioPlate* plateAround(QWidget* content, const QColor& fill, double cornerRadius, const QMargins& margins,
                            QWidget* parent);
// The dark, edged well in which the tabs put texts to edit or read.
ZubStudioPlate* textWell(double cornerRadius, QWidget* parent);
// A borderless, transparent editor for a text well.
void styleWellEditor(QPlainTextEdit* editor, const QFont& font);

// A button holding one label, named "text", with the given padding.
ZubStudioButton* textButton(const QString& name, double cornerRadius, const QString& text, const QFont& font,
                            const QColor& color, const QMargins& padding, QWidget* parent);
// An icon-only button in the glass button look, active or not. The symbol's label is named
// "symbol"; a positive `frame` fixes its size.
ZubStudioButton* glassIconButton(const QString& name, const QString& symbol, const QColor& color, bool active,
                                 QWidget* parent, int frame = 0);

// The menu picker items for `titles`, none marked.
QList<QuorMenuPicker::Item> menuItems(const QStringList& titles);

// Takes a widget out of sight and out of the names a search finds, and deletes it once the event
// that led here has been handled (it may hold the button whose click removed it).
void retireLater(QWidget* widget);

} // namespace ZubStudioLayout
