#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsEffect>
#include <QPainter>
#include <QSize>
#include <QWidget>

#include <cmath>
#include <utility>

// Pieces the bar's rows and its result card share.
namespace zub_detail {

// Fades and scales a widget about its top centre: the appear and disappear of the bar and its cards.
class PresentEffect : public QGraphicsEffect {
public:
    PresentEffect(double hiddenScale, QObject* parent) : QGraphicsEffect(parent), m_hiddenScale(hiddenScale) {}

    // 0 hidden (transparent, scaled down), 1 shown.
    void setProgress(double progress)
    {
        if (progress != m_progress) {
            m_progress = progress;
            update();
        }
        // Only active while it changes something: nested effects leave children unpainted on
        // screen, and a fully shown widget needs none.
        setEnabled(m_progress < 1.0);
    }
    double progress() const { return m_progress; }

protected:
    void draw(QPainter* painter) override
    {
        if (m_progress >= 1.0) {
            drawSource(painter);
            return;
        }
        if (m_progress <= 0.0) {
            return;
        }
        QPoint offset;
        const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
        const QRectF bounds = sourceBoundingRect(Qt::LogicalCoordinates);
        const QPointF anchor(bounds.center().x(), bounds.top());
        const double scale = m_hiddenScale + (1.0 - m_hiddenScale) * m_progress;
        painter->save();
        painter->setOpacity(painter->opacity() * m_progress);
        painter->translate(anchor);
        painter->scale(scale, scale);
        painter->translate(-anchor);
        painter->drawPixmap(offset, pixmap);
        painter->restore();
    }

private:
    double m_hiddenScale;
    double m_progress = 1.0;
};


inline QColor white(double opacity)
{
    return QColor::fromRgbF(1, 1, 1, static_cast<float>(opacity));
}

inline QSize ceilSize(double width, double height)
{
    return {static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height))};
}

// Plain text on one line (line breaks read as spaces), cut with an ellipsis at whatever width the
// card has now.
class OneLineLabel : public QWidget {
public:
    OneLineLabel(QFont font, QColor color, QWidget* parent)
        : QWidget(parent), m_font(std::move(font)), m_color(std::move(color))
    {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setFixedHeight(static_cast<int>(std::ceil(QFontMetricsF(m_font).height())));
    }

    void setText(const QString& text)
    {
        const QString line = text.simplified();
        if (line != m_text) {
            m_text = line;
            update();
        }
    }
    QString text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setFont(m_font);
        painter.setPen(m_color);
        painter.drawText(QRectF(rect()), Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(m_font).elidedText(m_text, Qt::ElideRight, width()));
    }

private:
    QFont m_font;
    QColor m_color;
    QString m_text;
};

} // namespace zub_detail
