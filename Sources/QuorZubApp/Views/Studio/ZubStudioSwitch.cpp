#include "QuorZubApp/Views/Studio/ZubStudioSwitch.h"

#include "QuorKit/Design/QuorGlassTokens.h"

#include <QPainter>

ZubStudioSwitch::ZubStudioSwitch(QColor accent, QWidget* parent) : QAbstractButton(parent), m_accent(std::move(accent))
{
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(38, 22);
}

void ZubStudioSwitch::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = track.height() / 2;
    painter.setPen(QPen(QuorGlassTokens::borderSubtle(), 1));
    painter.setBrush(isChecked() ? m_accent : QuorGlassTokens::surface3());
    painter.drawRoundedRect(track, radius, radius);
    const double knob = track.height() - 4;
    const double x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(Qt::white));
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}
