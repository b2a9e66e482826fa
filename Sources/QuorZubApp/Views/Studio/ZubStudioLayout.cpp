#include "QuorZubApp/Views/Studio/ZubStudioLayout.h"

#include "QuorZubApp/Views/Studio/ZubStudioButton.h"
#include "QuorZubApp/Views/Studio/ZubStudioPlate.h"

#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassButtonStyle.h"
#include "QuorKit/Design/QuorGlassCard.h"
#include "QuorKit/Design/QuorGlassScrollArea.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorLabels.h"
#include "QuorKit/Design/QuorSymbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace ZubStudioLayout {

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(static_cast<float>(alpha));
    return color;
}

QVBoxLayout* scrollingColumn(QWidget* tab, const QList<QWidget*>& cards)
{
    auto* column = new QWidget;
    QVBoxLayout* layout = vbox(column, 16, QMargins(20, 20, 20, 20));
    for (QWidget* card : cards) {
        layout->addWidget(card);
    }
    layout->addStretch(1);
    vbox(tab, 0)->addWidget(quorGlassScrollArea(column, Qt::Vertical, true, tab));
    return layout;
}

QuorGlassCard* glassCard(QWidget* content)
{
    return new QuorGlassCard(16, 14, content);
}

QLabel* cardTitle(QWidget* parent)
{
    return QuorLabels::make(QString(), QuorFonts::system(14, QFont::Bold), QuorGlassTokens::textPrimary(), parent);
}

QLabel* cardSubtitle(QWidget* parent)
{
    QLabel* label = QuorLabels::make(QString(), QuorFonts::system(11.5), QuorGlassTokens::textSecondary(), parent);
    label->setWordWrap(true);
    return label;
}

QVBoxLayout* titleStack(QLabel* title, QLabel* subtitle)
{
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    titles->addWidget(title);
    titles->addWidget(subtitle);
    return titles;
}

QLabel* symbolLabel(const QString& symbol, double size, const QColor& color, QWidget* parent)
{
    auto* label = new QLabel(parent);
    setSymbol(label, symbol, size, color);
    return label;
}

void setSymbol(QLabel* label, const QString& symbol, double size, const QColor& color)
{
    label->setPixmap(QuorSymbols::pixmap(symbol, size, color));
    label->setProperty("symbolName", symbol);
    label->setProperty("symbolColor", color);
}

ZubStudioPlate* divider(QWidget* parent)
{
    auto* line = new ZubStudioPlate(QuorGlassTokens::borderSubtle(), std::nullopt, 0, parent);
    line->setFixedHeight(1);
    return line;
}

ZubStudioPlate* plateAround(QWidget* content, const QColor& fill, double cornerRadius, const QMargins& margins,
                            QWidget* parent)
{
    auto* plate = new ZubStudioPlate(fill, std::nullopt, cornerRadius, parent);
    hbox(plate, 0, margins)->addWidget(content);
    return plate;
}

ZubStudioPlate* textWell(double cornerRadius, QWidget* parent)
{
    return new ZubStudioPlate(QColor::fromRgbF(0, 0, 0, 0.24f), QuorGlassTokens::borderSubtle(), cornerRadius, parent);
}

void styleWellEditor(QPlainTextEdit* editor, const QFont& font)
{
    editor->setFrameShape(QFrame::NoFrame);
    editor->setFont(font);
    editor->viewport()->setAutoFillBackground(false);
    editor->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; color: rgba(255, 255, 255, 0.96); "
                                         "selection-background-color: rgba(255, 255, 255, 0.28); }"));
}

ZubStudioButton* textButton(const QString& name, double cornerRadius, const QString& text, const QFont& font,
                            const QColor& color, const QMargins& padding, QWidget* parent)
{
    auto* button = new ZubStudioButton(cornerRadius, parent);
    button->setObjectName(name);
    QLabel* label = QuorLabels::make(text, font, color, button);
    label->setObjectName(QStringLiteral("text"));
    hbox(button, 0, padding)->addWidget(label);
    return button;
}

ZubStudioButton* glassIconButton(const QString& name, const QString& symbol, const QColor& color, bool active,
                                 QWidget* parent, int frame)
{
    auto* button = new ZubStudioButton(8, parent);
    button->setObjectName(name);
    const QuorButtonLook look = QuorGlassButtonStyle{active}.look(false);
    button->setColors(look.fill, look.border);
    button->setProperty("isActive", active);
    QLabel* icon = symbolLabel(symbol, 12.5, color, button);
    icon->setObjectName(QStringLiteral("symbol"));
    if (frame > 0) {
        icon->setFixedSize(frame, frame);
    }
    icon->setAlignment(Qt::AlignCenter);
    hbox(button, 0, QMargins(11, 6, 11, 6))->addWidget(icon);
    return button;
}

QList<QuorMenuPicker::Item> menuItems(const QStringList& titles)
{
    QList<QuorMenuPicker::Item> items;
    for (const QString& title : titles) {
        items.append({title, false});
    }
    return items;
}

void retireLater(QWidget* widget)
{
    if (widget != nullptr) {
        // Nameless, it is found no more among the controls that replaced it.
        widget->setObjectName(QString());
        for (QObject* part : widget->findChildren<QObject*>()) {
            part->setObjectName(QString());
        }
        widget->hide();
        widget->deleteLater();
    }
}

} // namespace ZubStudioLayout
