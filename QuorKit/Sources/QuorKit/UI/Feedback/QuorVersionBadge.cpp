#include "QuorKit/UI/Feedback/QuorVersionBadge.h"

#include "QuorKit/Design/QuorGlassTokens.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

QuorVersionBadge::Appearance QuorVersionBadge::appearance(const QuorAppVersion& version, bool showBuild)
{
    return {showBuild ? version.detailedDisplay() : version.tag(), QuorGlassTokens::textSecondary(),
            QuorGlassTokens::surface2(), QuorGlassTokens::borderSubtle()};
}

QFont QuorVersionBadge::badgeFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(10.0);
    font.setWeight(QFont::DemiBold);
    return font;
}

QuorVersionBadge::QuorVersionBadge(const QuorAppVersion& version, bool showBuild, QWidget* parent)
    : QWidget(parent), m_version(version), m_showBuild(showBuild)
{
    setFont(badgeFont());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
}

QSize QuorVersionBadge::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const QString text = appearance(m_version, m_showBuild).text;
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text) + 2 * horizontalPadding)),
            static_cast<int>(std::ceil(metrics.height() + 2 * verticalPadding))};
}

void QuorVersionBadge::paintEvent(QPaintEvent* /*event*/)
{
    const Appearance look = appearance(m_version, m_showBuild);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The border lies inside the capsule: inset by half its width.
    const QRectF capsule = QRectF(rect()).adjusted(borderWidth / 2, borderWidth / 2, -borderWidth / 2, -borderWidth / 2);
    const double radius = capsule.height() / 2;
    QPainterPath path;
    path.addRoundedRect(capsule, radius, radius);
    painter.fillPath(path, look.fill);
    painter.setPen(QPen(look.border, borderWidth));
    painter.drawPath(path);
    painter.setPen(look.textColor);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, look.text);
}
