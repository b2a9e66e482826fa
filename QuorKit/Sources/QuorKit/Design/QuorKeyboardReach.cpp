#include "QuorKit/Design/QuorKeyboardReach.h"

#include "QuorKit/Design/QuorGlassTokens.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollArea>
#include <QSet>

#include <algorithm>

namespace {
const char* const keyboardFocusProperty = "quorKeyboardFocus";

// Presses the button it watches on Enter and Return, as Space already does, and notes how the
// focus came to it.
class ReturnPresses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            watched->setProperty(keyboardFocusProperty, reason == Qt::TabFocusReason ||
                                                            reason == Qt::BacktabFocusReason ||
                                                            reason == Qt::ShortcutFocusReason);
            return false;
        }
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (button == nullptr || key->modifiers() != Qt::NoModifier ||
            (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)) {
            return false;
        }
        if (!key->isAutoRepeat() && button->isEnabled()) {
            button->click();
        }
        return true;
    }
};

void collectLayout(const QLayout* layout, QList<QWidget*>& widgets)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (QWidget* widget = item->widget()) {
            widgets.append(widget);
        } else if (const QLayout* inner = item->layout()) {
            collectLayout(inner, widgets);
        }
    }
}

void collectStops(QWidget* widget, QList<QWidget*>& stops)
{
    if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->focusProxy() == nullptr) {
        stops.append(widget);
    }
    // Children in the order their layout places them, then those it does not hold.
    QList<QWidget*> children;
    if (const QLayout* layout = widget->layout()) {
        collectLayout(layout, children);
    }
    QSet<QWidget*> listed(children.cbegin(), children.cend());
    for (QObject* object : widget->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child != nullptr && !listed.contains(child)) {
            children.append(child);
            listed.insert(child);
        }
    }
    for (QWidget* child : std::as_const(children)) {
        // A widget hidden on purpose is left out; one not shown yet shows with its parent.
        const bool hidden = child->isHidden() && child->testAttribute(Qt::WA_WState_ExplicitShowHide);
        if (child->parentWidget() == widget && !child->isWindow() && !hidden) {
            collectStops(child, stops);
        }
    }
}

Qt::FocusReason reasonLike(const QWidget* focused)
{
    return focused != nullptr && QuorKeyboardReach::showsFocusRing(focused) ? Qt::TabFocusReason : Qt::OtherFocusReason;
}

bool canTakeFocus(const QWidget* widget, const QWidget* window)
{
    return widget != nullptr && widget->window() == window && widget->isEnabled() && widget->isVisibleTo(window);
}

// Gives the keyboard to a control of `window` as Tab does: Qt then marks the window as moved
// through by keyboard (what its styles read), and the kit's controls and ring take it for keyboard
// focus.
void focusAsByTab(QWidget* window, QWidget* first)
{
    QWidget* target = canTakeFocus(first, window) ? first : nullptr;
    if (target == nullptr && canTakeFocus(window->focusWidget(), window)) {
        target = window->focusWidget();
    }
    if (target == nullptr) {
        for (QWidget* stop : QuorKeyboardReach::tabStops(window)) {
            if (canTakeFocus(stop, window)) {
                target = stop;
                break;
            }
        }
    }
    if (target == nullptr) {
        return;
    }
    window->setAttribute(Qt::WA_KeyboardFocusChange);
    if (target->hasFocus()) {
        // Already there (by a click, by the window's activation): now as by the keyboard.
        target->setProperty(keyboardFocusProperty, true);
        target->update();
    } else {
        target->setFocus(Qt::TabFocusReason);
    }
}

// Waits for its window to become active. Qt tells the window before it hands out the focus, which
// then goes to the control already given it here, with no focus change of its own in between.
class RingOnOpening : public QObject {
public:
    RingOnOpening(QWidget* window, QWidget* first) : QObject(window), m_window(window), m_first(first)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_window || (event->type() != QEvent::WindowActivate && event->type() != QEvent::Hide)) {
            return false;
        }
        m_window->removeEventFilter(this);
        if (event->type() == QEvent::WindowActivate) {
            focusAsByTab(m_window, m_first);
        }
        deleteLater();
        return false;
    }

