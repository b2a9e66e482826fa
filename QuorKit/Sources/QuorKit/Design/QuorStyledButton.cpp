#include "QuorKit/Design/QuorStyledButton.h"

#include "QuorKit/Design/QuorAnimation.h"
#include "QuorKit/Design/QuorFonts.h"
#include "QuorKit/Design/QuorKeyboardReach.h"
#include "QuorKit/Design/QuorPlatePainter.h"
#include "QuorKit/Design/QuorSpinner.h"
#include "QuorKit/Design/QuorSymbols.h"
#include "QuorKit/Design/QuorTextFit.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVariantAnimation>

#include <cmath>

namespace {
constexpr double kSymbolSpacing = 5;

QuorButtonLook lookOf(const QuorButtonStyle& style, bool pressed)
{
    return std::visit([pressed](const auto& s) { return s.look(pressed); }, style);
}

QColor mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * t),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * t),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * t),
                            static_cast<float>(a.alphaF() + (b.alphaF() - a.alphaF()) * t));
}
} // namespace

QuorStyledButton::QuorStyledButton(const QString& title, const QString& symbolName, QuorButtonStyle style,
                                   QWidget* parent)
    : QAbstractButton(parent), m_style(style), m_symbolName(symbolName)
{
    setText(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    connect(this, &QAbstractButton::pressed, this, [this] { animatePress(true); });
    connect(this, &QAbstractButton::released, this, [this] { animatePress(false); });
}

void QuorStyledButton::setButtonStyle(QuorButtonStyle style)
{
    if (style == m_style) {
        return;
    }
    m_style = style;
    updateGeometry();
    update();
}

void QuorStyledButton::setSymbolName(const QString& symbolName)
{
    if (symbolName != m_symbolName) {
        m_symbolName = symbolName;
        updateGeometry();
        update();
    }
}

void QuorStyledButton::setBusy(bool busy)
{
    if (busy == isBusy()) {
        return;
    }
    if (busy) {
        m_busyTicker = QuorSpinner::makeTicker(this, m_busyAngle, [this] { update(); });
        if (QuorAnimation::enabled()) {
            m_busyTicker->start();
        }
    } else {
        delete m_busyTicker;
        m_busyTicker = nullptr;
    }
    updateGeometry();
    update();
}

void QuorStyledButton::setLabelFont(double size, QFont::Weight weight)
{
    m_labelFont = std::pair{size, weight};
    updateGeometry();
    update();
}

bool QuorStyledButton::focusNextPrevChild(bool next)
{
    return QuorKeyboardReach::keepsFocusWhileDisabled(this) || QAbstractButton::focusNextPrevChild(next);
}

QuorButtonLook QuorStyledButton::styledLook(bool pressed) const
{
    QuorButtonLook look = lookOf(m_style, pressed);
    if (m_labelFont) {
        look.fontSize = m_labelFont->first;
        look.fontWeight = m_labelFont->second;
    }
    return look;
}

QuorButtonLook QuorStyledButton::currentLook() const
{
    QuorButtonLook resting = styledLook(false);
    if (m_pressProgress <= 0) {
        return resting;
    }
    const QuorButtonLook pressed = styledLook(true);
    const double t = m_pressProgress;
    resting.fill = mix(resting.fill, pressed.fill, t);
    resting.opacity += (pressed.opacity - resting.opacity) * t;
    resting.scale += (pressed.scale - resting.scale) * t;
    return resting;
}

void QuorStyledButton::animatePress(bool pressed)
{
    const double target = pressed ? 1.0 : 0.0;
    if (m_pressAnimation) {
        m_pressAnimation->stop();
        m_pressAnimation->deleteLater();
    }
    const int duration = lookOf(m_style, pressed).pressAnimationMs;
    if (duration <= 0 || !QuorAnimation::enabled()) {
        m_pressProgress = target;
        update();
        return;
    }
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(m_pressProgress);
    animation->setEndValue(target);
    animation->setDuration(duration);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    connect(animation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_pressProgress = value.toDouble();
        update();
    });
    m_pressAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

QSize QuorStyledButton::sizeHint() const
{
    const QuorButtonLook look = styledLook(false);
    const QFontMetricsF metrics(QuorFonts::system(look.fontSize, look.fontWeight));
    double width = metrics.horizontalAdvance(text());
    if (hasSymbolSlot()) {
        width += look.fontSize * 1.25 + (text().isEmpty() ? 0 : kSymbolSpacing);
    }
    const double height = std::max(metrics.height(), look.fontSize * 1.25);
    return {static_cast<int>(std::ceil(width + 2 * look.paddingHorizontal)),
            static_cast<int>(std::ceil(height + 2 * look.paddingVertical))};
}

QRectF QuorStyledButton::paintPlate(QPainter& painter, const QuorButtonLook& look) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(look.opacity * (isEnabled() ? 1.0 : 0.45));
    const QRectF bounds = QRectF(rect());
    if (look.scale != 1.0) {
        painter.translate(bounds.center());
        painter.scale(look.scale, look.scale);
        painter.translate(-bounds.center());
    }
    QuorPlatePainter::paint(painter, bounds, look.cornerRadius, look.fill, look.border);
    return bounds;
}

void QuorStyledButton::paintEvent(QPaintEvent* /*event*/)
{
    const QuorButtonLook look = currentLook();
    QPainter painter(this);
    const QRectF bounds = paintPlate(painter, look);

    const QFont font = QuorFonts::system(look.fontSize, look.fontWeight);
    const QFontMetricsF metrics(font);
    const double symbolWidth =
        hasSymbolSlot() ? look.fontSize * 1.25 + (text().isEmpty() ? 0 : kSymbolSpacing) : 0;
    const double available = bounds.width() - 2 * look.paddingHorizontal - symbolWidth;
    const QString title = QuorTextFit::elided(painter, metrics, text(), Qt::ElideRight, std::max(0.0, available));
    const double contentWidth = symbolWidth + metrics.horizontalAdvance(title);
    double x = bounds.center().x() - contentWidth / 2;
    if (hasSymbolSlot()) {
        const double side = look.fontSize * 1.25;
        const QRectF slot(x, bounds.center().y() - side / 2, side, side);
        if (isBusy()) {
            QuorSpinner::paint(painter, slot.adjusted(1, 1, -1, -1), look.foreground, m_busyAngle);
        } else {
            QuorSymbols::paint(painter, slot, m_symbolName, look.foreground, look.fontSize);
        }
        x += symbolWidth;
    }
    painter.setFont(font);
    painter.setPen(look.foreground);
    painter.drawText(QRectF(x, bounds.top(), bounds.right() - x, bounds.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, title);
    if (QuorKeyboardReach::showsFocusRing(this)) {
        QuorKeyboardReach::paintFocusRing(painter, bounds, look.cornerRadius);
    }
}
