#include "QuorKit/Design/QuorKeyboardReach.h"

#include "QuorKit/Design/QuorGlassTokens.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

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
} // namespace

namespace QuorKeyboardReach {

void enable(QAbstractButton* button)
{
    button->setFocusPolicy(Qt::StrongFocus);
    button->installEventFilter(new ReturnPresses(button));
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