private:
    QWidget* m_window;
    QPointer<QWidget> m_first;
};

// The control that holds the focus of `widget`'s window, when it lies inside `widget`.
QWidget* focusInside(QWidget* widget)
{
    QWidget* focused = widget->window()->focusWidget();
    return focused != nullptr && (focused == widget || widget->isAncestorOf(focused)) ? focused : nullptr;
}
} // namespace

namespace QuorKeyboardReach {

void enable(QAbstractButton* button, Qt::FocusPolicy policy)
{
    button->setFocusPolicy(policy);
    button->installEventFilter(new ReturnPresses(button));
}

bool keepsFocusWhileDisabled(const QWidget* widget)
{
    return !widget->isEnabled() && widget->isVisible() && widget->window()->focusWidget() == widget;
}

void handFocus(QWidget* leaving, QWidget* to)
{
    QWidget* focused = focusInside(leaving);
    if (focused != nullptr && to != nullptr && to->isVisible() && to->isEnabled()) {
        to->setFocus(reasonLike(focused));
    }
}

void carryFocus(QWidget* old, QWidget* replacement, QWidget* fallback)
{
    QWidget* focused = focusInside(old);
    if (focused == nullptr) {
        return;
    }
    QWidget* target = nullptr;
    const QList<QWidget*> stops = tabStops(replacement);
    if (!focused->objectName().isEmpty()) {
        for (QWidget* stop : stops) {
            if (stop->objectName() == focused->objectName() && stop->isEnabled() && stop->isVisible()) {
                target = stop;
                break;
            }
        }
    }
    if (target == nullptr && fallback != nullptr && fallback->isEnabled() && fallback->isVisible()) {
        target = fallback;
    }
    for (qsizetype i = 0; target == nullptr && i < stops.size(); ++i) {
        if (stops[i]->isEnabled() && stops[i]->isVisible()) {
            target = stops[i];
        }
    }
    if (target != nullptr) {
        target->setFocus(reasonLike(focused));
    }
}

QList<QWidget*> tabStops(QWidget* root)
{
    QList<QWidget*> stops;
    collectStops(root, stops);
    return stops;
}

void ringOnOpening(QWidget* window, QWidget* first)
{
    window = window->window();
    if (QApplication::activeWindow() == window && window->isVisible()) {
        focusAsByTab(window, first);
        return;
    }
    new RingOnOpening(window, first);
}

void openSheet(QDialog* sheet)
{
    ringOnOpening(sheet);
    sheet->open();
}

void followLayoutOrder(QWidget* window)
{
    const QList<QWidget*> stops = tabStops(window);
    for (qsizetype i = 1; i < stops.size(); ++i) {
        QWidget::setTabOrder(stops[i - 1], stops[i]);
    }
}

void bringIntoView(QWidget* widget)
{
    // Innermost first, so that an outer area scrolls to where the inner one put the widget.
    for (QWidget* ancestor = widget->parentWidget(); ancestor != nullptr && !ancestor->isWindow();
         ancestor = ancestor->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(ancestor); area != nullptr && area->widget() != nullptr) {
            area->ensureWidgetVisible(widget, 12, 12);
        }
    }
}

void submitsOnReturn(QLineEdit* field, QAbstractButton* action)
{
    QObject::connect(field, &QLineEdit::returnPressed, action, [action] {
        // Shown with its window, not necessarily on screen yet: the field's own Return counts.
        if (action->isEnabled() && action->isVisibleTo(action->window())) {
            action->click();
        }
    });
}

bool showsFocusRing(const QWidget* widget)
{
    return widget->hasFocus() && widget->property(keyboardFocusProperty).toBool();
}

void paintFocusRing(QPainter& painter, const QRectF& bounds, double cornerRadius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(1);
    const QRectF ring = bounds.adjusted(1, 1, -1, -1);
    // A negative radius asks for a capsule, as with the plates.
    const double radius = cornerRadius < 0 ? ring.height() / 2 : std::max(0.0, cornerRadius - 1);
    QPainterPath path;
    path.addRoundedRect(ring, radius, radius);
    painter.setPen(QPen(QuorGlassTokens::accentViolet(), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
    painter.restore();
}

} // namespace QuorKeyboardReach
