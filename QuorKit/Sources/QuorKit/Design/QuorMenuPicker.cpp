#include "QuorKit/Design/QuorMenuPicker.h"

#include "QuorKit/Design/QuorCssColor.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorGlassTokens.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"

#include <QAction>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

#include <cmath>

namespace {
constexpr double kSymbolSpacing = 5;
constexpr double kChevronSize = 11;
} // namespace

QuorMenuPicker::QuorMenuPicker(QWidget* parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    connect(this, &QAbstractButton::clicked, this, &QuorMenuPicker::openMenu);
    connect(this, &QAbstractButton::pressed, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::released, this, qOverload<>(&QWidget::update));
}

void QuorMenuPicker::setItems(const QList<Item>& items)
{
    if (items == m_items) {
        return;
    }
    m_items = items;
    updateGeometry();
    update();
}

void QuorMenuPicker::setCurrentIndex(int index)
{
    if (index != m_currentIndex) {
        m_currentIndex = index;
        updateGeometry();
        update();
    }
}

void QuorMenuPicker::setSymbolName(const QString& symbolName)
{
    if (symbolName != m_symbolName) {
        m_symbolName = symbolName;
        updateGeometry();
        update();
    }
}

void QuorMenuPicker::setPlaceholder(const QString& placeholder)
{
    m_placeholder = placeholder;
    update();
}

QString QuorMenuPicker::labelText() const
{
    if (m_currentIndex >= 0 && m_currentIndex < m_items.size() && !m_items[m_currentIndex].isSeparator) {
        return m_items[m_currentIndex].title;
    }
    return m_placeholder;
}

void QuorMenuPicker::styleMenu(QMenu* menu)
{
    menu->setStyleSheet(QStringLiteral("QMenu { background: #211d27; color: %1; border: 1px solid %2; "
                                       "border-radius: 8px; padding: 5px; }"
                                       "QMenu::item { padding: 5px 22px 5px 22px; border-radius: 5px; }"
                                       "QMenu::item:selected { background: %3; }"
                                       "QMenu::item:disabled { color: %4; }"
                                       "QMenu::separator { height: 1px; background: %2; margin: 4px 8px; }")
                            .arg(quorCssColor(QuorGlassTokens::textPrimary()), quorCssColor(QuorGlassTokens::borderStrong()),
                                 quorCssColor(QuorGlassTokens::surface3()), quorCssColor(QuorGlassTokens::textMuted())));
}

QMenu* QuorMenuPicker::buildMenu()
{
    auto* menu = new QMenu(this);
    styleMenu(menu);
    menu->setFont(QuorFonts::system(12.5));
    for (int index = 0; index < m_items.size(); ++index) {
        const Item& item = m_items[index];
        if (item.isSeparator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(item.title);
        action->setData(index);
        if (m_marksCurrent) {
            action->setCheckable(true);
            action->setChecked(index == m_currentIndex);
        }
    }
    return menu;
}

void QuorMenuPicker::pick(int index)
{
    if (index < 0 || index >= m_items.size() || m_items[index].isSeparator) {
        return;
    }
    emit activated(index);
}

void QuorMenuPicker::openMenu()
{
    QMenu* menu = buildMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QuorMenuPicker> self(this);
    connect(menu, &QMenu::triggered, this, [self](QAction* action) {
        if (self) {
            self->pick(action->data().toInt());
        }
    });
    menu->popup(mapToGlobal(QPoint(0, height() + 2)));
}

QSize QuorMenuPicker::sizeHint() const
{
    const QuorButtonLook look = m_style.look(false);
    const QFontMetricsF metrics(QuorFonts::system(look.fontSize, look.fontWeight));
    double widest = metrics.horizontalAdvance(m_placeholder);
    for (const Item& item : m_items) {
        if (!item.isSeparator) {
            widest = std::max(widest, metrics.horizontalAdvance(item.title));
        }
    }
    double width = widest + kSymbolSpacing + kChevronSize * 1.25;
    if (!m_symbolName.isEmpty()) {
        width += look.fontSize * 1.25 + kSymbolSpacing;
    }
    const double height = std::max(metrics.height(), look.fontSize * 1.25);
    return {static_cast<int>(std::ceil(width + 2 * look.paddingHorizontal)),
            static_cast<int>(std::ceil(height + 2 * look.paddingVertical))};
}

QSize QuorMenuPicker::minimumSizeHint() const
{
    const QuorButtonLook look = m_style.look(false);
    return {static_cast<int>(std::ceil(2 * look.paddingHorizontal + 60)), sizeHint().height()};
}

void QuorMenuPicker::paintEvent(QPaintEvent* /*event*/)
{
    const QuorButtonLook look = m_style.look(isDown());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(look.opacity * (isEnabled() ? 1.0 : 0.45));
    const QRectF bounds(rect());
    QuorPlatePainter::paint(painter, bounds, look.cornerRadius,
                            underMouse() ? QuorGlassTokens::surface3() : look.fill, look.border);

    double x = look.paddingHorizontal;
    const double side = look.fontSize * 1.25;
    if (!m_symbolName.isEmpty()) {
        QuorSymbols::paint(painter, QRectF(x, bounds.center().y() - side / 2, side, side), m_symbolName,
                           look.foreground, look.fontSize);
        x += side + kSymbolSpacing;
    }
    const double chevron = kChevronSize * 1.25;
    const QRectF chevronRect(bounds.right() - look.paddingHorizontal - chevron, bounds.center().y() - chevron / 2,
                             chevron, chevron);
    QuorSymbols::paint(painter, chevronRect, QStringLiteral("chevron.up.chevron.down"), QuorGlassTokens::textSecondary(),
                       kChevronSize);

    const QFont font = QuorFonts::system(look.fontSize, look.fontWeight);
    const double available = chevronRect.left() - kSymbolSpacing - x;
    painter.setFont(font);
    painter.setPen(look.foreground);
    painter.drawText(QRectF(x, bounds.top(), std::max(0.0, available), bounds.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QuorTextFit::elided(painter, QFontMetricsF(font), labelText(), Qt::ElideRight, std::max(0.0, available)));
}
